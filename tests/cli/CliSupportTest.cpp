// Runs calibrix-cli as a user would and checks what it prints.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>

#include "RunCli.h"
#include "support/TempDir.h"

namespace cbx {
namespace {

using test::TempDir;

using test::RunCli;
using test::RunResult;

TEST(CliPaths, JsonListsEveryFolderNumber) {
  const RunResult r = RunCli("env XDG_DATA_HOME=/tmp/x HOME=/tmp/h XDG_CONFIG_HOME= XDG_DOWNLOAD_DIR=",
                             {"paths", "--json"});
  ASSERT_EQ(r.exitCode, 0);
  const auto json = nlohmann::json::parse(r.out);
  ASSERT_EQ(json.size(), 13u);
  EXPECT_EQ(json["1"], "/tmp/x/ORVANE/ORVANE Calibrix");
  EXPECT_EQ(json["7"], "/tmp/x/ORVANE/ORVANE Calibrix/Temp");
  EXPECT_EQ(json["11"], "/tmp/x/ORVANE/ORVANE Calibrix/LensDatabase");
  EXPECT_EQ(json["12"], "/tmp/h/Downloads/");
  EXPECT_EQ(json["5"], "");
  EXPECT_EQ(json["2"], json["8"]);
}

TEST(CliInspectIni, PrintsExactlyTheValue) {
  TempDir dir;
  const std::string file = dir.Write("p.ini",
                                     "\xEF\xBB\xBF[Lens Config]\r\nFwversion =  \" 1.02 \" \r\n"
                                     "Message=Line one#replace#Line two\r\nLong=" + std::string(900, 'q') + "\r\n");
  const struct {
    std::vector<std::string> args;
    std::string expected;
  } cases[] = {
      {{"lens config", "FWVERSION"}, " 1.02 \n"},
      {{"Lens Config", "Message"}, "Line one\nLine two\n"},
      {{"Lens Config", "Missing", "--default", "none"}, "none\n"},
      {{"Lens Config", "Long"}, std::string(767, 'q') + "\n"},
  };
  for (const auto& c : cases) {
    std::vector<std::string> args{"inspect", "ini", file};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const RunResult r = RunCli("", args);
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, c.expected);
  }
}

TEST(CliInspectText, FindsTheWindowTitleInTheShippedFile) {
  const RunResult r = RunCli("", {"inspect", "text", "10"});
  ASSERT_EQ(r.exitCode, 0);
  const auto json = nlohmann::json::parse(r.out);
  EXPECT_EQ(json["id"], 10);
  EXPECT_EQ(json["text"], "ORVANE Calibrix");
  EXPECT_TRUE(json["fontId"].is_number());
  EXPECT_TRUE(json["color"].is_number());
  EXPECT_THAT(r.out, ::testing::StartsWith("{\"id\":10,\"fontId\":"));
}

TEST(CliInspectText, ReportsMissingIdsAndFiles) {
  TempDir dir;
  const std::string strings = dir.Write("S.txt", std::string("\xFF\xFE") + test::Utf16Le(u"00042\t0003\t0000FF\tA\\nB\n"));
  RunResult r = RunCli("", {"inspect", "text", "42", "--strings", strings});
  ASSERT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.out, "{\"id\":42,\"fontId\":3,\"color\":255,\"text\":\"A\\nB\"}\n");
  r = RunCli("", {"inspect", "text", "43", "--strings", strings});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.out, "");
  r = RunCli("", {"inspect", "text", "42", "--strings", dir / "absent.txt"});
  EXPECT_NE(r.exitCode, 0);
  r = RunCli("", {"inspect", "text", "not-a-number"});
  EXPECT_NE(r.exitCode, 0);
}

TEST(CliVersion, ShowsFullAndShortForms) {
  const RunResult r = RunCli("", {"version"});
  ASSERT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.out, "ORVANE Calibrix 2.0.0.0 (2.0.0)\n");
  EXPECT_NE(RunCli("", {"no-such-command"}).exitCode, 0);
}

}  // namespace
}  // namespace cbx
