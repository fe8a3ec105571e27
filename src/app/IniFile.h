// Reading and writing values of Windows-style INI files with private-profile rules.
#pragma once

#include <string>
#include <string_view>

namespace cbx {

// Limits of the private-profile reader that stored files rely on.
inline constexpr std::size_t kIniNameMaxBytes = 29;   // section, key and default
inline constexpr std::size_t kIniValueMaxBytes = 767; // longer values are cut here

// Looks up `key` in `section` of the UTF-8 file at `path`:
// section and key match without regard to letter case, the first matching section and
// the first matching key in it win, blanks around keys and values are dropped, one pair
// of matching surrounding quotes is removed, lines starting with ';' are comments, a
// UTF-8 byte-order mark is skipped. A missing file, section or key gives the default
// (its trailing blanks removed). The value is cut at 767 bytes without splitting a
// character, made valid UTF-8, and every "#replace#" becomes a line feed.
std::string ReadIniValue(std::string_view section, std::string_view key,
                         std::string_view defaultValue, const std::string& path);

// Sets `key` in `section` to `value`, creating the file, its folders and the section or
// key as needed. Every other line of the file stays as it was. The file is replaced
// atomically, so a failed write keeps the old contents. Returns false on failure.
bool WriteIniValue(std::string_view section, std::string_view key, std::string_view value,
                   const std::string& path);

}  // namespace cbx
