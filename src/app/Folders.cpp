#include "app/Folders.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <pwd.h>
#include <system_error>
#include <unistd.h>

namespace cbx {

namespace {

namespace fs = std::filesystem;

std::string EnvValue(const char* name) {
  const char* v = std::getenv(name);
  return v ? std::string(v) : std::string();
}

std::string HomeFolder() {
  std::string home = EnvValue("HOME");
  if (!home.empty()) return home;
  if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_dir) return pw->pw_dir;
  return "/tmp";
}

std::string StripTrailingSeparators(std::string path) {
  while (path.size() > 1 && path.back() == kPathSeparator) path.pop_back();
  return path;
}

// XDG base directories must be absolute; a relative value is ignored.
std::string XdgFolder(const char* variable, std::string_view fallbackBelowHome) {
  std::string value = EnvValue(variable);
  if (!value.empty() && value.front() == '/') return StripTrailingSeparators(value);
  return JoinPath(HomeFolder(), fallbackBelowHome);
}

// Reads XDG_DOWNLOAD_DIR from user-dirs.dirs, expanding a leading $HOME.
std::string DownloadDirFromUserDirs() {
  const std::string file = JoinPath(XdgFolder("XDG_CONFIG_HOME", ".config"), "user-dirs.dirs");
  std::ifstream in(file);
  std::string line;
  while (std::getline(in, line)) {
    constexpr std::string_view key = "XDG_DOWNLOAD_DIR=";
    std::size_t start = line.find_first_not_of(" \t");
    if (start == std::string::npos || line.compare(start, key.size(), key) != 0) continue;
    std::string value = line.substr(start + key.size());
    while (!value.empty() && (value.back() == '\r' || value.back() == ' ')) value.pop_back();
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
      value = value.substr(1, value.size() - 2);
    }
    if (value.rfind("$HOME", 0) == 0) value = HomeFolder() + value.substr(5);
    if (!value.empty() && value.front() == '/') return StripTrailingSeparators(value);
  }
  return {};
}

std::string ExecutableFolder() {
  std::error_code ec;
  const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
  if (ec || exe.empty()) return fs::current_path(ec).string();
  return exe.parent_path().string();
}

}  // namespace

bool EndsWithSeparator(std::string_view path) {
  return !path.empty() && path.back() == kPathSeparator;
}

std::string JoinPath(std::string_view folder, std::string_view name) {
  std::string out(folder);
  if (!EndsWithSeparator(out)) out.push_back(kPathSeparator);
  out.append(name);
  return out;
}

std::string DataFolder() {
  return JoinPath(XdgFolder("XDG_DATA_HOME", ".local/share"), "ORVANE/ORVANE Calibrix");
}

// The folder that holds the text tables: beside the executable (build tree, portable
// install) or the install's share/calibrix folder.
std::string ProgramFolder() {
  const std::string exeFolder = ExecutableFolder();
  std::error_code ec;
  if (fs::exists(JoinPath(exeFolder, "String.txt"), ec)) return exeFolder;
  const fs::path shared = fs::path(exeFolder).parent_path() / "share" / "calibrix";
  if (fs::exists(shared / "String.txt", ec)) return shared.string();
  return exeFolder;
}

std::string DownloadsFolder() {
  std::string folder = EnvValue("XDG_DOWNLOAD_DIR");
  if (folder.empty() || folder.front() != '/') folder = DownloadDirFromUserDirs();
  if (folder.empty()) folder = JoinPath(HomeFolder(), "Downloads");
  if (!EndsWithSeparator(folder)) folder.push_back(kPathSeparator);
  return folder;
}

std::string GetFolder(int folderNumber) {
  switch (folderNumber) {
    case kFolderLog:
    case kFolderData:
      return DataFolder();
    case kFolderStrings:
    case kFolderFonts:
    case kFolderManual:
    case kFolderLicense:
      return ProgramFolder();
    case kFolderTemp:
      return JoinPath(DataFolder(), "Temp");
    case kFolderLensDatabase:
      return JoinPath(DataFolder(), "LensDatabase");
    case kFolderDownloads:
      return DownloadsFolder();
    default:
      return {};
  }
}

}  // namespace cbx
