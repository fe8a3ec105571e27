#include "app/Folders.h"

#include <gtest/gtest.h>

#include "support/TempDir.h"

namespace cbx {
namespace {

using test::ScopedEnv;
using test::TempDir;

TEST(Folders, DataFoldersFollowXdgDataHome) {
  ScopedEnv data("XDG_DATA_HOME", "/tmp/x");
  ScopedEnv home("HOME", "/tmp/h");
  EXPECT_EQ(GetFolder(0), "/tmp/x/ORVANE/ORVANE Calibrix");
  EXPECT_EQ(GetFolder(1), "/tmp/x/ORVANE/ORVANE Calibrix");
  EXPECT_EQ(GetFolder(7), "/tmp/x/ORVANE/ORVANE Calibrix/Temp");
  EXPECT_EQ(GetFolder(11), "/tmp/x/ORVANE/ORVANE Calibrix/LensDatabase");
}

TEST(Folders, DataFolderFallsBackToHomeWhenXdgIsUnsetOrRelative) {
  ScopedEnv home("HOME", "/tmp/h");
  for (const char* value : {static_cast<const char*>(nullptr), "relative/share", ""}) {
    ScopedEnv data("XDG_DATA_HOME", value);
    EXPECT_EQ(GetFolder(1), "/tmp/h/.local/share/ORVANE/ORVANE Calibrix");
  }
}

TEST(Folders, UnusedNumbersAreEmpty) {
  for (int n : {-1, 5, 6, 9, 10, 13, 100}) EXPECT_EQ(GetFolder(n), "") << n;
}

TEST(Folders, ProgramFolderHoldsTheTextTables) {
  // Test binaries run from build/bin, where the build copies String.txt.
  const std::string folder = GetFolder(2);
  EXPECT_FALSE(EndsWithSeparator(folder));
  EXPECT_TRUE(std::filesystem::exists(JoinPath(folder, "String.txt"))) << folder;
  for (int n : {3, 4, 8}) EXPECT_EQ(GetFolder(n), folder);
}

TEST(Folders, DownloadsComesFromUserDirsAndEndsWithSeparator) {
  TempDir dir;
  ScopedEnv home("HOME", dir.path().c_str());
  ScopedEnv config("XDG_CONFIG_HOME", nullptr);
  ScopedEnv direct("XDG_DOWNLOAD_DIR", nullptr);
  EXPECT_EQ(GetFolder(12), dir / "Downloads/");
  dir.Write(".config/user-dirs.dirs", "# comment\nXDG_DOWNLOAD_DIR=\"$HOME/Herunterladen\"\n");
  EXPECT_EQ(GetFolder(12), dir / "Herunterladen/");
  ScopedEnv set("XDG_DOWNLOAD_DIR", "/srv/dl/");
  EXPECT_EQ(GetFolder(12), "/srv/dl/");
}

TEST(Folders, JoinPathAddsOneSeparatorOnlyWhenMissing) {
  EXPECT_EQ(JoinPath("/a", "b.txt"), "/a/b.txt");
  EXPECT_EQ(JoinPath("/a/", "b.txt"), "/a/b.txt");
  EXPECT_TRUE(EndsWithSeparator("/a/"));
  EXPECT_FALSE(EndsWithSeparator(""));
}

}  // namespace
}  // namespace cbx
