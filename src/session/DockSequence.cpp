// The dock sequence: identify the USB device itself, check the server for newer firmware
// of it and offer to install it; and the re-identification after its restart.
#include <string>

#include "app/Log.h"
#include "dock/IdentificationRules.h"
#include "session/SessionController.h"

namespace cbx::session {

namespace {

constexpr int kMessageQuestion = 3;
constexpr int kTextUnreadableVersion = 3126;
constexpr int kTextOfferDockUpdate = 3107;
constexpr int kMessageNewest = 51;
constexpr int kMessageInformation = 2;
constexpr int kTextNoInformation = 3139;
constexpr int kMessageProgramTooOld = 312;
constexpr int kTextProgramTooOld = 3315;
constexpr int kMessageReadFailed = 23;
constexpr int kMessageUpdated = 14;
constexpr int kWaitDockCheck = 102;
constexpr int kMessageConverterReadFailed = 203;
constexpr int kTextConverterNoInformation = 3211;
constexpr int kTextConverterUpdated = 3202;
constexpr int kWaitConverterCheck = 207;
constexpr int kConverterHomeScreen = 9;

// The USB device's own identification read.
struct DockReading {
  std::string versionText, mountText;
  int mountCode = 0xFF;
  std::uint32_t version = 0;
  std::uint8_t formatByte = 0, capability = 0;
};

bool ReadDock(dock::DockDevice& device, bool throughConverter, DockReading& r) {
  return throughConverter
             ? device.ReadDeviceVersionOnConverter(r.versionText, r.mountText, r.mountCode, r.version, r.formatByte,
                                                   r.capability)
             : device.ReadDeviceVersion(r.versionText, r.mountText, r.mountCode, r.version, r.formatByte, r.capability);
}

// Version text, mount text, mount code and format byte into the dock fields.
void StoreDockReading(AppState& st, const DockReading& r, bool converter) {
  st.dock.dockRawVersion = r.versionText;
  st.dock.dockId = r.mountText;
  (converter ? st.converterMountCode : st.dockMountCode) = r.mountCode;
  st.dock.dockFormatMarker = r.formatByte;
}

}  // namespace

void SessionController::BeginDockSequence() {
  s_.state.sequenceActive = true;
  s_.state.sequenceBusy = true;
  s_.dock.StopPolling();
  s_.state.dock.dockVersionUnreadable = 0;
  s_.state.dock.dockDisplayVer.clear();
}

void SessionController::EndDockSequence() {
  s_.state.sequenceBusy = false;
  s_.state.sequenceActive = false;
}

int SessionController::RunCheck(int checkKind, int waitKind) {
  return s_.ui.RunUpdateCheck(waitKind, [this, checkKind] { return s_.checker.Run(checkKind); });
}

void SessionController::FinalProbe() {
  if (!s_.dock.RequestStatusExclusive()) {
    DeviceLost();
  } else {
    s_.dock.StartPolling();
  }
}

void SessionController::StartDockFWUpdateSequence(bool automatic) {
  aboutUsbDevice_ = true;
  if (s_.dock.deviceKind() == dock::DeviceKind::MountConverter) {
    StartConverterSequence(automatic);
    return;
  }
  RunDockSequence(automatic, s_.dock.deviceKind() == dock::DeviceKind::Flash);
}

void SessionController::StartLensDockFWUpdateSequence(bool automatic) {
  aboutUsbDevice_ = true;
  RunDockSequence(automatic, false);
}

void SessionController::RunDockSequence(bool automatic, bool flash) {
  AppState& st = s_.state;
  BeginDockSequence();
  if (!flash) st.currentDevice.deviceCategory = st.currentDevice.productCodeText.rfind('C', 0) == 0 ? 3 : 0;

  DockReading reading;
  if (!ReadDock(s_.dock, false, reading)) {
    ReportError(kFnDockSequence, kErrCannotReadDockVersion);
    s_.ui.AskMessage(kMessageReadFailed);
    FinalProbe();
    // Reset, so that what depends on the dock fields is disabled.
    StoreDockReading(st, DockReading{}, false);
    st.dockCapability = 0;
    EndDockSequence();
    return;
  }
  StoreDockReading(st, reading, false);
  st.dockCapability = reading.capability;
  st.dock.dockDisplayVer = dock::DeviceVersionDisplay(reading.versionText, reading.formatByte);

  bool forced = false;
  bool skipped = false;
  if (reading.version == kUnreadableDockVersion) {
    st.dock.dockVersionUnreadable = 1;
    forced = AskQuietly(kMessageQuestion, Text(kTextUnreadableVersion)) == kResultYes;
    skipped = !forced;
  }
  int result = -1;
  if (!skipped) result = RunCheck(flash ? update::kCheckFlashDock : update::kCheckDock, kWaitDockCheck);

  if (!s_.dock.RequestStatusExclusive()) {
    ReportError(kFnDockSequence, kErrCannotCheckDockUpdate);
  } else {
    if (forced) result = update::kCheckNewer;
    switch (result) {
      case update::kCheckNewer:
        if (AskQuietly(kMessageQuestion, Text(kTextOfferDockUpdate)) == kResultYes &&
            s_.dock.RequestStatusExclusive() && firmware::DockFWUpdate(s_.updater)) {
          st.dock.dockVersionUnreadable = 0;
        }
        break;
      case update::kCheckNewest:
      case update::kCheckNotPermitted:
        if (result == update::kCheckNotPermitted && !flash) break;
        if (!automatic) AskQuietly(kMessageNewest, DockVersionLine());
        break;
      case update::kCheckFailed: ReportError(kFnDockSequence, kErrCannotCheckDockUpdate); break;
      case update::kCheckNoInformation: AskQuietly(kMessageInformation, Text(kTextNoInformation)); break;
      case update::kCheckProgramTooOld:
        if (!flash) break;
        st.openMessageDialog = kMessageProgramTooOld;
        SetSequenceActive(false);
        if (s_.ui.AskMessage(kMessageProgramTooOld, Text(kTextProgramTooOld)) == kResultYes) {
          s_.ui.OpenProgramWebPage();
        }
        SetSequenceActive(true);
        st.openMessageDialog = 0;
        break;
      default: break;
    }
  }
  FinalProbe();
  EndDockSequence();
}

void SessionController::OnDockRestarted() {
  aboutUsbDevice_ = true;
  AppState& st = s_.state;
  st.restartPending = false;
  s_.dock.StopPolling();
  s_.dock.SetLastStatus(0);

  DockReading reading;
  if (!ReadDock(s_.dock, false, reading)) {
    ReportError(kFnDockSequence, kErrCannotReadDockVersion);
    s_.ui.AskMessage(kMessageReadFailed);
    FinalProbe();
    return;
  }
  StoreDockReading(st, reading, false);
  if (reading.formatByte == update::kExtendedFormatMarker) {
    st.dock.dockDisplayVer = dock::DeviceVersionDisplay(reading.versionText, reading.formatByte);
  }

  const bool flash = s_.dock.deviceKind() == dock::DeviceKind::Flash;
  int result = RunCheck(flash ? update::kCheckFlashDock : update::kCheckDock, kWaitDockCheck);
  if (!s_.dock.RequestStatusExclusive()) result = update::kCheckFailed;
  if (result != update::kCheckFailed) {
    const bool noInformation = result == update::kCheckNoInformation;
    const int kind = noInformation ? kMessageInformation : kMessageUpdated;
    st.openMessageDialog = kind;
    s_.ui.AskMessage(kind, noInformation ? Text(kTextNoInformation) : DockVersionLine());
    st.openMessageDialog = 0;
  }
  s_.dock.StartPolling();
}

void SessionController::StartConverterSequence(bool automatic) {
  AppState& st = s_.state;
  BeginDockSequence();
  st.currentDevice.deviceCategory = 1;

  DockReading reading;
  if (!ReadDock(s_.dock, true, reading)) {
    ReportError(kFnDockSequence, kErrCannotReadDockVersion);
    s_.ui.AskMessage(kMessageConverterReadFailed);
    FinalProbe();
    EndDockSequence();
    return;
  }
  StoreDockReading(st, reading, true);
  st.dockCapability = reading.capability;
  st.dock.dockVersionUnreadable = reading.version == kUnreadableDockVersion ? 1 : 0;
  if (st.restartPending) {
    // Back from its own update: the reconnect wait leads to OnConverterRestarted.
    EndDockSequence();
    return;
  }
  LensOutcome outcome;
  StartLensFWUpdateSequence(LensVariant::kConverter, automatic, outcome);
  s_.ui.HomeMessage(UM_MOUNT_HOME, true, false);
}

void SessionController::OnConverterRestarted() {
  aboutUsbDevice_ = true;
  AppState& st = s_.state;
  st.restartPending = false;
  s_.dock.StopPolling();
  s_.dock.SetLastStatus(0);

  std::string serial, productCode, mountText, versionText;
  int mountCode = 0xFF;
  std::uint8_t formatByte = 0;
  int failure = 0;
  if (!s_.dock.ReadSerialNumber(serial)) {
    failure = kErrSerialNumber;
  } else if (!s_.dock.ReadProductCodeOnConverter(productCode, mountText, mountCode)) {
    failure = kErrProductCode;
  } else if (!s_.dock.ReadFirmwareVersion(versionText, formatByte, mountCode)) {
    failure = kErrFirmwareVersion;
  }
  if (failure != 0) {
    ReportError(kFnLensSequence, failure);
    FinalProbe();
    return;
  }
  s_.dock.StartPolling();
  auto& device = st.currentDevice;
  device.serialNumber = serial;
  device.productCodeText = productCode;
  device.formatMarker = formatByte;
  device.rawVersion = versionText;
  device.mountCode = mountCode;
  if (st.dock.dockFormatMarker == update::kExtendedFormatMarker) {
    st.dock.dockDisplayVer = dock::DeviceVersionDisplay(st.dock.dockRawVersion, st.dock.dockFormatMarker);
  }

  int result = RunCheck(update::kCheckAdapter, kWaitConverterCheck);
  if (!s_.dock.RequestStatusExclusive()) result = update::kCheckFailed;
  if (result == update::kCheckNoInformation) {
    AskPublished(kMessageInformation, Text(kTextConverterNoInformation));
  } else if (result != update::kCheckFailed) {
    AskPublished(kMessageInformation, Text(kTextConverterUpdated));
  }
  ShowCurrentDevice(kConverterHomeScreen);
  if (!s_.dock.IsPolling()) s_.dock.StartPolling();
}

std::string SessionController::DockVersionLine() {
  auto& d = s_.state.dock;
  if (d.dockFormatMarker == update::kExtendedFormatMarker) {
    d.dockDisplayVer = dock::DeviceVersionDisplay(d.dockRawVersion, d.dockFormatMarker);
  }
  const bool unreadable = d.dockDisplayVer == "f.ff";
  if (unreadable) d.dockDisplayVer.clear();
  if ((d.dockDisplayVer.empty() && !unreadable) || d.dockMountName.empty()) {
    const std::string extendedDisplay = d.dockDisplayVer;
    std::string display = d.dockDisplayVer;
    s_.state.dockHistory.LookupDockHistory(d.dockRawVersion, d.dockId, d.dockFormatMarker, extendedDisplay,
                                           display, d.dockMountName);
    if (!unreadable) d.dockDisplayVer = display;
  }
  return d.dockDisplayVer;
}

}  // namespace cbx::session
