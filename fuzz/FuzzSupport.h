// Shared helpers of the fuzz targets: a private scratch folder and file plumbing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace cbx::fuzz {

// A folder of this process below the system temp folder, made on first use and removed
// when the process ends normally.
const std::string& ScratchFolder();

// Empties (or creates) a folder below the scratch folder and returns its path.
std::string FreshFolder(const std::string& name);

// Writes the bytes to the file, replacing it; aborts when that fails, since a fuzz run
// without its input file tests nothing.
void WriteBytes(const std::string& path, const std::uint8_t* data, std::size_t size);
inline void WriteBytes(const std::string& path, std::string_view bytes) {
  WriteBytes(path, reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
}

// Every regular file and symbolic link below `root`, as paths relative to it.
std::vector<std::string> FilesBelow(const std::string& root);

// Aborts with a message (libFuzzer records the input as a crash).
[[noreturn]] void Fail(const std::string& what);

}  // namespace cbx::fuzz
