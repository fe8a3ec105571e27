#include "update/ProductInfoReaders.h"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <limits>
#include <map>
#include <string_view>

#include "app/IniFile.h"
#include "dock/IdentificationRules.h"
#include "update/ParseRules.h"

namespace cbx::update {

namespace {

constexpr std::string_view kLensSection = "Lens Config";
constexpr std::string_view kDockSection = "Dock Config";
constexpr std::string_view kFlashSection = "Flash Config";
constexpr std::string_view kMessageSection = "Message Config";
constexpr std::string_view kProgramSection = "CBX Config";

// Programs after 1.3.9 look for their own minimum-version key first.
constexpr int kLastProgramWithoutOwnKey = 139;

// Reads the keys of one section in the order they are asked for and keeps each raw value,
// because the completeness checks look at the texts, not at what they were turned into.
class SectionValues {
 public:
  SectionValues(std::string_view section, const std::string& path) : section_(section), path_(path) {}

  const std::string& Read(std::string_view key, std::string_view defaultValue = {}) {
    auto& slot = values_[std::string(key)];
    slot = ReadIniValue(section_, key, defaultValue, path_);
    return slot;
  }

  // The raw text of a key read before; empty for a key never read.
  const std::string& Raw(std::string_view key) const {
    static const std::string kNone;
    const auto it = values_.find(key);
    return it == values_.end() ? kNone : it->second;
  }

  bool Has(std::string_view key) const { return !Raw(key).empty(); }
  bool IsYes(std::string_view key) const { return Raw(key) == "YES"; }

  bool HasAll(std::initializer_list<std::string_view> keys) const {
    for (const auto key : keys)
      if (!Has(key)) return false;
    return true;
  }

  // "FirmupMinCBXVerWin", falling back on the older "FirmupMinCBXVer" when allowed.
  std::string ReadMinimumVersion(bool fallbackAllowed) {
    std::string value = Read("FirmupMinCBXVerWin");
    if (value.empty() && fallbackAllowed) value = Read("FirmupMinCBXVer");
    return value;
  }

 private:
  std::string_view section_;
  const std::string& path_;
  std::map<std::string, std::string, std::less<>> values_;  // nodes stay put: references hold
};

int Flag(const std::string& value) { return value == "YES" ? 1 : 0; }

std::string FirstChars(const std::string& text, std::size_t count) { return text.substr(0, count); }

// Extended-format devices show their own version; the file's text is for the others.
std::string DisplayVersionFor(const CLensUpdateInfoData& record, const std::string& fileValue) {
  return record.IsExtendedFormat() ? FirstChars(record.rawVersion, 4) : fileValue;
}

std::int16_t Low16(int value) {
  return static_cast<std::int16_t>(static_cast<std::uint16_t>(static_cast<unsigned>(value) & 0xFFFFu));
}

bool IsMlMount(int mountCode, bool converterAttached) {
  if (converterAttached)
    return mountCode == 0x60 || mountCode == 0x90 || mountCode == 0x91 || mountCode == 0x92;
  return mountCode == 0x60 || mountCode == 0x90 || mountCode == 0xA0;
}

bool IsYesOrNo(const std::string& value) { return value == "YES" || value == "NO"; }

bool LensCommonChecks(const SectionValues& v, const CLensUpdateInfoData& record) {
  if (!record.IsExtendedFormat() && !v.Has("DisplayVer")) return false;
  if (!IsYesOrNo(v.Raw("MFCtrl"))) return false;
  if (v.IsYes("MFCtrl") && !v.HasAll({"MFfunc", "MFreset"})) return false;
  if (!IsYesOrNo(v.Raw("AFFuncBCtrl"))) return false;
  if (v.IsYes("AFFuncBCtrl")) {
    const std::string& reset = v.Raw("AFFuncBReset");
    if (reset != "0x00" && reset != "0xAA") return false;
  }
  return true;
}

bool LensConfigValid(const SectionValues& v, const CLensUpdateInfoData& record, int deviceCategory,
                     bool converterAttached) {
  const bool hasMinimumVersion = !record.FirmupMinCBXVer.empty();
  const bool ml = IsMlMount(record.mountCode, converterAttached);
  bool ok = false;
  bool commonChecks = true;
  if (deviceCategory == 3) {
    ok = hasMinimumVersion && v.HasAll({"FWFileName", "Fwversion", "UpDate", "DockVersion", "Fwpath",
                                        "InfoPath", "LensName", "MountName", "FW", "FwupOk"});
    if (v.IsYes("CustomSW") || v.IsYes("OScontrol"))
      ok = ok && v.HasAll({"MustFwUp", "CS", "CS0", "AfCsProtect", "AfCsProtectReset"});
  } else if (ml && converterAttached) {
    ok = hasMinimumVersion && v.HasAll({"FWFileName", "Fwversion", "UpDate", "DockVersion", "Fwpath",
                                        "InfoPath", "LensName", "MountName", "FW", "FwupOk",
                                        "FirmupTransCtrl"});
    commonChecks = false;
  } else if (ml) {
    ok = hasMinimumVersion &&
         v.HasAll({"FWFileName", "Fwversion", "UpDate", "DockVersion", "Fwpath", "InfoPath", "LensName",
                   "MustFwUp", "MountName", "FW", "CS", "CS0", "AfCsProtect", "AfCsProtectReset",
                   "FwupOk", "MFSensCtrl", "FirmupTransCtrl"});
    if (v.IsYes("CustomSW"))
      ok = ok && v.HasAll({"OScontrol", "FocusLimitCtrl", "FocusLimitCtrlReset", "EncoderPosition"});
    if (v.IsYes("MFSensCtrl") || v.IsYes("CustomSW")) {
      const int limit = AtoiLike(v.Raw("DataWriteNumLimit"));
      ok = ok && v.Has("DataWriteNumLimit") && limit >= 0 && limit <= 65535;
    }
  } else {
    ok = hasMinimumVersion &&
         v.HasAll({"FWFileName", "Fwversion", "UpDate", "DockVersion", "Fwpath", "InfoPath", "LensName",
                   "MustFwUp", "CustomSW", "OScontrol", "FocusLimitCtrl", "AFspeedCtrl", "FocusCtrl",
                   "ZoomLens", "FocalLength", "MountName", "EncoderPosition", "ScaleRatio", "ZoomRatio",
                   "FW", "AF", "AF0", "AF1", "AF2", "CS", "CS0", "AfCsProtect", "AfCsProtectReset",
                   "FwupOk"});
  }
  if (commonChecks) ok = ok && LensCommonChecks(v, record);
  if (record.mountCode >= 0x40 && record.mountCode <= 0x42)
    ok = ok && !record.FWFileName.empty() && !record.Fwversion.empty() && !record.UpDate.empty();
  return ok;
}

// The keys every Dock Config file of the USB device starts with; returns whether they and
// the display version are all there.
bool ReadDockCommon(SectionValues& v, DockUpdateInfo& dock, const std::string& folderUrl,
                    std::string& fwFileName, std::string& fwFolderUrl) {
  fwFileName = v.Read("FWFileName");
  dock.dockFwversion = v.Read("Fwversion");
  dock.dockUpDate = v.Read("UpDate");
  dock.dockMountName = v.Read("MountName");
  ParseBlockMap(v.Read("FW"), dock.dockFwMap);
  fwFolderUrl = folderUrl + "/" + v.Read("Fwpath");
  if (dock.IsExtendedFormat())
    dock.dockDisplayVer = dock::DeviceVersionDisplay(dock.dockRawVersion, dock.dockFormatMarker);
  else
    dock.dockDisplayVer = v.Read("DisplayVer");
  return v.HasAll({"FWFileName", "Fwversion", "UpDate", "MountName", "FW", "Fwpath"}) &&
         !dock.dockDisplayVer.empty();
}

// 100·a + 10·b + c of "a.b.c", held to the int range: the text may come from the user.
int ProgramVersionValue(std::string_view version) {
  const std::int64_t weights[] = {100, 10, 1};
  std::int64_t value = 0;
  for (const std::int64_t weight : weights) {
    const std::size_t dot = version.find('.');
    value += weight * AtoiLike(version.substr(0, dot));
    if (dot == std::string_view::npos) break;
    version.remove_prefix(dot + 1);
  }
  return static_cast<int>(std::clamp<std::int64_t>(value, std::numeric_limits<int>::min(),
                                                   std::numeric_limits<int>::max()));
}

}  // namespace

void ReadLensConfig(CLensUpdateInfoData& record, const std::string& path, int deviceCategory,
                    bool converterAttached, int& valid) {
  SectionValues v(kLensSection, path);
  record.FWFileName = v.Read("FWFileName");
  record.Fwversion = v.Read("Fwversion");
  record.UpDate = v.Read("UpDate");
  record.DockVersion = v.Read("DockVersion");
  record.Fwpath = v.Read("Fwpath");
  record.InfoPath = v.Read("InfoPath");
  record.productName = v.Read("LensName");
  record.MustFwUp = Flag(v.Read("MustFwUp"));
  record.CustomSW = Flag(v.Read("CustomSW"));
  record.OScontrol = Flag(v.Read("OScontrol"));
  record.FocusLimitCtrl = Flag(v.Read("FocusLimitCtrl"));
  record.FocusLimitCtrlReset = v.Read("FocusLimitCtrlReset");
  record.AFspeedCtrl = Flag(v.Read("AFspeedCtrl"));
  record.FocusCtrl = Flag(v.Read("FocusCtrl"));
  record.ZoomLens = Flag(v.Read("ZoomLens"));
  record.rawFocalLength = v.Read("FocalLength");
  record.MountName = v.Read("MountName");
  record.rawEncoderPosition = v.Read("EncoderPosition");
  record.rawScaleRatio = v.Read("ScaleRatio");
  record.rawZoomRatio = v.Read("ZoomRatio");
  record.rawFW = v.Read("FW");
  record.rawAF = v.Read("AF");
  record.rawAF0 = v.Read("AF0");
  record.rawAF1 = v.Read("AF1");
  record.rawAF2 = v.Read("AF2");
  record.rawCS = v.Read("CS");
  record.rawCS0 = v.Read("CS0");
  record.rawAFPA0 = v.Read("AFPA0");
  record.rawAFPA1 = v.Read("AFPA1");
  record.rawAFPA2 = v.Read("AFPA2");
  record.DisplayVer = DisplayVersionFor(record, v.Read("DisplayVer"));
  record.AfCsProtect = Flag(v.Read("AfCsProtect"));
  record.AfCsProtectReset = Flag(v.Read("AfCsProtectReset"));
  record.FwupOk = Flag(v.Read("FwupOk"));
  record.FirmupMinCBXVer = v.ReadMinimumVersion(deviceCategory != 1);
  record.MFCtrl = Flag(v.Read("MFCtrl", "NO"));
  record.MFfunc = SwitchByte(v.Read("MFfunc"));
  record.MFreset = ClampMFreset(v.Read("MFreset"));
  record.AFFuncBCtrl = Flag(v.Read("AFFuncBCtrl", "NO"));
  record.AFFuncBReset = SwitchByte(v.Read("AFFuncBReset"));
  record.MFSensCtrl = Flag(v.Read("MFSensCtrl", "NO"));
  record.FirmupTransCtrl = AtoiLike(v.Read("FirmupTransCtrl"));
  record.DataWriteNumLimit = Low16(AtoiLike(v.Read("DataWriteNumLimit")));
  BuildListsFromRawTexts(record);
  valid = LensConfigValid(v, record, deviceCategory, converterAttached) ? 1 : 0;
}

void ReadAdapterConfig(CLensUpdateInfoData& record, const std::string& path, int& valid) {
  SectionValues v(kDockSection, path);
  record.FWFileName = v.Read("FWFileName");
  record.Fwversion = v.Read("Fwversion");
  record.UpDate = v.Read("UpDate");
  record.Fwpath = v.Read("Fwpath");
  record.productName = v.Read("AdapterName");
  record.MountName = v.Read("MountName");
  record.rawFW = v.Read("FW");
  record.DisplayVer = DisplayVersionFor(record, v.Read("DisplayVer"));
  record.InfoPath = v.Read("InfoPath");
  record.FwupOk = Flag(v.Read("FwupOk"));
  record.FirmupMinCBXVer = v.ReadMinimumVersion(true);
  valid = v.HasAll({"FWFileName", "Fwversion", "UpDate", "Fwpath", "AdapterName", "MountName", "FW",
                    "FwupOk", "InfoPath"}) &&
                  !record.FirmupMinCBXVer.empty()
              ? 1
              : 0;
  BuildMapsFromRawTexts(record);
}

void ReadFlashConfig(CLensUpdateInfoData& record, const std::string& path, int& valid) {
  SectionValues v(kFlashSection, path);
  record.FWFileName = v.Read("FWFileName");
  record.Fwversion = v.Read("Fwversion");
  record.UpDate = v.Read("UpDate");
  record.DockVersion = v.Read("DockVersion");
  record.Fwpath = v.Read("Fwpath");
  record.productName = v.Read("FlashName");
  record.MountName = v.Read("MountName");
  record.rawFW = v.Read("FW");
  record.DisplayVer = DisplayVersionFor(record, v.Read("DisplayVer"));
  record.InfoPath = v.Read("InfoPath");
  record.FwupOk = Flag(v.Read("FwupOk"));
  record.FirmupMinCBXVer = v.ReadMinimumVersion(true);
  const bool complete = v.HasAll({"FWFileName", "Fwversion", "UpDate", "DockVersion", "Fwpath",
                                   "FlashName", "MountName", "FW", "FwupOk", "InfoPath"}) &&
                        !record.FirmupMinCBXVer.empty() &&
                        (record.IsExtendedFormat() || v.Has("DisplayVer"));
  valid = complete ? 1 : 0;
  BuildMapsFromRawTexts(record);
}

void ReadMessageConfig(CLensUpdateInfoData& record, const std::string& path) {
  SectionValues v(kMessageSection, path);
  const int mount = record.mountCode;
  if (mount == 0x60 || mount == 0x90 || mount == 0xA0) {
    // Files for these mounts carry only the OS texts; the AF speed texts stay as they are.
    record.btnOsText1 = v.Read("ml_btn_OScontrol_1");
    record.btnOsText2 = v.Read("ml_btn_OScontrol_2");
    record.btnOsText3 = v.Read("ml_btn_OScontrol_3");
    record.msgOsText1 = v.Read("ml_msg_OScontrol_1");
    record.msgOsText2 = v.Read("ml_msg_OScontrol_2");
    record.msgOsText3 = v.Read("ml_msg_OScontrol_3");
    return;
  }
  record.btnOsText1 = v.Read("btn_OScontrol_1");
  record.btnOsText2 = v.Read("btn_OScontrol_2");
  record.btnOsText3 = v.Read("btn_OScontrol_3");
  record.msgOsText1 = v.Read("msg_OScontrol_1");
  record.msgOsText2 = v.Read("msg_OScontrol_2");
  record.msgOsText3 = v.Read("msg_OScontrol_3");
  record.btnAfSpeedText1 = v.Read("btn_AFspeed_1");
  record.btnAfSpeedText2 = v.Read("btn_AFspeed_2");
  record.btnAfSpeedText3 = v.Read("btn_AFspeed_3");
  record.msgAfSpeedText1 = v.Read("msg_AFspeed_1");
  record.msgAfSpeedText2 = v.Read("msg_AFspeed_2");
  record.msgAfSpeedText3 = v.Read("msg_AFspeed_3");
}

void ReadDockConfig(DockUpdateInfo& dock, const std::string& path, const std::string& folderUrl,
                    std::string& fwFileName, std::string& fwFolderUrl, int& valid) {
  SectionValues v(kDockSection, path);
  valid = ReadDockCommon(v, dock, folderUrl, fwFileName, fwFolderUrl) ? 1 : 0;
}

void ReadDockFConfig(DockUpdateInfo& dock, const std::string& path, const std::string& folderUrl,
                     const std::string& programVersion, std::string& fwFileName,
                     std::string& fwFolderUrl, int& valid) {
  SectionValues v(kDockSection, path);
  const bool complete = ReadDockCommon(v, dock, folderUrl, fwFileName, fwFolderUrl);
  dock.dockFwupOk = Flag(v.Read("FwupOk"));
  if (ProgramVersionValue(programVersion) > kLastProgramWithoutOwnKey)
    dock.dockFirmupMinCBXVer = v.ReadMinimumVersion(true);
  else
    dock.dockFirmupMinCBXVer = v.Read("FirmupMinCBXVer");
  valid = complete && v.Has("FwupOk") && !dock.dockFirmupMinCBXVer.empty() ? 1 : 0;
}

void ReadProgramVersionInfo(const std::string& path, std::string& version, int& valid) {
  version = ReadIniValue(kProgramSection, "Fwversion", "", path);
  valid = version.empty() ? 0 : 1;
}

void ReadProductInfo(int deviceKind, const std::string& path, const std::string& folderUrl,
                     CLensUpdateInfoData& record, bool converterAttached, std::string& fwFileName,
                     std::string& fwFolderUrl, std::string& docFolderUrl, int& valid) {
  if (deviceKind == kProductKindAdapter)
    ReadAdapterConfig(record, path, valid);
  else if (deviceKind == kProductKindFlash)
    ReadFlashConfig(record, path, valid);
  else
    ReadLensConfig(record, path, record.deviceCategory, converterAttached, valid);
  fwFileName = record.FWFileName;
  fwFolderUrl = folderUrl + "/" + record.Fwpath;
  docFolderUrl = folderUrl + "/" + record.InfoPath;
  if (deviceKind != kProductKindAdapter) record.productName = MakeDisplayName(record);
}

}  // namespace cbx::update
