#include "app/Configuration.h"

#include <gtest/gtest.h>

#include <fstream>

#include "app/Folders.h"
#include "support/TempDir.h"

namespace cbx {
namespace {

using test::TempDir;

TEST(Configuration, MissingFileKeepsEveryValue) {
  TempDir dir;
  AppConfig config;
  config.serverUrlOverride = "keep";
  config.mainWindowX = 77;
  ReadConfiguration(config, dir / "CBXConfig.ini");
  EXPECT_EQ(config.serverUrlOverride, "keep");
  EXPECT_EQ(config.mainWindowX, 77);
  EXPECT_FALSE(config.logEnabled);
}

TEST(Configuration, ReadsAllKeys) {
  TempDir dir;
  const std::string path = dir.Write("CBXConfig.ini",
                                     "[CBX Config]\nURL=http://127.0.0.1:8080/cbx\nEMC=1\nLOG=1\n"
                                     "MainWindow_X=-50\nMainWindow_Y=abc\n");
  AppConfig config;
  config.mainWindowY = 99;
  ReadConfiguration(config, path);
  EXPECT_EQ(config.serverUrlOverride, "http://127.0.0.1:8080/cbx");
  EXPECT_TRUE(config.emcTestEnabled);
  EXPECT_TRUE(config.logEnabled);
  EXPECT_EQ(config.mainWindowX, -50);
  EXPECT_EQ(config.mainWindowY, 0);
}

TEST(Configuration, OnlyExactlyOneEnablesAFlag) {
  const std::pair<const char*, bool> cases[] = {
      {"1", true}, {"  1  ", true}, {"yes", false}, {"01", false}, {"\" 1\"", false},
      {"1 ", true}, {"true", false}, {"", false},
  };
  for (const auto& [value, enabled] : cases) {
    TempDir dir;
    const std::string path =
        dir.Write("CBXConfig.ini", std::string("[CBX Config]\nLOG=") + value + "\nEMC=" + value + "\n");
    AppConfig config;
    ReadConfiguration(config, path);
    EXPECT_EQ(config.logEnabled, enabled) << "LOG=" << value;
    EXPECT_EQ(config.emcTestEnabled, enabled) << "EMC=" << value;
  }
}

TEST(Configuration, TextToIntFollowsTheLeadingDigits) {
  const std::pair<const char*, int> cases[] = {
      {"-50", -50},  {"abc", 0},     {"  42", 42},   {"+7", 7},         {"12px", 12},
      {"", 0},       {"-", 0},       {"0x10", 0},    {"99999999999", 2147483647},
      {"-99999999999", -2147483647 - 1},
  };
  for (const auto& [text, value] : cases) EXPECT_EQ(TextToInt(text), value) << text;
}

TEST(Configuration, WindowPositionRoundTripsAndKeepsHandWrittenKeys) {
  TempDir dir;
  const std::string path = dir / "data/CBXConfig.ini";
  ASSERT_TRUE(WriteWindowPosition(-400, 100, path));
  const std::string firstWrite = test::ReadFile(path);
  // A user adds settings by hand; the next exit must not lose them.
  {
    std::ofstream out(path, std::ios::app);
    out << "LOG=1\nURL=http://host/\n";
  }
  ASSERT_TRUE(WriteWindowPosition(5, 6, path));
  AppConfig config;
  ReadConfiguration(config, path);
  EXPECT_EQ(config.mainWindowX, 5);
  EXPECT_EQ(config.mainWindowY, 6);
  EXPECT_TRUE(config.logEnabled);
  EXPECT_EQ(config.serverUrlOverride, "http://host/");
  EXPECT_EQ(firstWrite, "[CBX Config]\nMainWindow_X=-400\nMainWindow_Y=100\n");
}

TEST(Configuration, FileLivesInTheDataFolder) {
  test::ScopedEnv data("XDG_DATA_HOME", "/tmp/x");
  EXPECT_EQ(ConfigFilePath(), "/tmp/x/ORVANE/ORVANE Calibrix/CBXConfig.ini");
}

}  // namespace
}  // namespace cbx
