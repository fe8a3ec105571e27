// Why a device node could not be opened: only a permission refusal is reported as one.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>

#include "dock/HidapiBackend.h"

namespace cbx::dock {
namespace {

namespace fs = std::filesystem;

TEST(NodeAccess, OnlyAPermissionRefusalCountsAsLockedOut) {
  const fs::path dir = fs::temp_directory_path() / ("calibrix-node-" + std::to_string(::getpid()));
  fs::create_directories(dir);
  const fs::path readable = dir / "readable", locked = dir / "locked";
  std::ofstream(readable).put('x');
  std::ofstream(locked).put('x');
  ::chmod(locked.c_str(), 0);
  const struct {
    fs::path path;
    int error;
  } cases[] = {
      {readable, 0},
      {dir / "gone", ENOENT},
      // root opens anything, so the refusal is only seen by an ordinary user.
      {locked, ::geteuid() == 0 ? 0 : EACCES},
  };
  for (const auto& c : cases) {
    const int error = ProbeNodeOpen(c.path.string());
    EXPECT_EQ(error, c.error) << c.path;
    EXPECT_EQ(IsAccessError(error), c.error == EACCES) << c.path;
  }
  EXPECT_TRUE(IsAccessError(EPERM));
  fs::remove_all(dir);
}

}  // namespace
}  // namespace cbx::dock
