#include "FuzzSupport.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <system_error>

#include <unistd.h>

namespace cbx::fuzz {

namespace fs = std::filesystem;

namespace {

struct Scratch {
  std::string path;
  Scratch() {
    std::error_code ec;
    fs::path base = fs::temp_directory_path(ec);
    if (ec) base = "/tmp";
    std::string pattern = (base / "calibrix-fuzz-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) Fail("cannot make a scratch folder");
    path = pattern;
  }
  ~Scratch() {
    std::error_code ec;
    fs::remove_all(path, ec);
  }
};

}  // namespace

const std::string& ScratchFolder() {
  static const Scratch scratch;
  return scratch.path;
}

std::string FreshFolder(const std::string& name) {
  const fs::path folder = fs::path(ScratchFolder()) / name;
  std::error_code ec;
  fs::remove_all(folder, ec);
  fs::create_directories(folder, ec);
  if (ec) Fail("cannot make " + folder.string());
  return folder.string();
}

void WriteBytes(const std::string& path, const std::uint8_t* data, std::size_t size) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (size != 0) out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  out.close();
  if (!out) Fail("cannot write " + path);
}

std::vector<std::string> FilesBelow(const std::string& root) {
  std::vector<std::string> found;
  std::error_code ec;
  for (fs::recursive_directory_iterator it(root, fs::directory_options::none, ec), end; !ec && it != end;
       it.increment(ec)) {
    const fs::file_status status = it->symlink_status();
    if (fs::is_directory(status)) continue;
    found.push_back(fs::relative(it->path(), root).generic_string());
  }
  return found;
}

void Fail(const std::string& what) {
  std::fprintf(stderr, "fuzz check failed: %s\n", what.c_str());
  std::fflush(stderr);
  std::abort();
}

}  // namespace cbx::fuzz
