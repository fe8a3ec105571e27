// Reading and writing the lens's settings: the transfer workers (one per kind of transfer,
// each run on the transfer host's thread) and the controller operations that start them
// around the status checks and the status-poll thread.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "dock/DockDevice.h"
#include "lens/LensSettingsModel.h"
#include "lens/SettingsErrors.h"
#include "lens/TransferHost.h"
#include "update/AppState.h"

namespace cbx::lens {

// Function numbers of the numbered error reports.
inline constexpr int kFnAfDataWrite = 30;
inline constexpr int kFnAfDataWritingThread = 31;
inline constexpr int kFnCsDataWrite = 40;
inline constexpr int kFnCustomDataWritingThread = 41;
inline constexpr int kFnCsDataReadThread = 68;
inline constexpr int kFnBothDataRead = 70;
inline constexpr int kFnBothDataReadThread = 71;

// Error numbers.
inline constexpr int kErrFailure = 24;
inline constexpr int kErrCommand = 26;
inline constexpr int kErrResponse = 27;
inline constexpr int kErrUpdateStatus = 29;
inline constexpr int kErrOther = 30;
inline constexpr int kErrLensFailure = 31;
inline constexpr int kErrDockNotConnected = 32;
inline constexpr int kErrLensNotConnected = 33;
inline constexpr int kErrCopyBlockData = 34;

// ---- workers: each returns a TransferResult ----

// The AF data area into AfImage and CsImage (a standard lens keeps its CS record there).
int BothDataReadThread(dock::DockDevice& device, LensSettingsModel& model, TransferProgress& progress);
// The CS data area into CsImage (ml-mount lenses).
int CSDataReadThread(dock::DockDevice& device, LensSettingsModel& model, TransferProgress& progress);
// The edited AF table into the current set's places.
int AFDataWritingThread(dock::DockDevice& device, LensSettingsModel& model, TransferProgress& progress);
// The CS record: types 3 and 18 from the edited values, type 19 (ml-mount reset) erased.
int CustomDataWritingThread(dock::DockDevice& device, LensSettingsModel& model, int transferType,
                            TransferProgress& progress);
// Type 7: computed defaults into the existing blocks; type 13: the firmware file's defaults
// into erased blocks. Every AF table becomes zero corrections.
int ResetDataWritingThread(dock::DockDevice& device, LensSettingsModel& model, int transferType,
                           TransferProgress& progress);
// The settings saved before a firmware update (afSetBuffers, csSnapshot) into erased blocks.
int RestoreDataWritingThread(dock::DockDevice& device, LensSettingsModel& model, TransferProgress& progress);

// The AF data area on its own, with the AF writer's commands and reports under the given
// function number (the EMC test's). The read fills `into` (emptied first), block i at i;
// the write composes each block from AfImage with the current set's table and hands the
// written block to every image of `updated`.
int ReadAfArea(dock::DockDevice& device, const LensSettingsModel& model, int functionNumber, Image& into,
               TransferProgress& progress);
int WriteAfArea(dock::DockDevice& device, LensSettingsModel& model, int functionNumber,
                std::vector<Image*> updated, TransferProgress& progress);

// The worker of a transfer type; result 4 for a type that is not a settings transfer.
int RunSettingsWorker(int transferType, dock::DockDevice& device, LensSettingsModel& model,
                      TransferProgress& progress);

// ---- controller operations ----

class SettingsController {
 public:
  SettingsController(dock::DockDevice& device, LensSettingsModel& model, AppState& state, TransferHost& host)
      : device_(device), model_(model), state_(state), host_(host) {}

  // The front end shows the transfer (progress dialog or bar) from here; called on the
  // calling thread before the worker starts.
  std::function<void(int transferType, TransferProgress& progress)> onTransfer;
  // The controller's device-lost handling.
  std::function<void()> onDeviceLost;

  // Each returns true on success; `failed` is set when the lens reported a failure.
  bool BothDataRead(bool& failed, bool beforeUpdate);
  bool AFDataWrite(bool& failed);
  bool CSDataWrite(bool& failed);
  bool ResetCustomData(bool& failed, bool fromFirmwareFile);
  bool RestoreCustomData(bool& failed);

  // The transfer type the last operation ran; -1 when none ran.
  int LastTransferType() const { return lastType_; }

 private:
  int RunTransfer(int transferType);
  bool WriteOperation(int functionNumber, int transferType, bool managesPolling, bool& failed);
  void AfterLensFailure(bool& failed);
  void RefreshModelAfterRead();
  void DeviceLost();

  dock::DockDevice& device_;
  LensSettingsModel& model_;
  AppState& state_;
  TransferHost& host_;
  int lastType_ = -1;
};

}  // namespace cbx::lens
