#include "firmware/FirmwareUpdate.h"

#include "app/Log.h"

namespace cbx::firmware {

namespace {

constexpr int kErrFailure = 24;
constexpr int kErrDockFailure = 25;
constexpr int kErrLensFailure = 31;

// A device that answered nothing usable, or is not there, cannot take firmware.
bool LensCanUpdate(const dock::DockDevice& device) {
  const int status = device.lastStatus();
  return device.IsReady() && status != dock::kStatusNotFinished && status != dock::kStatusNoAnswer &&
         status != dock::kStatusAccepted;
}

int RunLensWorker(FirmwareUpdater& u, int transferType) {
  u.device.StopPolling();
  return u.host.Run(
      transferType,
      [&u, transferType](lens::TransferProgress& progress) {
        return LensFWUpdateThread(transferType, u.device, u.state.currentDevice, progress);
      },
      u.progress);
}

bool LensOutcome(int result) {
  switch (result) {
    case lens::kTransferSuccess: return true;
    case lens::kTransferDeviceFailure: ReportError(kFnLensFWUpdate, kErrLensFailure); return false;
    case lens::kTransferDataFailure: ReportError(kFnLensFWUpdate, kErrFailure); return false;
    // The 256-byte lens variant has reported under the dock's numbers already.
    default: return false;
  }
}

bool DockOutcome(FirmwareUpdater& u, int result, int failureMessage) {
  switch (result) {
    case lens::kTransferSuccess: return true;
    case lens::kTransferDockFailure:
      ReportError(kFnDockFWUpdate, kErrDockFailure);
      u.ui.AskMessage(failureMessage);
      return false;
    case lens::kTransferDataFailure: ReportError(kFnDockFWUpdate, kErrFailure); return false;
    default: return false;
  }
}

int RunDockWorker(FirmwareUpdater& u, int transferType) {
  return u.host.Run(
      transferType,
      [&u, transferType](lens::TransferProgress& progress) {
        return DockFWUpdateThread(transferType, u.device, u.state.dock, u.state.restartPending, progress,
                                  u.reconnect);
      },
      u.progress);
}

}  // namespace

bool LensFWUpdate(FirmwareUpdater& u) {
  if (!LensCanUpdate(u.device)) return false;
  const int method = u.state.currentDevice.transferMethod;
  const int type = method == 1   ? lens::kTransferLensFirmwareSectors
                   : method == 2 ? lens::kTransferLensFirmware256
                                 : lens::kTransferLensFirmware;
  return LensOutcome(RunLensWorker(u, type));
}

bool FlashFWUpdate(FirmwareUpdater& u, bool& notBusy) {
  if (!LensCanUpdate(u.device)) return false;
  if (!u.device.IsNotBusy()) {
    notBusy = false;
    return false;
  }
  return LensOutcome(RunLensWorker(u, lens::kTransferLensFirmware));
}

bool DockFWUpdate(FirmwareUpdater& u) {
  if (!u.device.IsReady()) return false;
  return DockOutcome(u, RunDockWorker(u, lens::kTransferDockFirmware), kMessageDockUpdateFailed);
}

bool ConverterFWUpdate(FirmwareUpdater& u) {
  if (!u.device.IsReady()) return false;
  u.device.StopPolling();
  return DockOutcome(u, RunDockWorker(u, lens::kTransferConverterFirmware), kMessageConverterUpdateFailed);
}

}  // namespace cbx::firmware
