#include "update/UpdateCheck.h"

#include <filesystem>
#include <thread>

#include "app/EnsureFolder.h"
#include "app/Folders.h"
#include "app/Log.h"
#include "dock/DeviceIdentity.h"
#include "update/Download.h"
#include "update/ProductInfoReaders.h"
#include "update/UpdatePaths.h"
#include "update/VersionCompare.h"

namespace cbx::update {

namespace {

constexpr int kErrServerUrl = 11;
constexpr int kErrCreateFolder = 9;
constexpr int kErrDownload = 10;
constexpr int kErrDataOutOfRange = 38;

// Product information files are read as lens (0), adapter (1) or flash (2).
constexpr int kReaderLens = 0, kReaderAdapter = 1, kReaderFlash = 2;

bool IsMlMount(int mountCode, bool converterSet) {
  if (converterSet) return mountCode == 0x60 || mountCode == 0x90 || mountCode == 0x91 || mountCode == 0x92;
  return mountCode == 0x60 || mountCode == 0x90 || mountCode == 0xA0;
}

std::int32_t FileSize(const std::string& path) {
  std::error_code ec;
  const auto size = std::filesystem::file_size(path, ec);
  if (ec || size > 0x7FFFFFFF) return 0;
  return static_cast<std::int32_t>(size);
}

}  // namespace

UpdateChecker::UpdateChecker(AppState& state, dock::DockDevice& dock, SessionUi& ui, std::string lensDatabase,
                             std::string programVersion)
    : state_(state),
      dock_(dock),
      ui_(ui),
      lensDatabase_(std::move(lensDatabase)),
      programVersion_(std::move(programVersion)),
      base_(GetServerBaseUrl(state.serverUrlOverride)) {}

bool UpdateChecker::DownloadWithRetry(const std::string& url, const std::string& localPath, bool deviceKnown,
                                      int& errorCode) {
  while (true) {
    state_.downloadEnabled = true;
    const HttpResult result = HttpGetToFile(url, localPath);
    errorCode = result.errorCode;
    if (result.ok) return true;
    if (errorCode == 0) return false;         // the server answered: nothing to retry
    if (state_.emcTestEnabled) return false;  // unattended: no questions
    const int answer = ui_.AskMessage(kMessageRetryDownload);
    if (!dock_.RequestStatusExclusive(nullptr)) return false;  // the device went away meanwhile
    if (answer != kResultClosed) continue;
    if (deviceKnown && ui_.AskMessage(kMessageKnownDeviceOffline) == kResultAcknowledged) {
      ui_.HideUpdateCheckWindow();
    }
    state_.downloadEnabled = false;
    return false;
  }
}

bool UpdateChecker::DownloadFile(const std::string& url, const std::string& localPath) {
  state_.downloadEnabled = true;
  return HttpGetToFile(url, localPath).ok;
}

bool UpdateChecker::CheckProgramUpdate() {
  const std::string folder = LocalProgramFolder(lensDatabase_, programVersion_);
  if (!EnsureFolder(folder)) return false;
  const std::string local = JoinPath(folder, "updateInfo.ini");
  if (!DownloadFile(UrlJoin(ProgramFolderUrl(base_, programVersion_), "updateInfo.ini"), local)) return false;
  std::string version;
  int valid = 0;
  ReadProgramVersionInfo(local, version, valid);
  return valid != 0 && IsProgramOlder(programVersion_, version);
}

bool UpdateChecker::BuildProductFolderUrl(bool converterAware, ProductFolder& folder) {
  std::string mountText;
  int mountCode = 0;
  const bool productOk = converterAware ? dock_.ReadProductCodeOnConverter(folder.p, mountText, mountCode)
                                        : dock_.ReadProductCode(folder.p, mountText, mountCode);
  if (!productOk) return false;
  folder.m = mountText;
  int pathClass = 0;
  if (!dock_.ReadPathCode(pathClass, folder.l)) return false;
  folder.url = ProductFolderUrl(base_, folder.p, folder.m, folder.l);
  return true;
}

bool UpdateChecker::Ensure(int functionNumber, const std::string& folder) {
  if (EnsureFolder(folder)) return true;
  ReportError(functionNumber, kErrCreateFolder, 0, folder);
  return false;
}

bool UpdateChecker::FetchRequired(int functionNumber, const std::string& url, const std::string& localPath) {
  int errorCode = 0;
  if (DownloadWithRetry(url, localPath, state_.lensHistory.Contains(state_.currentDevice), errorCode)) return true;
  ReportError(functionNumber, kErrDownload, 0, url);
  return false;
}

int UpdateChecker::Run(int checkKind) {
  switch (checkKind) {
    case kCheckLens:
    case kCheckAdapter:
    case kCheckFlash:
    case kCheckConverterLens:
      return CheckProduct(checkKind);
    case kCheckDock:
      return CheckDock(false);
    case kCheckFlashDock:
      return CheckDock(true);
    case kCheckNothing:
      std::this_thread::sleep_for(std::chrono::milliseconds(nothingCheckDelayMs_));
      return kCheckFailed;
    default:
      return kCheckFailed;
  }
}

int UpdateChecker::CheckProduct(int kind) {
  CLensUpdateInfoData& record = state_.currentDevice;
  const bool adapter = kind == kCheckAdapter;
  const bool lensKind = kind == kCheckLens || kind == kCheckConverterLens;
  // The adapter reports its own files under the dock check's number.
  const int fnProduct = adapter ? kFnDockCheck : kFnLensCheck;
  const int reader = adapter ? kReaderAdapter : kind == kCheckFlash ? kReaderFlash : kReaderLens;

  ProductFolder folder;
  std::string productFile;
  std::string fwFileName, fwFolderUrl, docFolderUrl;
  while (true) {
    // 1-2: where the product information lives and under which name.
    if (!BuildProductFolderUrl(adapter || kind == kCheckConverterLens, folder)) {
      ReportError(kFnLensCheck, kErrServerUrl);
      return kCheckFailed;
    }
    const bool unreadable = adapter ? state_.dock.dockVersionUnreadable != 0 : state_.lensVersionUnreadable.load();
    const std::string name = unreadable ? "updateInfo.ini" : GetVersionText(record) + ".ini";
    const std::string url = UrlJoin(folder.url, name);
    // 3-4: mirror it.
    const std::string localFolder = LocalProductFolder(lensDatabase_, folder.p, folder.m, folder.l);
    if (!Ensure(fnProduct, localFolder)) return kCheckFailed;
    productFile = JoinPath(localFolder, name);
    int errorCode = 0;
    if (DownloadWithRetry(url, productFile, state_.lensHistory.Contains(record), errorCode)) break;
    if (errorCode != 0) {
      ReportError(fnProduct, kErrDownload, 0, url);
      return kCheckFailed;
    }
    // A flash that is still recovering may only be known by its generic file.
    if (kind == kCheckFlash && dock_.lastStatus() == dock::kStatusWorking && !state_.lensVersionUnreadable) {
      state_.lensVersionUnreadable = true;
      continue;
    }
    return kCheckNoInformation;
  }
  record.productInfoPath = productFile;

  // 5: read it.
  int valid = 0;
  ReadProductInfo(reader, productFile, folder.url, record, state_.converterAttached, fwFileName, fwFolderUrl,
                  docFolderUrl, valid);
  if (!valid) return kCheckNoInformation;
  if (adapter) {
    std::string dockFwFileName, dockFwFolderUrl;
    ReadDockConfig(state_.dock, productFile, folder.url, dockFwFileName, dockFwFolderUrl, valid);
    if (!valid) return kCheckNoInformation;
    state_.dockHistory.UpdateDockHistory(state_.dock.dockRawVersion, state_.dock.dockId, state_.dock.dockMountName,
                                         state_.dock.dockDisplayVer);
  }
  // Server values that become local folder and file names must stay inside the mirror.
  for (const std::string* value : {&record.Fwversion, &fwFileName}) {
    if (!IsSafePathSegment(*value)) {
      ReportError(fnProduct, kErrDataOutOfRange, 0, *value);
      return kCheckNoInformation;
    }
  }

  // 6-7: the product image.
  const std::string imageFolder = LocalImageFolder(lensDatabase_, folder.p);
  if (!Ensure(kFnLensCheck, imageFolder)) return kCheckFailed;
  if (lensKind && !Ensure(kFnLensCheck, LocalMessageFolder(lensDatabase_, folder.p))) return kCheckFailed;
  std::string imageName = "lensImage.png";
  if (kind == kCheckFlash) {
    imageName = "FlashImage.png";
  } else if (adapter) {
    imageName = "AdapterImage.png";
  } else if (kind == kCheckConverterLens && state_.converterAttached) {
    const std::uint16_t dockProduct = dock_.productCode();
    imageName = (dockProduct == 0x825 || dockProduct == 0x826) ? "TeleConverterImage.png" : "AdapterImage.png";
  } else if (!folder.p.empty() && folder.p.front() == 'C') {
    imageName = "CinelensImage.png";
  }
  const std::string imageUrl = ImageFolderUrl(base_, folder.p);
  const std::string imagePath = JoinPath(imageFolder, imageName);
  if (!FetchRequired(kFnLensCheck, imageUrl + imageName, imagePath)) return kCheckFailed;

  // 8-11: focus-position pictures and message texts of lenses.
  if (lensKind) {
    const bool converterSet = kind == kCheckConverterLens && state_.converterAttached;
    const bool ml = IsMlMount(record.mountCode, converterSet);
    const bool noExtras = folder.p.empty() || folder.p.front() == 'C';
    const bool skipExtras = noExtras || (kind == kCheckConverterLens && ml);
    const std::string fcPath = JoinPath(imageFolder, "focusPosition_FC.png");
    const std::string flPath = JoinPath(imageFolder, "focusPosition_FL.png");
    if (!skipExtras) {
      const bool tolerant = kind == kCheckLens && ml;
      int errorCode = 0;
      const bool known = state_.lensHistory.Contains(record);
      if (!(kind == kCheckLens && ml) && !FetchRequired(kFnLensCheck, imageUrl + "focusPosition_FC.png", fcPath)) {
        return kCheckFailed;
      }
      if (!DownloadWithRetry(imageUrl + "focusPosition_FL.png", flPath, known, errorCode) && !tolerant) {
        ReportError(kFnLensCheck, kErrDownload, 0, imageUrl + "focusPosition_FL.png");
        return kCheckFailed;
      }
      const std::string messageUrl = MessageFileUrl(base_, folder.p, state_.uiLanguage);
      const std::string messagePath =
          JoinPath(LocalMessageFolder(lensDatabase_, folder.p), MessageFileName(state_.uiLanguage));
      const bool messageTolerated = kind == kCheckLens && ml && record.CustomSW == 0;
      if (!DownloadWithRetry(messageUrl, messagePath, known, errorCode) && !messageTolerated) {
        ReportError(kFnLensCheck, kErrDownload, 0, messageUrl);
        return kCheckFailed;
      }
      record.messageInfoPath = messagePath;
      ReadMessageConfig(record, messagePath);
    }
    record.focusFcImagePath = fcPath;
    record.focusFcImageSize = FileSize(fcPath);
    record.focusFlImagePath = flPath;
    record.focusFlImageSize = FileSize(flPath);
  }
  record.lensImagePath = imagePath;
  record.lensImageSize = FileSize(imagePath);

  // 12: the document in the user's language.
  const std::string docFolder = LocalDocumentFolder(lensDatabase_, folder.p, folder.m, folder.l, record.Fwversion);
  if (!Ensure(kFnLensCheck, docFolder)) return kCheckFailed;
  const std::string docName = DocumentFileName(state_.uiLanguage);
  const std::string docPath = JoinPath(docFolder, docName);
  if (!FetchRequired(kFnLensCheck, UrlJoin(docFolderUrl, docName), docPath)) return kCheckFailed;
  record.docLocalPath = docPath;

  // 13: the firmware, in the folder of its version.
  const std::string fwFolder = LocalFirmwareFolder(lensDatabase_, folder.p, folder.m, folder.l, record.Fwversion);
  if (!Ensure(fnProduct, fwFolder)) return kCheckFailed;
  const std::string fwPath = JoinPath(fwFolder, fwFileName);
  if (!FetchRequired(fnProduct, UrlJoin(fwFolderUrl, fwFileName), fwPath)) return kCheckFailed;
  record.fwLocalPath = fwPath;
  if (adapter) state_.dock.dockFwLocalPath = fwPath;

  // 14: the decision.
  const int compareType = adapter ? 3 : kind == kCheckConverterLens ? 7 : 0;
  return Decide(compareType);
}

int UpdateChecker::Decide(int compareType) {
  CLensUpdateInfoData& record = state_.currentDevice;
  const VersionFlags flags{state_.lensVersionUnreadable.load(), state_.dock.dockVersionUnreadable != 0};
  const CompareResult compared =
      IsNewerFirmware(record.rawVersion, record.Fwversion, record.IsExtendedFormat(), compareType, record.mountCode, flags);
  if (!compared.comparable) return kCheckNoInformation;
  record.programVersionOk = IsProgramVersionSufficient(programVersion_, record.FirmupMinCBXVer) ? 1 : 0;
  if (!record.programVersionOk) return kCheckProgramTooOld;
  if (!record.FwupOk) return kCheckNotPermitted;
  if (!IsDockVersionSufficient(state_.dock.dockRawVersion, record.DockVersion,
                               state_.dock.IsExtendedFormat())) {
    return kCheckDockTooOld;
  }
  return compared.newer ? kCheckNewer : kCheckNewest;
}

int UpdateChecker::CheckDock(bool flashDock) {
  DockUpdateInfo& dock = state_.dock;
  const bool extended = dock.IsExtendedFormat();
  const std::string folderUrl = DockFolderUrl(base_, flashDock, dock.dockId);
  const std::string name =
      dock.dockVersionUnreadable ? "updateInfo.ini" : DockVersionText(dock.dockRawVersion, extended) + ".ini";
  const std::string url = UrlJoin(folderUrl, name);
  const std::string localFolder = LocalDockFolder(lensDatabase_, flashDock, dock.dockId);
  if (!Ensure(kFnDockCheck, localFolder)) return kCheckFailed;
  const std::string localFile = JoinPath(localFolder, "updateInfo.ini");
  int errorCode = 0;
  if (!DownloadWithRetry(url, localFile, state_.lensHistory.Contains(state_.currentDevice), errorCode)) {
    if (errorCode == 0) return kCheckNoInformation;
    ReportError(kFnDockCheck, kErrDownload, 0, url);
    return kCheckFailed;
  }

  std::string fwFileName, fwFolderUrl;
  int valid = 0;
  if (flashDock) {
    ReadDockFConfig(dock, localFile, folderUrl, programVersion_, fwFileName, fwFolderUrl, valid);
  } else {
    ReadDockConfig(dock, localFile, folderUrl, fwFileName, fwFolderUrl, valid);
  }
  if (!valid) return kCheckNoInformation;
  state_.dockHistory.UpdateDockHistory(dock.dockRawVersion, dock.dockId, dock.dockMountName, dock.dockDisplayVer);
  for (const std::string* value : {&dock.dockFwversion, &fwFileName}) {
    if (!IsSafePathSegment(*value)) {
      ReportError(kFnDockCheck, kErrDataOutOfRange, 0, *value);
      return kCheckNoInformation;
    }
  }

  const std::string fwFolder = LocalDockFirmwareFolder(lensDatabase_, flashDock, dock.dockId, dock.dockFwversion);
  if (!Ensure(kFnDockCheck, fwFolder)) return kCheckFailed;
  const std::string fwPath = JoinPath(fwFolder, fwFileName);
  if (!FetchRequired(kFnDockCheck, UrlJoin(fwFolderUrl, fwFileName), fwPath)) return kCheckFailed;
  dock.dockFwLocalPath = fwPath;

  const VersionFlags flags{state_.lensVersionUnreadable.load(), dock.dockVersionUnreadable != 0};
  const CompareResult compared =
      IsNewerFirmware(dock.dockRawVersion, dock.dockFwversion, extended, 1, state_.dockMountCode, flags);
  if (!compared.comparable) return kCheckNoInformation;
  if (flashDock) {
    dock.dockProgramVersionOk = IsProgramVersionSufficient(programVersion_, dock.dockFirmupMinCBXVer) ? 1 : 0;
    if (!dock.dockProgramVersionOk) return kCheckProgramTooOld;
    if (!dock.dockFwupOk) return kCheckNotPermitted;
  }
  return compared.newer ? kCheckNewer : kCheckNewest;
}

}  // namespace cbx::update
