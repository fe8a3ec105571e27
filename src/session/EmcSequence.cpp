// The EMC test from the controller's side: the device is given to the test's worker for as
// long as the user wants, with the status-poll thread stopped.
#include <atomic>

#include "firmware/FirmwareTransfer.h"
#include "lens/EmcTest.h"
#include "session/SessionController.h"

namespace cbx::session {

bool SessionController::EmcTest() {
  if (emcInProgress_.exchange(true)) return false;
  AppState& st = s_.state;
  st.emcRunning = true;
  // Marked busy so that device-change probes keep off the device while the worker holds it:
  // a status request between a worker's request and its reply would take that reply.
  const bool wasActive = st.sequenceActive.exchange(true);
  // However the test ends, the device is watched again and the next test may start.
  struct Restore {
    SessionController& self;
    bool wasActive;
    ~Restore() {
      self.s_.state.sequenceActive = wasActive;
      if (!self.s_.dock.IsPolling()) self.s_.dock.StartPolling();
      self.emcInProgress_ = false;
    }
  } restore{*this, wasActive};
  s_.dock.StopPolling();

  EmcControl control;
  int result = lens::kTransferSuccess;
  switch (s_.dock.deviceKind()) {
    case dock::DeviceKind::MountConverter: {
      // The worker has its own copies: the session's records stay the user-interface
      // thread's, and the restart after each transfer is the test's, not an update's.
      update::DockUpdateInfo dockInfo = st.dock;
      std::atomic<bool> restartPending{false};
      const firmware::ReconnectTiming timing = s_.updater.reconnect;
      result = s_.ui.RunEmcTest(control, [&] {
        return lens::EmcLoop::Firmware(
            [&](lens::TransferProgress& progress) {
              return firmware::DockFWUpdateThread(lens::kTransferConverterFirmware, s_.dock, dockInfo,
                                                  restartPending, progress, timing);
            },
            control);
      });
      st.dock.dockRawVersion = dockInfo.dockRawVersion;
      break;
    }
    case dock::DeviceKind::Flash: {
      update::CLensUpdateInfoData record = st.currentDevice;
      result = s_.ui.RunEmcTest(control, [&] {
        return lens::EmcLoop::Firmware(
            [&](lens::TransferProgress& progress) {
              return firmware::LensFWUpdateThread(lens::kTransferLensFirmware, s_.dock, record, progress);
            },
            control);
      });
      st.currentDevice.rawVersion = record.rawVersion;
      break;
    }
    default:
      result = s_.ui.RunEmcTest(control, [&] { return lens::EmcLoop::AfData(s_.dock, s_.model, control); });
      break;
  }

  // A device that went away shows as a failed status of the poll thread started again on
  // the way out, and its loss is handled then.
  const bool cancelled = result == lens::kTransferSuccess;
  if (cancelled) st.emcRunning = false;
  return cancelled;
}

}  // namespace cbx::session
