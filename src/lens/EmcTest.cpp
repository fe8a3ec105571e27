#include "lens/EmcTest.h"

#include <chrono>
#include <exception>
#include <thread>
#include <utility>
#include <vector>

#include "app/Log.h"
#include "lens/SettingsWorkers.h"

namespace cbx::lens {

namespace {

// Nothing leaves a worker: an exception is result 4, reported as "Other Err" where the
// function owns a report.
template <typename Body>
int Guarded(int functionNumber, Body&& body) noexcept {
  try {
    return body();
  } catch (...) {
    try {
      if (functionNumber != 0) ReportError(functionNumber, kErrOther, 0, "Other Err");
    } catch (...) {
    }
    return kTransferDataFailure;
  }
}

// A standard lens keeps its CS record inside the AF data area, so its CS image is the same
// area and must follow every change; an ml-mount lens keeps the CS record elsewhere.
std::vector<Image*> ImagesOfAfArea(LensSettingsModel& model) {
  if (model.IsMlMount()) return {&model.AfImage};
  return {&model.AfImage, &model.CsImage};
}

void Pause() { std::this_thread::sleep_for(std::chrono::milliseconds(EmcLoop::WaitMs())); }

// The loop's progress goes to whoever shows the control.
class ForwardedProgress {
 public:
  explicit ForwardedProgress(EmcControl& control) {
    progress_.SetListener([&control](int min, int max, int position) { control.SetProgress(min, max, position); });
  }
  ~ForwardedProgress() { progress_.SetListener({}); }
  TransferProgress& Get() { return progress_; }

 private:
  TransferProgress progress_;
};

}  // namespace

int EMCReadAFData(dock::DockDevice& device, LensSettingsModel& model, TransferProgress& progress) {
  return Guarded(0, [&] {
    // Read aside and keep only a complete area: a read cut short must not leave the images
    // holding half a lens.
    Image read;
    const int result = ReadAfArea(device, model, kFnEMCReadAFData, read, progress);
    if (result != kTransferSuccess) return result;
    for (Image* image : ImagesOfAfArea(model)) *image = read;
    return result;
  });
}

int EMCWriteAFData(dock::DockDevice& device, LensSettingsModel& model, TransferProgress& progress) {
  return Guarded(kFnEMCWriteAFData,
                 [&] { return WriteAfArea(device, model, kFnEMCWriteAFData, ImagesOfAfArea(model), progress); });
}

int EmcLoop::AfData(dock::DockDevice& device, LensSettingsModel& model, EmcControl& control) {
  return Guarded(0, [&] {
    ForwardedProgress progress(control);
    while (!control.CancelRequested()) {
      control.SetStatus(kEmcStatusTransfer);
      int result = EMCReadAFData(device, model, progress.Get());
      if (result != kTransferSuccess) return result;
      if (control.CancelRequested()) break;
      control.SetStatus(kEmcStatusWaiting);
      Pause();
      if (control.CancelRequested()) break;
      control.SetStatus(kEmcStatusTransfer);
      result = EMCWriteAFData(device, model, progress.Get());
      if (result != kTransferSuccess) return result;
      control.SetStatus(kEmcStatusWaiting);
      Pause();
    }
    return static_cast<int>(kTransferSuccess);
  });
}

int EmcLoop::Firmware(const EmcTransfer& transfer, EmcControl& control) {
  return Guarded(0, [&] {
    ForwardedProgress progress(control);
    while (!control.CancelRequested()) {
      control.SetStatus(kEmcStatusTransfer);
      const int result = transfer(progress.Get());
      if (result != kTransferSuccess) return result;
      if (control.CancelRequested()) break;
      control.SetStatus(kEmcStatusWaiting);
      Pause();
    }
    return static_cast<int>(kTransferSuccess);
  });
}

}  // namespace cbx::lens
