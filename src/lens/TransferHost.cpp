#include "lens/TransferHost.h"

#include <algorithm>
#include <exception>
#include <thread>

namespace cbx::lens {

int TransferMessageTextId(int transferType) {
  switch (transferType) {
    case kTransferAfWrite: case kTransferCsWrite: case kTransferReset: return 3123;
    case kTransferBothRead: case kTransferCsRead: return 3122;
    case kTransferBothReadBeforeUpdate: return 3136;
    case kTransferRestore: case kTransferResetFromFirmware: case kTransferRestoreMl: case kTransferResetMl:
      return 3137;
    default: return 0;
  }
}

void TransferProgress::SetTotal(int total) {
  min_ = std::min(0, total);
  max_ = std::max(0, total);
  position_ = std::clamp(position_.load(), min_.load(), max_.load());
  Notify();
}

void TransferProgress::SetPosition(int position) {
  position_ = std::clamp(position, min_.load(), max_.load());
  Notify();
}

void TransferProgress::SetListener(std::function<void(int, int, int)> listener) {
  std::lock_guard lock(listenerMutex_);
  listener_ = std::move(listener);
}

void TransferProgress::Notify() {
  std::lock_guard lock(listenerMutex_);
  if (listener_) listener_(min_, max_, position_);
}

int TransferHost::Run(int transferType, const Worker& worker, TransferProgress& progress) {
  std::lock_guard lock(oneAtATime_);
  const auto body = [&]() noexcept {
    try {
      return worker(progress);
    } catch (...) {
      return static_cast<int>(kTransferDataFailure);  // nothing escapes the worker
    }
  };
  if (ui_ != nullptr) {
    SessionUi* ui = ui_;
    progress.SetListener([ui, transferType](int min, int max, int position) {
      ui->TransferProgressed(transferType, min, max, position);
    });
    const int result = ui->RunTransfer(transferType, body);
    progress.SetListener({});
    return result;
  }
  int result = kTransferDataFailure;
  std::thread thread([&] { result = body(); });
  thread.join();
  return result;
}

int TransferHost::Run(int transferType, const Worker& worker) {
  TransferProgress progress;
  return Run(transferType, worker, progress);
}

}  // namespace cbx::lens
