// The attached-device sequence: identify what sits on the USB device (a lens, a lens behind
// a mount converter, a flash, or the converter itself), merge what the history knows, check
// the server, offer newer firmware, keep the lens settings across the update and check
// again; then what the status handler does with the outcome.
#include <algorithm>
#include <array>
#include <string>

#include "app/Log.h"
#include "dock/IdentificationRules.h"
#include "session/SessionController.h"
#include "update/VersionCompare.h"

namespace cbx::session {

namespace {

constexpr int kMessageInformation = 2;
constexpr int kMessageReadSettingsFailed = 26;
constexpr int kMessageFlashBusy = 310;
constexpr int kTextBlockedBySettings = 3125;
constexpr int kResultGoAhead = 22;
constexpr int kResultGoBack = 23;
// The sequence's own results beside the check's.
constexpr int kDeclined = -1;
constexpr int kFlashBusy = 8;

// What differs between the four variants.
struct Variant {
  bool converterReads;       // product code through the converter, version with its mount code
  int category;              // -1: 3 when the product code text begins with "C", else 0
  bool versionUnreadableTest;
  int homeScreen;
  int waitKind, checkKind;
  int unreadableQuestion;    // the 0xCC question (the converter: unreadable version)
  int offerKind, precautionKind;
  int noInformationText;
  int checkFailureKind;
  int dockTooOldKind;        // 0: R 3 goes to the tail
  int programTooOldKind, programTooOldSecondKind;
  int newestKind;
  std::array<int, 4> transferMethodMounts;
  bool transferMethodWhateverResult;
  int doneText;
  int blockedKind;
};

constexpr Variant kLensVariant{false, -1, true, 0, 101, 0, 21, 11, 12, 3138, 18, 20, 28, 29, 50,
                               {0x60, 0x90, 0xA0, 0xA0}, false, 3106, 22};
constexpr Variant kFlashVariant{false, 2, false, 10, 308, 5, 302, 301, 304, 3312, 305, 313, 311, 0, 307,
                                {-1, -1, -1, -1}, false, 3302, 303};
constexpr Variant kConverterLensVariant{true, 1, true, 9, 207, 7, 202, 201, 12, 3211, 205, 20, 28, 29, 206,
                                        {0x60, 0x90, 0x91, 0x92}, false, 3202, 203};
constexpr Variant kConverterVariant{true, 1, false, 9, 207, 3, 202, 201, 204, 3211, 205, 0, 208, 0, 206,
                                    {0x60, 0x90, 0x91, 0x92}, true, 3202, 203};

const Variant& VariantOf(LensVariant v) {
  switch (v) {
    case LensVariant::kFlash: return kFlashVariant;
    case LensVariant::kConverterLens: return kConverterLensVariant;
    case LensVariant::kConverter: return kConverterVariant;
    default: return kLensVariant;
  }
}

}  // namespace

SessionController::Probe SessionController::ProbeDevice() {
  int status = dock::kStatusNoAnswer;
  if (!s_.dock.RequestStatusExclusive(&status)) return Probe{false, status};
  return Probe{true, status};
}

void SessionController::ShowCurrentDevice(int homeScreen) {
  s_.state.shownDevice = s_.state.currentDevice;
  s_.ui.SetDeviceTitle(s_.state.currentDevice.productName, true);
  MarkConnectedDevice();
  if (!NoCurrentDevice()) s_.ui.ShowScreen(homeScreen);
}

void SessionController::StartLensFWUpdateSequence(LensVariant variant, bool automatic, LensOutcome& out) {
  aboutUsbDevice_ = variant == LensVariant::kConverter;
  RunLensSteps(variant, automatic, out);
  if (variant == LensVariant::kConverter) s_.state.sequenceBusy = false;
  SetSequenceActive(false);
  if (onLensOutcome) onLensOutcome(variant, out);
}

void SessionController::RunLensSteps(LensVariant variant, bool automatic, LensOutcome& out) {
  const Variant& v = VariantOf(variant);
  const bool flash = variant == LensVariant::kFlash;
  const bool converter = variant == LensVariant::kConverter;
  AppState& st = s_.state;
  update::CLensUpdateInfoData& device = st.currentDevice;

  st.sequenceActive = true;
  out = LensOutcome{};
  st.lensVersionUnreadable = false;
  s_.dock.StopPolling();
  bool wasCC = false, answeredNo = false, updated = false;

  // A failed probe: the device went away or has nothing mounted any more.
  const auto lost = [&](const Probe& probe) {
    out.showDoneNotice = false;
    out.sequenceOk = false;
    ReportError(kFnLensSequence, kErrLensInfo);
    if (!probe.answered) {
      // Nothing else notices a USB device that stopped answering here; forget it now.
      DeviceLost();
    } else {
      s_.dock.StartPolling();
    }
  };
  const auto gone = [](const Probe& probe) {
    return !probe.answered || probe.status == dock::kStatusNotFinished || probe.status == dock::kStatusNoAnswer;
  };
  const auto identificationFailed = [&](int error) {
    ReportError(kFnLensSequence, error);
    out.sequenceOk = false;
    FinalProbe();
  };

  // 2-5: identification.
  std::string serial, productCode, mountText, versionText;
  int mountCode = 0xFF;
  std::uint8_t formatByte = 0;
  if (!s_.dock.ReadSerialNumber(serial)) return identificationFailed(kErrSerialNumber);
  const bool productRead = v.converterReads ? s_.dock.ReadProductCodeOnConverter(productCode, mountText, mountCode)
                                            : s_.dock.ReadProductCode(productCode, mountText, mountCode);
  if (!productRead) return identificationFailed(kErrProductCode);
  if (!s_.dock.ReadFirmwareVersion(versionText, formatByte, v.converterReads ? mountCode : 255)) {
    return identificationFailed(kErrFirmwareVersion);
  }
  device.serialNumber = serial;
  device.productCodeText = productCode;
  device.formatMarker = formatByte;
  device.rawVersion = versionText;
  device.mountCode = mountCode;
  device.deviceCategory = v.category >= 0 ? v.category : productCode.rfind('C', 0) == 0 ? 3 : 0;
  const bool cine = v.category < 0 && device.deviceCategory == 3;
  if (cine) out.customAllowed = false;

  // 6: a device in the recovery state.
  if (!converter && s_.dock.lastStatus() == dock::kStatusWorking) {
    wasCC = true;
    if (v.versionUnreadableTest && device.rawVersion == update::GetVersionMask(device)) st.lensVersionUnreadable = true;
  }

  // 7: what the history knows.
  update::CLensUpdateInfoData known;
  const bool inHistory = st.lensHistory.Find(device, known);
  if (inHistory) {
    known.rawVersion = device.rawVersion;
    device = known;
    ShowCurrentDevice(v.homeScreen);
  }

  // 8-10: the check.
  int result = RunCheck(v.checkKind, v.waitKind);
  device.noUpdateInfo = result == update::kCheckNoInformation ? 1 : 0;
  if (!flash && (result != update::kCheckNoInformation || v.transferMethodWhateverResult)) {
    device.transferMethod = 0;
    if (std::find(v.transferMethodMounts.begin(), v.transferMethodMounts.end(), device.mountCode) !=
        v.transferMethodMounts.end()) {
      if (device.FirmupTransCtrl == 1 && (st.dockCapability & 0x02) != 0) device.transferMethod = 1;
      if (device.FirmupTransCtrl == 2 && (st.dockCapability & 0x04) != 0) device.transferMethod = 2;
    }
  }
  Probe probe = ProbeDevice();
  if (flash && probe.answered && probe.status == dock::kStatusBusy) {
    result = kFlashBusy;
  } else if (gone(probe)) {
    return lost(probe);
  }

  // 11: the recovery-state question.
  const bool askUnreadable = converter ? st.dock.dockVersionUnreadable != 0 : wasCC;
  if (askUnreadable && result != update::kCheckNoInformation && result != update::kCheckProgramTooOld &&
      result != update::kCheckNotPermitted) {
    if (result == update::kCheckNewer || result == update::kCheckNewest) {
      const int answer = converter ? AskQuietly(v.unreadableQuestion) : AskWithPolling(v.unreadableQuestion);
      if (!converter) {
        probe = ProbeDevice();
        if (gone(probe)) return lost(probe);
      }
      if (answer == kResultYes) {
        result = update::kCheckNewer;
      } else if (answer == kResultNo) {
        answeredNo = true;
        if (!converter) {
          result = kDeclined;
          out.customAllowed = false;
        }
      }
    } else {
      out.customAllowed = false;
      ReportError(kFnLensSequence, kErrUpdateErrLens);
    }
  }

  // 12: a new device is shown once the server knew it; a flash that went busy is not.
  if (!inHistory && result != update::kCheckFailed && result != update::kCheckNoInformation &&
      result != kFlashBusy) {
    ShowCurrentDevice(v.homeScreen);
  }

  // 13
  bool protect = device.AfCsProtect != 0;
  const bool protectReset = device.AfCsProtectReset != 0;
  if (wasCC && !protectReset) protect = false;

  // 14
  enum class Next { kCommonEnd, kTail, kStop };
  const auto newest = [&] {
    if (!automatic) {
      AskWithPolling(v.newestKind, update::GetDisplayVersion(device));
    }
    return Next::kCommonEnd;
  };
  const auto updateLoop = [&]() -> Next {
    while (true) {
      // A removal ends the question with its Cancel code: the probe comes first, so that
      // the loss is reported rather than taken for a "no".
      const int offer = AskWithPolling(v.offerKind);
      probe = ProbeDevice();
      if (gone(probe)) return lost(probe), Next::kStop;
      if (offer != kResultYes) return Next::kCommonEnd;
      const int precaution = AskWithPolling(v.precautionKind);
      probe = ProbeDevice();
      if (gone(probe)) return lost(probe), Next::kStop;
      if (precaution == kResultGoBack) continue;
      if (precaution != kResultGoAhead) return Next::kCommonEnd;
      break;
    }
    if (converter) {
      if (firmware::ConverterFWUpdate(s_.updater)) {
        st.lensVersionUnreadable = false;
        out.showDoneNotice = true;
        updated = true;
      } else {
        out.sequenceOk = false;
        out.showBlockedMessage = true;
      }
      return Next::kCommonEnd;
    }
    if (automatic && protect && !protectReset) {
      s_.model.SetLensInfo(device);
      bool failed = false;
      if (!s_.settings.BothDataRead(failed, true)) return Next::kCommonEnd;
      out.settingsRead = true;
    }
    bool transferred = false;
    if (flash) {
      bool notBusy = true;
      transferred = firmware::FlashFWUpdate(s_.updater, notBusy);
      out.flashUpdateAllowed = notBusy;
    } else {
      transferred = firmware::LensFWUpdate(s_.updater);
    }
    if (!transferred) {
      out.sequenceOk = false;
      out.showBlockedMessage = true;
      return Next::kCommonEnd;
    }
    st.lensVersionUnreadable = false;
    if (wasCC) s_.dock.SetLastStatus(dock::kStatusDone);
    std::uint8_t newFormat = 0;
    std::string newVersion;
    if (!s_.dock.ReadFirmwareVersion(newVersion, newFormat, v.converterReads ? device.mountCode : 255)) {
      ReportError(kFnLensSequence, kErrFirmwareVersion);
      out.sequenceOk = false;
      FinalProbe();
      return Next::kStop;
    }
    device.rawVersion = newVersion;
    const int recheck = RunCheck(v.checkKind, v.waitKind);
    device.noUpdateInfo = recheck == update::kCheckNoInformation ? 1 : 0;
    probe = ProbeDevice();
    if (gone(probe)) return lost(probe), Next::kStop;
    if (recheck == update::kCheckNoInformation) {
      AskWithPolling(kMessageInformation, Text(v.noInformationText));
      probe = ProbeDevice();
      if (!probe.answered) return lost(probe), Next::kStop;
      return Next::kCommonEnd;
    }
    if (recheck == update::kCheckFailed) {
      ReportError(kFnLensSequence, kErrCheckLensUpdate);
      if (!st.emcTestEnabled) s_.ui.AskMessage(v.checkFailureKind);
      out.sequenceOk = false;
      ReportError(kFnLensSequence, kErrLensInfo);
      out.forgetDevice = true;
      return Next::kCommonEnd;
    }
    if (protect) {
      s_.model.SetLensInfo(device);
      bool failed = false;
      const bool restored = protectReset ? s_.settings.ResetCustomData(failed, true)
                                         : s_.settings.RestoreCustomData(failed);
      if (restored) {
        out.showDoneNotice = true;
        out.settingsRead = true;
        updated = true;
      } else {
        out.sequenceOk = false;
        out.showBlockedMessage = true;
        out.blockedBySettings = true;
      }
    } else {
      out.showDoneNotice = true;
      updated = true;
    }
    if (recheck == update::kCheckDockTooOld) out.customAllowed = false;
    return Next::kCommonEnd;
  };

  Next next = Next::kTail;
  switch (result) {
    case update::kCheckNewer:
      next = updateLoop();
      if (next == Next::kStop) return;
      if (device.MustFwUp && !updated) out.customAllowed = false;
      if (wasCC && !updated) out.customAllowed = false;
      break;
    case update::kCheckNewest:
    case update::kCheckNotPermitted: next = newest(); break;
    case update::kCheckDockTooOld:
      if (v.dockTooOldKind == 0) break;
      AskWithPolling(v.dockTooOldKind);
      out.customAllowed = false;
      next = Next::kCommonEnd;
      break;
    case update::kCheckFailed:
      ReportError(kFnLensSequence, kErrCheckLensUpdate);
      if (inHistory) {
        const std::string fresh = device.rawVersion;
        st.lensHistory.Find(device, device);
        device.rawVersion = fresh;
        if (device.MustFwUp &&
            update::IsNewerFirmware(update::GetVersionText(device), device.Fwversion, device.IsExtendedFormat(), 0,
                                    device.mountCode, {})
                .newer) {
          out.customAllowed = false;
        }
        next = Next::kCommonEnd;
      } else {
        if (!st.emcTestEnabled) s_.ui.AskMessage(v.checkFailureKind);
        out.sequenceOk = false;
        ReportError(kFnLensSequence, kErrLensInfo);
      }
      break;
    case update::kCheckNoInformation:
      AskWithPolling(kMessageInformation, Text(v.noInformationText));
      probe = ProbeDevice();
      if (!probe.answered) return lost(probe);
      break;
    case update::kCheckProgramTooOld: {
      bool yes = AskWithPolling(v.programTooOldKind) == kResultYes;
      probe = ProbeDevice();
      if (gone(probe)) return lost(probe);
      if (device.MustFwUp && !yes && v.programTooOldSecondKind != 0) {
        yes = AskWithPolling(v.programTooOldSecondKind) == kResultYes;
        probe = ProbeDevice();
        if (gone(probe)) return lost(probe);
      }
      if (yes) s_.ui.OpenProgramWebPage();
      if (device.MustFwUp) out.customAllowed = false;
      next = Next::kCommonEnd;
      break;
    }
    case kFlashBusy:
      // The flash went busy right after its check: nothing may be written to it now.
      out.flashUpdateAllowed = false;
      out.sequenceOk = false;
      out.customAllowed = false;
      ReportError(kFnLensSequence, kErrLensInfo);
      break;
    default: break;
  }

  // 15
  if (next == Next::kTail && answeredNo) next = Next::kCommonEnd;
  if (next == Next::kCommonEnd) {
    st.shownDevice = device;
    s_.ui.SetDeviceTitle(device.productName, true);
    MarkConnectedDevice();
  }

  // 16
  if (converter) {
    const bool answered = s_.dock.RequestStatusExclusive();
    if (!answered) {
      updated ? ConverterLost() : DeviceLost();
    } else if (updated) {
      ConverterLost();
    } else {
      s_.dock.StartPolling();
    }
    return;
  }
  FinalProbe();
}

void SessionController::HandleAutomaticOutcome(LensVariant variant, const LensOutcome& o) {
  const Variant& v = VariantOf(variant);
  const bool flash = variant == LensVariant::kFlash;
  AppState& st = s_.state;
  if (o.sequenceOk) {
    if (o.showDoneNotice) AskPublished(kMessageInformation, Text(v.doneText));
    bool readFailed = false;
    if (st.currentDevice.noUpdateInfo) {
      ResetToHome();
    } else if (!flash && !o.settingsRead) {
      s_.model.SetLensInfo(st.currentDevice);
      s_.settings.BothDataRead(readFailed, false);
    }
    if (flash) {
      st.currentDevice.controllerValue = o.flashUpdateAllowed ? 1 : 0;
      if (o.flashUpdateAllowed) s_.ui.HomeMessage(UM_FLASH_HOME, true, o.customAllowed);
    } else {
      s_.ui.HomeMessage(st.converterAttached ? UM_MOUNT_HOME : UM_LENS_HOME, true, o.customAllowed);
    }
    if (readFailed) AskWaitPublished(kMessageReadSettingsFailed);
    return;
  }
  if (ShowFailureMessage(variant, o)) return;
  if (o.forgetDevice) {
    ForgetDevice();
  } else {
    ResetToHome();
  }
}

bool SessionController::ShowFailureMessage(LensVariant variant, const LensOutcome& o) {
  if (variant == LensVariant::kFlash && !o.flashUpdateAllowed) {
    AskPublished(kMessageFlashBusy);
    s_.state.currentDevice.controllerValue = 0;
    return true;
  }
  if (!o.showBlockedMessage) return false;
  if (o.blockedBySettings) {
    AskWaitPublished(kMessageInformation, Text(kTextBlockedBySettings));
  } else {
    AskWaitPublished(VariantOf(variant).blockedKind);
  }
  return true;
}

SessionController::HomeRefresh SessionController::OnHomeUpdateButton(int homeScreen) {
  AppState& st = s_.state;
  constexpr int kMountHome = 9, kFlashHome = 10;
  if (homeScreen == kMountHome && !st.converterAttached) {
    // The converter itself; its sequence sends the mount home's message.
    StartDockFWUpdateSequence(false);
    return {};
  }
  const LensVariant variant = homeScreen == kFlashHome ? LensVariant::kFlash
                              : homeScreen == kMountHome ? LensVariant::kConverterLens
                                                         : LensVariant::kLens;
  LensOutcome o;
  StartLensFWUpdateSequence(variant, false, o);
  if (!o.sequenceOk) {
    // No return to the start screen here: the screen stays, only a failed re-check forgets.
    if (!ShowFailureMessage(variant, o) && o.forgetDevice) ForgetDevice();
    return {};
  }
  if (o.showDoneNotice) {
    AskPublished(kMessageInformation, Text(VariantOf(variant).doneText));
    if (variant != LensVariant::kFlash && !o.settingsRead && !NoCurrentDevice()) {
      s_.model.SetLensInfo(st.currentDevice);
      bool failed = false;
      if (!s_.settings.BothDataRead(failed, false)) {
        AskWaitPublished(kMessageReadSettingsFailed);
        return {};
      }
    }
  }
  if (st.currentDevice.noUpdateInfo) ResetToHome();
  if (variant == LensVariant::kFlash) st.currentDevice.controllerValue = o.flashUpdateAllowed ? 1 : 0;
  return {true, o.customAllowed};
}

}  // namespace cbx::session
