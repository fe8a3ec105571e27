#include "app/Log.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <thread>
#include <vector>

#include "app/Configuration.h"
#include "app/ErrorTables.h"
#include "support/TempDir.h"

namespace cbx {
namespace {

using test::ReadFile;
using test::TempDir;
using ::testing::MatchesRegex;

struct ReportCase {
  int function, error;
  std::uint16_t command;
  const char* detail;
  const char* expected;
};

TEST(ErrorReport, BuildsTheTwoLineTextFromBothTables) {
  const ReportCase cases[] = {
      {21, 26, 0x0503, "", "Func::LensFWUpdateThread\nErrNo.2126::DOCK Req Command Err: 503"},
      {11, 27, 0x060A, "", "Func::DockFWUpdateThread\nErrNo.1127::DOCK Res Command Err: 60a"},
      {1, 27, 0xABCD, "", "Func::StartDockFWUpdateSequence\nErrNo.127::DOCK Res Command Err:abcd"},
      {4, 9, 0, "/data/LensDatabase",
       "Func::LensFWUpdateCheckThread\nErrNo.409::Failed to Create Local Folder:\"/data/LensDatabase\""},
      {2, 41, 0, "", "Func::StartLensFWUpdateSequence\nErrNo.241::"},
      {112, 40, 0, "", "Func::\nErrNo.11240::Failed to Get AFFUNC Data"},
      {5, 12, 0x0503, "", "Func::LoadLensUpdateInfoData\nErrNo.512::Failed to Open Lens History File"},
      {111, 1, 0, "", "Func::OnBnClickedBtnAfFuncSetWrite\nErrNo.11101::Cannot Read DOCK FW Ver."},
      {9, 0, 0, "", "Func::\nErrNo.900::"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(BuildErrorReport(c.function, c.error, c.command, c.detail), c.expected);
  }
}

TEST(ErrorReport, TablesHaveNoGaps) {
  for (int e = 1; e <= 40; ++e) EXPECT_FALSE(ErrorText(e).empty()) << e;
  EXPECT_TRUE(ErrorText(41).empty());
  EXPECT_EQ(FunctionName(103), "IsChangeMFData");
  EXPECT_TRUE(FunctionName(102).empty());
}

class LogFileTest : public ::testing::Test {
 protected:
  void TearDown() override { Log::Instance().Configure(false, ""); }
  TempDir dir_;
};

TEST_F(LogFileTest, EnabledLogAppendsTimeStampedEntries) {
  const std::string config = dir_.Write("CBXConfig.ini", "[CBX Config]\nLOG=1\n");
  AppConfig settings;
  ReadConfiguration(settings, config);
  const std::string logPath = dir_ / "CBXLog.txt";
  dir_.Write("CBXLog.txt", "earlier entry\n");
  Log::Instance().Configure(settings.logEnabled, logPath);

  ReportError(21, 26, 0x0503);
  WriteLogLine("---------- End ORVANE Calibrix\n\n");

  const std::string text = ReadFile(logPath);
  EXPECT_THAT(text, MatchesRegex("earlier entry\n"
                                 "[0-9]{4}/[0-9]{2}/[0-9]{2}/[0-9]{2}:[0-9]{2}:[0-9]{2} :"
                                 "Func::LensFWUpdateThread\nErrNo\\.2126::DOCK Req Command Err: 503\n"
                                 "[0-9/:]+ :---------- End ORVANE Calibrix\n\n\n"));
}

TEST_F(LogFileTest, NothingIsWrittenUnlessEnabledWithAPath) {
  const std::string logPath = dir_ / "CBXLog.txt";
  for (const char* configText : {"[CBX Config]\n", "[CBX Config]\nLOG=0\n", "[CBX Config]\nLOG=yes\n"}) {
    AppConfig settings;
    ReadConfiguration(settings, dir_.Write("CBXConfig.ini", configText));
    Log::Instance().Configure(settings.logEnabled, logPath);
    ReportError(4, 9, 0, "x");
    EXPECT_FALSE(std::filesystem::exists(logPath)) << configText;
  }
  Log::Instance().Configure(true, logPath, /*isSecondInstance=*/true);
  WriteLogLine("second copy");
  Log::Instance().Configure(true, "");
  WriteLogLine("no path yet");
  EXPECT_FALSE(std::filesystem::exists(logPath));
}

TEST_F(LogFileTest, UnwritableLogIsIgnored) {
  Log::Instance().Configure(true, dir_ / "missing-folder/CBXLog.txt");
  WriteLogLine("lost");
  EXPECT_FALSE(std::filesystem::exists(dir_ / "missing-folder"));
}

TEST_F(LogFileTest, EntriesFromManyThreadsStayWhole) {
  const std::string logPath = dir_ / "CBXLog.txt";
  Log::Instance().Configure(true, logPath);
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([] {
      for (int i = 0; i < 50; ++i) ReportError(31, 34);
    });
  }
  for (auto& t : threads) t.join();
  const std::string text = ReadFile(logPath);
  std::size_t entries = 0, pos = 0;
  const std::string entry = " :Func::AFDataWritingThread\nErrNo.3134::Failed to Copy BlockData\n";
  while ((pos = text.find(entry, pos)) != std::string::npos) ++entries, pos += entry.size();
  EXPECT_EQ(entries, 200u);
  EXPECT_EQ(text.size(), 200u * (entry.size() + 19));
}

}  // namespace
}  // namespace cbx
