#include "session/SessionController.h"

#include <algorithm>
#include <array>

#include "dock/DeviceIdentity.h"
#include "dock/Protocol.h"

namespace cbx::session {

namespace {

// Kinds whose loss-of-device end is a Cancel; every other message is acknowledged.
constexpr std::array kCancelOnLoss{1,   3,   11,  12,  15,  16,  21,  24,  25,  100, 101,
                                   102, 201, 202, 204, 207, 301, 302, 304, 308, 309};

// Waiting message and check kind of the flash unit's settle check.
constexpr int kWaitFlashSettle = 309;
constexpr int kMessageLensDockAccepted = 19;
constexpr int kMessageFlashAccepted = 306;
constexpr int kMessageNewerProgram = 27;
constexpr int kTextNewerProgram = 3134;
constexpr int kMessageInformation = 2;
constexpr int kTextDeviceAccessDenied = 3141;

std::uint32_t HomeMessageOf(dock::DeviceKind kind) {
  switch (kind) {
    case dock::DeviceKind::MountConverter: return UM_MOUNT_HOME;
    case dock::DeviceKind::Flash: return UM_FLASH_HOME;
    default: return UM_LENS_HOME;
  }
}

}  // namespace

SessionController::SessionController(SessionParts parts) : s_(parts) {}

SessionController::~SessionController() {
  std::lock_guard lock(reconnectMutex_);
  if (reconnectThread_.joinable()) reconnectThread_.join();
}

void SessionController::HandleEvent(const Event& event) {
  switch (event.message) {
    case WM_START_MONITORING: StartMonitoring(); break;
    case WM_DOCK_OPENED: OnDockOpened(event.wParam != 0); break;
    case WM_DOCK_ACCESS_DENIED: OnDockAccessDenied(); break;
    case WM_DOCK_STATUS:
      OnDockStatus(static_cast<int>(event.wParam & 0xFFFF), static_cast<int>((event.wParam >> 16) & 0xFFFF));
      break;
    case WM_DOCK_RESTARTED: OnDockRestarted(); break;
    case WM_CONVERTER_RESTARTED: OnConverterRestarted(); break;
    case WM_DEVICECHANGE:
      if (event.wParam == DBT_DEVNODES_CHANGED) OnDeviceChange();
      break;
    default: break;
  }
}

void SessionController::StartMonitoring() {
  if (s_.checker.CheckProgramUpdate()) {
    if (s_.ui.AskMessage(kMessageNewerProgram, Text(kTextNewerProgram)) == kResultYes) s_.ui.OpenProgramWebPage();
  }
  // The histories were loaded at the start of the run; the list shows them now.
  s_.ui.RefreshHistoryList();
  s_.dock.RegisterArrival(&s_.events);
  if (!s_.dock.Record() && !s_.dock.IsConnecting()) s_.dock.StartConnectThread();
  s_.state.monitoringStarted = true;
}

void SessionController::OnDeviceChange() {
  if (s_.state.sequenceActive || !s_.state.monitoringStarted || s_.dock.IsConnecting()) return;
  if (!s_.dock.RequestStatusExclusive()) DeviceLost();
}

void SessionController::OnDockAccessDenied() {
  if (accessNoticeShown_) return;
  accessNoticeShown_ = true;
  s_.ui.AskMessage(kMessageInformation, Text(kTextDeviceAccessDenied));
}

void SessionController::OnDockOpened(bool opened) {
  s_.state.converterAttached = false;
  if (s_.state.exportImportRunning || !opened) return;
  const dock::DeviceKind kind = s_.dock.deviceKind();
  s_.ui.ShowScreen(-1);
  s_.ui.HomeMessage(HomeMessageOf(kind), false, false);
  SetDockConnected(true);
  if (s_.state.restartPending) {
    // The device came back from its own firmware update.
    if (kind == dock::DeviceKind::MountConverter) StartDockFWUpdateSequence(true);
    StartReconnectWait();
    return;
  }
  EndOpenDialogs();
  s_.ui.RefreshHistoryList();
  if (kind == dock::DeviceKind::LensDock || kind == dock::DeviceKind::Flash ||
      kind == dock::DeviceKind::MountConverter) {
    StartDockFWUpdateSequence(true);
  }
}

void SessionController::EndOpenDialogs() {
  if (s_.state.openMessageDialog != 0) {
    s_.ui.EndMessage(false);
  } else if (s_.state.openWaitDialog != 0) {
    s_.ui.EndWaitMessage();
  }
}

void SessionController::EndOpenMessageIfEndable() {
  if (!s_.state.sequenceActive && s_.state.dialogEndable && s_.state.openMessageDialog != 0) {
    s_.ui.EndMessage(false);
  }
}

void SessionController::ClearShownDevice(std::uint32_t homeMessage) {
  s_.ui.RefreshHistoryList();
  s_.ui.SetDeviceTitle({}, true);
  s_.state.shownDevice.Clear();
  s_.ui.ShowScreen(-1);
  if (homeMessage != 0) s_.ui.HomeMessage(homeMessage, false, false);
}

void SessionController::RunLensSequence(LensVariant variant) {
  LensOutcome outcome;
  StartLensFWUpdateSequence(variant, true, outcome);
  HandleAutomaticOutcome(variant, outcome);
}

void SessionController::DropSettingsImages() {
  lens::ClearImage(s_.model.AfImage);
  lens::ClearImage(s_.model.CsImage);
}

void SessionController::OnDockStatus(int previous, int current) {
  if (s_.dock.deviceKind() == dock::DeviceKind::Flash) {
    switch (current) {
      case dock::kStatusNotFinished:
        EndOpenMessageIfEndable();
        if (IsCurrentDeviceShown()) ClearShownDevice(UM_FLASH_HOME);
        s_.state.currentDevice.Clear();
        s_.ui.RefreshHistoryList();
        return;
      case dock::kStatusNoAnswer: DeviceLost(); return;
      case dock::kStatusDone:
      case dock::kStatusBusy:
        // A flash unit swinging between ready and busy is identified once.
        if (previous == dock::kStatusDone || previous == dock::kStatusBusy) return;
        [[fallthrough]];
      case dock::kStatusWorking:
        s_.ui.ShowScreen(-1);
        s_.ui.HomeMessage(UM_FLASH_HOME, false, false);
        EndOpenDialogs();
        aboutUsbDevice_ = false;
        RunCheck(update::kCheckNothing, kWaitFlashSettle);
        RunLensSequence(LensVariant::kFlash);
        return;
      case dock::kStatusAccepted:
        AskPublished(kMessageFlashAccepted);
        return;
      default: return;
    }
  }

  s_.state.converterAttached = false;
  // The poll thread is paused for this exchange: interleaved with its status request,
  // either side could take the other's reply and a present device would look lost.
  const bool wasPolling = s_.dock.IsPolling();
  s_.dock.StopPolling();
  dock::Report reply{};
  if (s_.dock.SendCommand(dock::cmd::kProductCode) && s_.dock.ReadResponse(dock::cmd::kProductCodeReply, reply)) {
    const auto code = static_cast<std::uint16_t>(reply[3] | (reply[4] << 8));
    if (code != 0xFFFF && code != 0) {
      s_.dock.SetProductCode(code);
      s_.state.converterAttached = dock::IsConverterProductCode(code);
    }
  }
  if (wasPolling) s_.dock.StartPolling();
  s_.dock.SetDeviceKind(dock::DeviceKind::LensDock);
  switch (current) {
    case dock::kStatusNotFinished:
      EndOpenMessageIfEndable();
      if (IsCurrentDeviceShown()) ClearShownDevice(UM_LENS_HOME);
      s_.state.currentDevice.Clear();
      s_.ui.RefreshHistoryList();
      s_.ui.MarkConnectedDevice(-1, false);
      DropSettingsImages();
      return;
    case dock::kStatusNoAnswer: DeviceLost(); return;
    case dock::kStatusDone:
    case dock::kStatusWorking:
      s_.ui.ShowScreen(current == dock::kStatusDone && s_.state.converterAttached ? 9 : -1);
      s_.ui.HomeMessage(UM_LENS_HOME, false, false);
      EndOpenDialogs();
      if (s_.state.converterAttached) {
        s_.dock.SetDeviceKind(dock::DeviceKind::MountConverter);
        s_.ui.HomeMessage(UM_MOUNT_HOME, false, false);
        RunLensSequence(LensVariant::kConverterLens);
      } else {
        RunLensSequence(LensVariant::kLens);
      }
      return;
    case dock::kStatusAccepted:
      AskPublished(kMessageLensDockAccepted);
      return;
    default: return;
  }
}

void SessionController::EndForLoss() {
  const int open = s_.state.openMessageDialog;
  if (open != 0) {
    const bool cancel = std::find(kCancelOnLoss.begin(), kCancelOnLoss.end(), open) != kCancelOnLoss.end();
    s_.ui.EndMessage(!cancel);
  } else {
    s_.ui.ClosePreferenceDialog();
  }
}

void SessionController::DeviceLost() {
  EndForLoss();
  s_.dock.StopPolling();
  ForgetLostDevice(s_.dock.deviceKind() == dock::DeviceKind::Flash ? UM_FLASH_HOME
                   : s_.dock.deviceKind() == dock::DeviceKind::LensDock ? UM_LENS_HOME
                                                                        : 0);
}

void SessionController::ForgetLostDevice(std::uint32_t homeMessage) {
  SetDockConnected(false);
  s_.ui.RefreshHistoryList();
  DropSettingsImages();
  if (IsCurrentDeviceShown()) ClearShownDevice(homeMessage);
  s_.state.currentDevice.Clear();
  s_.ui.MarkConnectedDevice(-1, false);
  s_.dock.Close();
  if (!s_.dock.Record() && !s_.dock.IsConnecting()) s_.dock.StartConnectThread();
}

void SessionController::ConverterLost() {
  EndForLoss();
  if (s_.dock.RequestStatusExclusive()) {
    // Still there: the converter restarts later, and the wait thread follows it.
    if (!s_.dock.IsPolling()) s_.dock.StartPolling();
    StartReconnectWait();
    return;
  }
  s_.dock.StopPolling();
  ForgetLostDevice(UM_MOUNT_HOME);
}

void SessionController::ResetToHome() {
  s_.ui.RefreshHistoryList();
  DropSettingsImages();
  if (IsCurrentDeviceShown()) {
    s_.ui.RefreshHistoryList();
    s_.ui.SetDeviceTitle({}, true);
    s_.state.shownDevice.Clear();
  }
  s_.ui.ShowScreen(-1);
  s_.ui.HomeMessage(HomeMessageOf(s_.dock.deviceKind()), false, false);
  s_.state.currentDevice.Clear();
  s_.ui.MarkConnectedDevice(-1, false);
}

void SessionController::ForgetDevice() {
  const int index = s_.state.lensHistory.IndexOf(s_.state.currentDevice);
  if (index >= 0) s_.state.lensHistory.RemoveAt(index);
  s_.ui.RefreshHistoryList();
  s_.ui.SetDeviceTitle({}, true);
  s_.ui.ShowScreen(-1);
  DropSettingsImages();
  s_.state.shownDevice.Clear();
  s_.state.currentDevice.Clear();
  s_.ui.MarkConnectedDevice(-1, false);
}

void SessionController::MarkConnectedDevice() {
  if (NoCurrentDevice()) {
    s_.ui.MarkConnectedDevice(-1, false);
    return;
  }
  const bool added = !s_.state.lensHistory.AddOrReplace(s_.state.currentDevice);
  s_.ui.MarkConnectedDevice(s_.state.lensHistory.IndexOf(s_.state.currentDevice), added);
}

bool SessionController::NoCurrentDevice() const {
  return s_.state.currentDevice.IsSameDevice(update::CLensUpdateInfoData{});
}

bool SessionController::IsCurrentDeviceShown() const {
  return !NoCurrentDevice() && s_.state.shownDevice.IsSameDevice(s_.state.currentDevice);
}

void SessionController::SetDockConnected(bool connected) {
  s_.state.dockConnected = connected;
  s_.ui.SetConnectionLamp(connected);
  if (connected) return;
  auto& d = s_.state.dock;
  d.dockRawVersion.clear();
  d.dockId.clear();
  d.dockMountName.clear();
  d.dockUpDate.clear();
  d.dockFwversion.clear();
  d.dockDisplayVer.clear();
  s_.state.dockMountCode = 0xFF;
  s_.state.converterMountCode = 0xFF;
}

int SessionController::AskWithPolling(int kind, const std::string& text) {
  s_.state.openMessageDialog = kind;
  SetSequenceActive(false);
  s_.dock.StartPolling();
  const int answer = s_.ui.AskMessage(kind, text);
  SetSequenceActive(true);
  s_.dock.StopPolling();
  s_.state.openMessageDialog = 0;
  return answer;
}

int SessionController::AskPublished(int kind, const std::string& text) {
  s_.state.openMessageDialog = kind;
  const int answer = s_.ui.AskMessage(kind, text);
  s_.state.openMessageDialog = 0;
  return answer;
}

int SessionController::AskWaitPublished(int kind, const std::string& text) {
  s_.state.openWaitDialog = kind;
  const int answer = s_.ui.AskMessage(kind, text);
  s_.state.openWaitDialog = 0;
  return answer;
}

int SessionController::AskQuietly(int kind, const std::string& text) {
  SetSequenceActive(false);
  s_.state.openMessageDialog = kind;
  s_.state.dialogEndable = false;
  const int answer = s_.ui.AskMessage(kind, text);
  s_.state.openMessageDialog = 0;
  SetSequenceActive(true);
  s_.state.dialogEndable = true;
  return answer;
}

void SessionController::StartReconnectWait() {
  std::lock_guard lock(reconnectMutex_);
  if (reconnectThread_.joinable()) reconnectThread_.join();
  reconnectThread_ = std::thread([this] {
    try {
      while (s_.state.sequenceBusy) std::this_thread::sleep_for(reconnectStep_);
      const bool converter = s_.dock.deviceKind() == dock::DeviceKind::MountConverter;
      s_.events.Post(Event{converter ? WM_CONVERTER_RESTARTED : WM_DOCK_RESTARTED, 0, 0});
    } catch (...) {
      // Nothing to post to: the restart is then picked up by the next device event.
    }
  });
}

std::string SessionController::Text(int id) const {
  std::string text;
  s_.texts.GetText(static_cast<std::uint32_t>(id), text);
  return text;
}

}  // namespace cbx::session
