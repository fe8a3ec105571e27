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
constexpr int kTextLensDockAccepted = 3117;
constexpr int kMessageFlashAccepted = 306;
constexpr int kTextFlashAccepted = 3307;

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
    case WM_DOCK_OPENED: OnDockOpened(event.wParam != 0); break;
    case WM_DOCK_STATUS:
      OnDockStatus(static_cast<int>(event.wParam & 0xFFFF), static_cast<int>((event.wParam >> 16) & 0xFFFF));
      break;
    case WM_DOCK_RESTARTED: OnDockRestarted(); break;
    default: break;
  }
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
    StartReconnectWait();
    return;
  }
  EndOpenDialogs();
  s_.ui.RefreshHistoryList();
  if (kind == dock::DeviceKind::LensDock || kind == dock::DeviceKind::Flash) StartDockFWUpdateSequence(true);
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
  s_.ui.HomeMessage(homeMessage, false, false);
}

void SessionController::RunLensSequence(LensVariant variant) {
  if (startLensSequence) startLensSequence(variant);
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
        RunCheck(update::kCheckNothing, kWaitFlashSettle);
        RunLensSequence(LensVariant::kFlash);
        return;
      case dock::kStatusAccepted:
        s_.state.openMessageDialog = kMessageFlashAccepted;
        s_.ui.AskMessage(kMessageFlashAccepted, std::to_string(kTextFlashAccepted));
        s_.state.openMessageDialog = 0;
        return;
      default: return;
    }
  }

  s_.state.converterAttached = false;
  dock::Report reply{};
  if (s_.dock.SendCommand(dock::cmd::kProductCode) && s_.dock.ReadResponse(dock::cmd::kProductCodeReply, reply)) {
    const auto code = static_cast<std::uint16_t>(reply[3] | (reply[4] << 8));
    if (code != 0xFFFF && code != 0) {
      s_.dock.SetProductCode(code);
      s_.state.converterAttached = dock::IsConverterProductCode(code);
    }
  }
  s_.dock.SetDeviceKind(dock::DeviceKind::LensDock);
  switch (current) {
    case dock::kStatusNotFinished:
      EndOpenMessageIfEndable();
      if (IsCurrentDeviceShown()) ClearShownDevice(UM_LENS_HOME);
      s_.state.currentDevice.Clear();
      s_.ui.RefreshHistoryList();
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
      s_.state.openMessageDialog = kMessageLensDockAccepted;
      s_.ui.AskMessage(kMessageLensDockAccepted, std::to_string(kTextLensDockAccepted));
      s_.state.openMessageDialog = 0;
      return;
    default: return;
  }
}

void SessionController::DeviceLost() {
  const int open = s_.state.openMessageDialog;
  if (open != 0) {
    const bool cancel = std::find(kCancelOnLoss.begin(), kCancelOnLoss.end(), open) != kCancelOnLoss.end();
    s_.ui.EndMessage(!cancel);
  }
  s_.dock.StopPolling();
  SetDockConnected(false);
  s_.ui.RefreshHistoryList();
  if (IsCurrentDeviceShown()) {
    const dock::DeviceKind kind = s_.dock.deviceKind();
    s_.ui.RefreshHistoryList();
    s_.ui.SetDeviceTitle({}, true);
    s_.state.shownDevice.Clear();
    s_.ui.ShowScreen(-1);
    if (kind == dock::DeviceKind::LensDock) s_.ui.HomeMessage(UM_LENS_HOME, false, false);
    if (kind == dock::DeviceKind::Flash) s_.ui.HomeMessage(UM_FLASH_HOME, false, false);
  }
  s_.state.currentDevice.Clear();
  s_.dock.Close();
  if (!s_.dock.Record() && !s_.dock.IsConnecting()) s_.dock.StartConnectThread();
}

void SessionController::ResetToHome() {
  s_.state.currentDevice.Clear();
  s_.state.shownDevice.Clear();
  s_.ui.SetDeviceTitle({}, true);
  s_.ui.ShowScreen(-1);
  s_.ui.RefreshHistoryList();
}

void SessionController::ForgetDevice() {
  const int index = s_.state.lensHistory.IndexOf(s_.state.currentDevice);
  if (index >= 0) s_.state.lensHistory.RemoveAt(index);
  ResetToHome();
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
