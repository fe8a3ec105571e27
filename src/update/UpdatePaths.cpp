#include "update/UpdatePaths.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <sstream>

#include "app/Configuration.h"
#include "app/Folders.h"
#include "update/UpdateConfig.h"

namespace cbx::update {

std::string GetServerBaseUrl(const std::string& serverUrlOverride) {
  std::string base = serverUrlOverride.empty() ? std::string(kBuiltInServerUrl) : serverUrlOverride;
  if (base.back() != '/') base.push_back('/');
  return base;
}

std::string LanguageCode(int uiLanguage) {
  static constexpr const char* kCodes[] = {"jpn", "eng", "deu", "fra", "kor",
                                           "esp", "ita", "chs", "cht", "rus"};
  if (uiLanguage >= 1 && uiLanguage <= 10) return kCodes[uiLanguage - 1];
  return "eng";
}

std::string MessageFileName(int uiLanguage) { return LanguageCode(uiLanguage) + ".ini"; }
std::string DocumentFileName(int uiLanguage) { return LanguageCode(uiLanguage) + ".htm"; }

std::string ProductFolderUrl(const std::string& base, const std::string& productCode,
                             const std::string& mountText, const std::string& lensCode) {
  return base + productCode + "/" + mountText + "/" + lensCode;
}

std::string ImageFolderUrl(const std::string& base, const std::string& productCode) {
  return base + productCode + "/Image/";
}

std::string MessageFileUrl(const std::string& base, const std::string& productCode, int uiLanguage) {
  return base + productCode + "/Message/" + MessageFileName(uiLanguage);
}

std::string DockFolderUrl(const std::string& base, bool flashDock, const std::string& dockId) {
  return base + (flashDock ? "USBDock_F/" : "USBDock/") + dockId;
}

int ProgramVersionNumber(const std::string& programVersion) {
  std::istringstream in(programVersion);
  std::string part;
  std::int64_t fields[3] = {0, 0, 0};
  for (int i = 0; i < 3 && std::getline(in, part, '.'); ++i) fields[i] = TextToInt(part);
  // Held to the int range: the text may come from the user.
  const std::int64_t value = 100 * fields[0] + 10 * fields[1] + fields[2];
  return static_cast<int>(std::clamp<std::int64_t>(value, std::numeric_limits<int>::min(),
                                                   std::numeric_limits<int>::max()));
}

std::string ProgramFolderName(const std::string& programVersion) {
  // Programs up to 1.3.9 looked for their announcement in another folder.
  return ProgramVersionNumber(programVersion) <= 139 ? "CBX" : "Win";
}

std::string ProgramFolderUrl(const std::string& base, const std::string& programVersion) {
  return base + ProgramFolderName(programVersion);
}

std::string UrlJoin(const std::string& folderUrl, const std::string& name) { return folderUrl + "/" + name; }

std::string DockVersionText(const std::string& dockRawVersion, bool extendedFormat) {
  return extendedFormat ? dockRawVersion.substr(0, 4) : dockRawVersion;
}

std::string LocalProductFolder(const std::string& r, const std::string& p, const std::string& m,
                               const std::string& l) {
  return JoinPath(JoinPath(JoinPath(r, p), m), l);
}

std::string LocalImageFolder(const std::string& r, const std::string& p) {
  return JoinPath(JoinPath(r, p), "Image");
}

std::string LocalMessageFolder(const std::string& r, const std::string& p) {
  return JoinPath(JoinPath(r, p), "Message");
}

std::string LocalDocumentFolder(const std::string& r, const std::string& p, const std::string& m,
                                const std::string& l, const std::string& fwversion) {
  return JoinPath(JoinPath(LocalProductFolder(r, p, m, l), fwversion), "DOCFolder");
}

std::string LocalFirmwareFolder(const std::string& r, const std::string& p, const std::string& m,
                                const std::string& l, const std::string& fwversion) {
  return JoinPath(JoinPath(LocalProductFolder(r, p, m, l), fwversion), "FWFolder");
}

std::string LocalDockFolder(const std::string& r, bool flashDock, const std::string& dockId) {
  return JoinPath(JoinPath(r, flashDock ? "USBDock_F" : "USBDock"), dockId);
}

std::string LocalDockFirmwareFolder(const std::string& r, bool flashDock, const std::string& dockId,
                                    const std::string& dockFwversion) {
  return JoinPath(JoinPath(LocalDockFolder(r, flashDock, dockId), dockFwversion), "FWFolder");
}

std::string LocalProgramFolder(const std::string& r, const std::string& programVersion) {
  return JoinPath(r, ProgramFolderName(programVersion));
}

bool IsSafePathSegment(std::string_view value) {
  if (value.empty() || value == "." || value == "..") return false;
  // ":" would name a drive on some systems.
  return value.find_first_of(std::string_view("/\\:\0", 4)) == std::string_view::npos;
}

}  // namespace cbx::update
