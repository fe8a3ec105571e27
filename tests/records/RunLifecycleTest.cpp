#include "records/RunLifecycle.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "app/Folders.h"
#include "app/Language.h"
#include "support/TempDir.h"

namespace cbx::records {
namespace {

namespace fs = std::filesystem;
using test::ReadFile;
using test::TempDir;

HistoryLocations In(const TempDir& dir) {
  HistoryLocations where;
  where.localAppData = dir / "share";
  where.dataFolder = dir / "share/ORVANE/ORVANE Calibrix";
  where.tempFolder = JoinPath(where.dataFolder, "Temp");
  where.lensDatabase = JoinPath(where.dataFolder, "LensDatabase");
  return where;
}

TEST(RunLifecycle, StartsWithTextsConfigurationAndLogAndEndsClean) {
  TempDir dir;
  const HistoryLocations where = In(dir);
  dir.Write("share/ORVANE/ORVANE Calibrix/CBXConfig.ini", "[CBX Config]\nLOG=1\nURL=http://127.0.0.1:9/\n");
  AppState state;
  RunLifecycle run(where);
  ASSERT_EQ(run.Start(state), RunLifecycle::StartResult::kStarted);
  EXPECT_EQ(state.uiLanguage, kLanguageEnglish);
  std::string title;
  EXPECT_TRUE(run.Texts().GetText(10, title));
  EXPECT_EQ(state.serverUrlOverride, "http://127.0.0.1:9/");

  // A second instance on the same data folder is turned away while the first runs.
  AppState other;
  RunLifecycle second(where);
  EXPECT_EQ(second.Start(other), RunLifecycle::StartResult::kAnotherInstance);

  fs::create_directories(where.lensDatabase + "/4A1/Image");
  fs::create_directories(where.tempFolder);
  run.Finish();
  EXPECT_FALSE(fs::exists(where.lensDatabase));
  EXPECT_FALSE(fs::exists(where.tempFolder));
  EXPECT_TRUE(fs::exists(JoinPath(where.dataFolder, "LensHistory.dat")));
  EXPECT_TRUE(fs::exists(JoinPath(where.dataFolder, "DockHistory.dat")));
  const std::string log = ReadFile(JoinPath(where.dataFolder, "CBXLog.txt"));
  EXPECT_NE(log.find(" :---------- Start ORVANE Calibrix  Ver.2.0.0.0 ----------\n"), std::string::npos);
  EXPECT_NE(log.find(" :---------- End ORVANE Calibrix\n\n\n"), std::string::npos);
  EXPECT_EQ(second.Start(other), RunLifecycle::StartResult::kStarted) << "the lock is free again";
}

}  // namespace
}  // namespace cbx::records
