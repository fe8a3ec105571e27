// calibrix-cli history list, export and import on a data folder of their own.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>

#include "app/Folders.h"
#include "app/InstanceLock.h"
#include "records/HistoryFiles.h"
#include "RunCli.h"
#include "support/TempDir.h"

namespace cbx {
namespace {

namespace fs = std::filesystem;
using test::RunCli;
using test::TempDir;

class CliHistoryCommands : public ::testing::Test {
 protected:
  void SetUp() override {
    where_.localAppData = dir_ / "share";
    where_.dataFolder = dir_ / "share/ORVANE/ORVANE Calibrix";
    where_.tempFolder = JoinPath(where_.dataFolder, "Temp");
    where_.lensDatabase = JoinPath(where_.dataFolder, "LensDatabase");
  }

  // A history of two lenses with their product pictures, as an earlier run saved it.
  void SeedHistory() {
    update::LensHistory lenses;
    for (const char* serial : {"2002", "1001"}) {
      const std::string picture = JoinPath(where_.lensDatabase, std::string("4A1/Image/") + serial + ".png");
      fs::create_directories(fs::path(picture).parent_path());
      std::ofstream(picture) << "picture " << serial;
      update::CLensUpdateInfoData lens;
      lens.serialNumber = serial;
      lens.productCodeText = "4A1";
      lens.productName = "24-70mm F2.8";
      lens.deviceCategory = 1;
      lens.lensImagePath = picture;
      lens.lensImageSize = static_cast<std::int32_t>(fs::file_size(picture));
      lenses.AddOrReplace(lens);
    }
    records::SaveLensUpdateInfoData(lenses, where_);
    update::DockHistory docks;
    docks.UpdateDockHistory("1.02.0000.1", "KV", "KV dock", "1.02");
    records::SaveDockHistory(docks, where_);
    fs::remove_all(where_.lensDatabase);  // a run removes its mirror at the end
  }

  std::string Env() const { return "env XDG_DATA_HOME=" + test::ShellQuote(dir_ / "share"); }

  nlohmann::json List() {
    const auto r = RunCli(Env(), {"history", "list", "--json"});
    EXPECT_EQ(r.exitCode, 0);
    return r.exitCode == 0 ? nlohmann::json::parse(r.out) : nlohmann::json();
  }

  TempDir dir_;
  records::HistoryLocations where_;
};

TEST_F(CliHistoryCommands, ListsInHistoryOrderAndCleansUpTheRun) {
  SeedHistory();
  const auto list = List();
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(list[0]["serialNumber"], "1001");
  EXPECT_EQ(list[1]["serialNumber"], "2002");
  EXPECT_EQ(list[0]["productName"], "24-70mm F2.8");
  EXPECT_FALSE(fs::exists(where_.lensDatabase)) << "the run's folders are removed at its end";
  EXPECT_FALSE(fs::exists(where_.tempFolder));
  EXPECT_EQ(RunCli(Env(), {"history", "list"}).exitCode, 0);
}

TEST_F(CliHistoryCommands, ExportThenImportIntoAnotherDataFolder) {
  SeedHistory();
  const std::string archive = dir_ / "carry me.hist";
  ASSERT_EQ(RunCli(Env(), {"history", "export", archive}).exitCode, 0);
  ASSERT_TRUE(fs::exists(archive));

  TempDir other;
  const std::string otherEnv = "env XDG_DATA_HOME=" + test::ShellQuote(other / "share");
  EXPECT_EQ(RunCli(otherEnv, {"history", "import", archive}).exitCode, 1) << "needs confirmation";
  EXPECT_EQ(RunCli(otherEnv, {"history", "list", "--json"}).out, "[]\n");
  ASSERT_EQ(RunCli(otherEnv, {"history", "import", archive, "--yes"}).exitCode, 0);
  EXPECT_EQ(test::ReadFile(other / "share/ORVANE/ORVANE Calibrix/DockHistory.dat"),
            test::ReadFile(JoinPath(where_.dataFolder, "DockHistory.dat")));
  const auto imported = RunCli(otherEnv, {"history", "list", "--json"});
  ASSERT_EQ(imported.exitCode, 0);
  EXPECT_EQ(nlohmann::json::parse(imported.out), List());
}

TEST_F(CliHistoryCommands, BadArchiveAndEmptyHistoryFail) {
  EXPECT_EQ(RunCli(Env(), {"history", "export", dir_ / "empty.hist"}).exitCode, 1) << "nothing to export";
  EXPECT_FALSE(fs::exists(dir_ / "empty.hist"));
  SeedHistory();
  const std::string before = test::ReadFile(JoinPath(where_.dataFolder, "LensHistory.dat"));
  const std::string junk = dir_.Write("x.hist", std::string(1000, 'j'));
  EXPECT_EQ(RunCli(Env(), {"history", "import", junk, "--yes"}).exitCode, 1);
  EXPECT_EQ(test::ReadFile(JoinPath(where_.dataFolder, "LensHistory.dat")), before);
}

TEST_F(CliHistoryCommands, OneInstancePerDataFolder) {
  InstanceLock window;
  ASSERT_TRUE(window.Acquire(where_.dataFolder));
  EXPECT_EQ(RunCli(Env(), {"history", "list"}).exitCode, 4);
  window.Release();
  EXPECT_EQ(RunCli(Env(), {"history", "list"}).exitCode, 0);
}

}  // namespace
}  // namespace cbx
