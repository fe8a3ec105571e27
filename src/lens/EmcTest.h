// The EMC test's workers: keep the USB link busy until the user cancels, repeating one
// transfer with a pause between steps. A cancel is honoured between steps only: a running
// transfer and a running pause complete first.
#pragma once

#include <atomic>
#include <functional>

#include "dock/DockDevice.h"
#include "lens/LensSettingsModel.h"
#include "lens/TransferHost.h"
#include "update/EmcControl.h"

namespace cbx::lens {

// Function numbers of the numbered error reports.
inline constexpr int kFnEMCReadAFData = 80;
inline constexpr int kFnEMCWriteAFData = 81;

// One read of the AF data area into AfImage, block i at index i. A read that fails half way
// leaves the images as they were. Returns the transfer result.
int EMCReadAFData(dock::DockDevice& device, LensSettingsModel& model, TransferProgress& progress);
// One write of the AF data area from AfImage with the current set's table taken from
// afEditBuffer; each written block replaces its AfImage entry. Returns the transfer result.
int EMCWriteAFData(dock::DockDevice& device, LensSettingsModel& model, TransferProgress& progress);

// One transfer step of a firmware loop; returns the transfer result.
using EmcTransfer = std::function<int(TransferProgress& progress)>;

class EmcLoop {
 public:
  // The pause between steps (3000 ms); tests shorten it.
  static void SetWaitMs(int ms) { waitMs_ = ms; }
  static int WaitMs() { return waitMs_; }

  // Lens dock: read the AF data area, pause, write it back, pause, until cancelled.
  static int AfData(dock::DockDevice& device, LensSettingsModel& model, EmcControl& control);
  // Mount converter and flash unit: the firmware transfer, pause, until cancelled.
  static int Firmware(const EmcTransfer& transfer, EmcControl& control);

 private:
  static inline std::atomic<int> waitMs_{3000};
};

}  // namespace cbx::lens
