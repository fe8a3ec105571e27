// The host of every lens-data and firmware transfer: one worker thread at a time, a
// progress range and position the front end draws, and one result code at the end.
// The window shows it as the progress dialog; the terminal as a progress bar.
#pragma once

#include <atomic>
#include <functional>
#include <mutex>

#include "update/SessionUi.h"

namespace cbx::lens {

// Transfer types: which worker runs, and which waiting text the front end shows.
enum TransferType : int {
  kTransferLensFirmware = 0,
  kTransferDockFirmware = 1,
  kTransferAfWrite = 2,
  kTransferCsWrite = 3,
  kTransferBothRead = 6,
  kTransferReset = 7,
  kTransferBothReadBeforeUpdate = 11,
  kTransferRestore = 12,
  kTransferResetFromFirmware = 13,
  kTransferConverterFirmware = 14,
  kTransferCsRead = 15,
  kTransferLensFirmwareSectors = 16,
  kTransferLensFirmware256 = 17,
  kTransferRestoreMl = 18,
  kTransferResetMl = 19,
};

// Worker results.
enum TransferResult : int {
  kTransferSuccess = 0,
  kTransferDeviceFailure = 1,  // the device did not answer as required
  kTransferDockFailure = 2,    // the dock or converter failed (firmware)
  kTransferDataFailure = 4,    // a file, the data composition, or an exception
};

// The waiting text (String.txt id) of a transfer type; 0 for none.
int TransferMessageTextId(int transferType);

// Progress shared between the worker and the front end.
class TransferProgress {
 public:
  // Range min(0, total)..max(0, total); the position is clamped into it.
  void SetTotal(int total);
  void SetPosition(int position);
  int Min() const { return min_.load(); }
  int Max() const { return max_.load(); }
  int Position() const { return position_.load(); }
  void SetListener(std::function<void(int min, int max, int position)> listener);

 private:
  void Notify();
  std::atomic<int> min_{0}, max_{0}, position_{0};
  std::mutex listenerMutex_;
  std::function<void(int, int, int)> listener_;
};

class TransferHost {
 public:
  using Worker = std::function<int(TransferProgress&)>;
  // The front end that shows each transfer as its progress dialog; without one the host
  // runs the worker on a thread of its own and waits for it.
  void SetUi(SessionUi* ui) { ui_ = ui; }
  // Runs the worker on its own thread, waits for it and returns its result. An exception
  // inside the worker is result 4. Only one transfer runs at a time: a second Run waits.
  int Run(int transferType, const Worker& worker, TransferProgress& progress);
  int Run(int transferType, const Worker& worker);

 private:
  std::mutex oneAtATime_;
  SessionUi* ui_ = nullptr;
};

}  // namespace cbx::lens
