#include "app/EnsureFolder.h"

#include <filesystem>
#include <system_error>

namespace cbx {

bool EnsureFolder(const std::string& folder) {
  namespace fs = std::filesystem;
  if (folder.empty()) return false;
  std::error_code ec;
  const fs::path target = fs::path(folder).lexically_normal();
  // Most calls find the folder there already: one look instead of one per part.
  if (fs::is_directory(target, ec)) return true;
  fs::path partial;
  for (const auto& part : target) {
    partial /= part;
    if (part.empty()) continue;
    const fs::file_status status = fs::status(partial, ec);
    if (fs::exists(status)) {
      if (!fs::is_directory(status)) return false;  // a file stands where a folder must be
      continue;
    }
    if (!fs::create_directory(partial, ec) && !fs::is_directory(partial, ec)) return false;
  }
  return fs::is_directory(target, ec);
}

}  // namespace cbx
