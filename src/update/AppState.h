// The program-wide state that the device session, the update checks and the screens
// share. Flags read across threads are atomic; the records are written by one worker at a
// time while the user interface waits for it.
#pragma once

#include <atomic>
#include <string>

#include "update/DockHistory.h"
#include "update/DockUpdateInfo.h"
#include "update/LensHistory.h"
#include "update/LensUpdateInfo.h"

namespace cbx {

struct AppState {
  // Configuration and language.
  std::string serverUrlOverride;
  std::atomic<bool> emcTestEnabled{false};
  int uiLanguage = 0;

  // Session flags.
  std::atomic<bool> lensVersionUnreadable{false};
  std::atomic<bool> converterAttached{false};
  // Set at every download attempt, cleared when the user gives up retrying; the update
  // buttons are enabled only while it is set.
  std::atomic<bool> downloadEnabled{false};
  // While a history export or import runs, device openings are ignored.
  std::atomic<bool> exportImportRunning{false};
  // A sequence holds the device (cleared while it waits for the user).
  std::atomic<bool> sequenceActive{false};
  // Raised by the dock and converter firmware workers before 0x050B: the next disappearance
  // and return of the device belong to the update.
  std::atomic<bool> restartPending{false};
  // The EMC test runs, or ended without the user's cancel (the screens start it again).
  std::atomic<bool> emcRunning{false};
  // A dock sequence runs; the reconnect-wait thread waits for it to end.
  std::atomic<bool> sequenceBusy{false};
  std::atomic<bool> monitoringStarted{false};
  // The top bar's connection lamp.
  std::atomic<bool> dockConnected{false};
  // When false, a removal seen by the status poll leaves the open message alone.
  std::atomic<bool> dialogEndable{true};
  // Kind of the message the session may end from outside, and of the published waiting
  // message; 0 when none is shown.
  std::atomic<int> openMessageDialog{0};
  std::atomic<int> openWaitDialog{0};

  // The USB device: its identification and what the server says about it.
  update::DockUpdateInfo dock;
  int dockMountCode = 0xFF;
  int converterMountCode = 0xFF;
  std::uint8_t dockCapability = 0;

  // The attached device, the record the screens show, and the histories.
  update::CLensUpdateInfoData currentDevice;
  update::CLensUpdateInfoData shownDevice;
  update::LensHistory lensHistory;
  update::DockHistory dockHistory;
};

}  // namespace cbx
