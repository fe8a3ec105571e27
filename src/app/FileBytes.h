// Whole-file reads that never throw.
#pragma once

#include <optional>
#include <string>

namespace cbx {

// The bytes of a regular file; nothing when it is missing, not a file or unreadable.
std::optional<std::string> ReadFileBytes(const std::string& path);

}  // namespace cbx
