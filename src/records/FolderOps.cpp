#include "records/FolderOps.h"

#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <system_error>

#include "app/EnsureFolder.h"
#include "app/Folders.h"

namespace cbx::records {

namespace {

namespace fs = std::filesystem;

void DeleteChildren(const fs::path& folder) {
  std::error_code ec;
  std::vector<fs::path> children;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) children.push_back(it->path());
  for (const auto& child : children) {
    if (fs::is_directory(fs::symlink_status(child, ec))) {
      DeleteFolderTree(child.string());
    } else {
      fs::remove(child, ec);
    }
  }
}

// Copies `from` (file or folder) to exactly `to`, merging into and replacing what is there.
bool CopyTree(const fs::path& from, const fs::path& to) {
  std::error_code ec;
  const fs::file_status status = fs::symlink_status(from, ec);
  if (ec) return false;
  if (fs::is_directory(status)) {
    if (!fs::is_directory(to, ec) && !fs::create_directories(to, ec)) return false;
    bool ok = true;
    for (fs::directory_iterator it(from, ec), end; !ec && it != end; it.increment(ec)) {
      ok = CopyTree(it->path(), to / it->path().filename()) && ok;
    }
    return ok && !ec;
  }
  if (!fs::is_regular_file(status)) return true;  // links and devices are not ours to copy
  return fs::copy_file(from, to, fs::copy_options::overwrite_existing, ec) && !ec;
}

fs::path TargetFor(const fs::path& from, const fs::path& to) {
  std::error_code ec;
  return fs::is_directory(to, ec) ? to / from.filename() : to;
}

std::string UtcStamp() {
  const auto now = std::chrono::system_clock::now();
  const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
  std::tm utc{};
  gmtime_r(&seconds, &utc);
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%04d%02d%02d_%02d%02d%02d%03d", utc.tm_year + 1900, utc.tm_mon + 1,
                utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec, static_cast<int>(ms));
  return buffer;
}

}  // namespace

bool DeleteFolderTree(const std::string& folder) {
  std::string path = folder;
  while (path.size() > 1 && (path.back() == '/' || path.back() == '\\')) path.pop_back();
  if (path.empty()) return false;
  DeleteChildren(path);
  std::error_code ec;
  return fs::remove(path, ec) && !ec;
}

void EmptyFolder(const std::string& folder) { DeleteChildren(folder); }

int CopyFolder(const std::string& from, const std::string& to) {
  std::error_code ec;
  if (!fs::exists(fs::symlink_status(from, ec))) return 1;
  return CopyTree(from, TargetFor(from, to)) ? 0 : 1;
}

int MoveItem(const std::string& from, const std::string& to) {
  std::error_code ec;
  if (!fs::exists(fs::symlink_status(from, ec))) return 1;
  const fs::path target = TargetFor(from, to);
  if (!fs::exists(target, ec)) {
    fs::rename(from, target, ec);
    if (!ec) return 0;
  }
  // Merging into an existing folder, or moving to another file system: copy, then delete.
  if (!CopyTree(from, target)) return 1;
  if (fs::is_directory(from, ec)) return DeleteFolderTree(from) ? 0 : 1;
  return fs::remove(from, ec) ? 0 : 1;
}

void MoveSubfolders(const std::string& fromFolder, const std::string& toFolder) {
  std::error_code ec;
  std::vector<fs::path> folders;
  for (fs::directory_iterator it(fromFolder, ec), end; !ec && it != end; it.increment(ec)) {
    if (it->is_directory(ec) && !it->is_symlink(ec)) folders.push_back(it->path());
  }
  for (const auto& folder : folders) MoveItem(folder.string(), toFolder);
}

std::string GetParentFolder(const std::string& path) {
  const std::size_t at = path.find_last_of("/\\");
  return at == std::string::npos ? std::string() : path.substr(0, at);
}

std::string GetFileName(const std::string& path) {
  const std::size_t at = path.find_last_of("/\\");
  return at == std::string::npos ? path : path.substr(at + 1);
}

std::string DocumentCopyFolderName(const std::string& downloadsFolder) {
  return JoinPath(JoinPath(downloadsFolder, "ORVANE/ORVANE Calibrix"), "CBXTemp_" + UtcStamp()) + "/";
}

bool CopyDocumentForViewing(const std::string& source, std::string& copyPath, const std::string& downloadsFolder) {
  const std::string folder = DocumentCopyFolderName(downloadsFolder);
  const std::string target = folder + GetFileName(source);
  if (!EnsureFolder(folder)) return false;
  std::error_code ec;
  fs::remove(target, ec);
  if (!fs::copy_file(source, target, fs::copy_options::overwrite_existing, ec) || ec) return false;
  copyPath = target;
  return true;
}

bool DocumentCopyMap::Find(const std::string& source, std::string& copy) const {
  std::lock_guard lock(mutex_);
  const auto it = copies_.find(source);
  if (it == copies_.end()) return false;
  copy = it->second;
  return true;
}

void DocumentCopyMap::Insert(const std::string& source, const std::string& copy) {
  std::lock_guard lock(mutex_);
  copies_[source] = copy;
}

std::vector<std::string> DocumentCopyMap::Copies() const {
  std::lock_guard lock(mutex_);
  std::vector<std::string> out;
  for (const auto& [source, copy] : copies_) out.push_back(copy);
  return out;
}

bool DocumentForViewing(DocumentCopyMap& map, const std::string& source, std::string& copyPath,
                        const std::string& downloadsFolder) {
  if (map.Find(source, copyPath)) return true;
  if (!CopyDocumentForViewing(source, copyPath, downloadsFolder)) return false;
  map.Insert(source, copyPath);
  return true;
}

void RemoveRunFolders(const std::string& lensDatabase, const std::string& tempFolder, const DocumentCopyMap& copies) {
  DeleteFolderTree(lensDatabase);
  DeleteFolderTree(tempFolder);
  std::error_code ec;
  for (const auto& copy : copies.Copies()) {
    const std::string folder = GetParentFolder(copy);
    if (fs::is_directory(folder, ec)) DeleteFolderTree(folder);
  }
}

}  // namespace cbx::records
