// calibrix-cli inspect product-info and inspect compare, end to end.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "RunCli.h"
#include "support/IniFixture.h"
#include "support/TempDir.h"

namespace cbx {
namespace {

using test::IniChange;
using test::IniText;
using test::kCompleteLens;
using test::RunCli;
using test::RunResult;
using test::TempDir;
using test::WithChanges;

nlohmann::json ReadLens(const std::vector<IniChange>& changes, const std::vector<std::string>& options) {
  TempDir dir;
  const std::string file = dir.Write("1.02.ini", IniText("Lens Config", WithChanges(kCompleteLens, changes)));
  std::vector<std::string> args{"inspect", "product-info", file, "--reader", "lens", "--json"};
  args.insert(args.end(), options.begin(), options.end());
  const RunResult r = RunCli("", args);
  EXPECT_EQ(r.exitCode, 0);
  return nlohmann::json::parse(r.out);
}

TEST(CliProductInfo, LensValuesAndValidation) {
  auto json = ReadLens({{"CustomSW", "yes"}, {"MFreset", "0"}}, {"--mount-code", "0x20"});
  EXPECT_EQ(json["CustomSW"], 0);
  EXPECT_EQ(json["FocusCtrl"], 1);
  EXPECT_EQ(json["MFreset"], 1);
  EXPECT_EQ(json["valid"], 1);
  EXPECT_EQ(json["fwMap"], nlohmann::json::parse(
                               R"({"count":3,"base":0,"total":10,"address":[4096,8192],"start":[0,4],"length":[4,6]})"));
  EXPECT_EQ(json["af1List"], nlohmann::json::parse(R"({"count":2,"index":[0],"offset":[16]})"));
  EXPECT_EQ(json["focalLengths"], nlohmann::json::parse(R"(["24","70"])"));

  json = ReadLens({{"MFreset", "99"}, {"DataWriteNumLimit", "70000"}}, {"--mount-code", "0x20"});
  EXPECT_EQ(json["MFreset"], 15);
  EXPECT_EQ(json["DataWriteNumLimit"], 4464);
  EXPECT_EQ(json["valid"], 1);

  json = ReadLens({{"DataWriteNumLimit", "70000"}}, {"--mount-code", "0x90"});
  EXPECT_EQ(json["valid"], 0) << "a lens on its own mount dock needs a 16-bit write limit";
}

TEST(CliProductInfo, NamesAndVersionTexts) {
  const struct {
    std::vector<std::string> options;
    std::string productName, versionText, displayVersion;
  } cases[] = {
      {{"--mount-code", "0x21", "--raw-version", "1.2.03.0005"}, "Lens A (1.4x)", "1.2.03.0005", "1.03"},
      {{"--mount-code", "0x90", "--format-marker", "0xAA", "--raw-version", "1.2"}, "Lens A", "1.20", "1.2"},
      {{"--mount-code", "16", "--format-marker", "170", "--raw-version", "1.02.0003.1"}, "Lens A", "1.02", "1.02"},
  };
  for (const auto& c : cases) {
    const auto json = ReadLens({}, c.options);
    EXPECT_EQ(json["productName"], c.productName);
    EXPECT_EQ(json["versionText"], c.versionText);
    EXPECT_EQ(json["displayVersion"], c.displayVersion);
  }

  TempDir dir;
  const std::string adapter = dir.Write(
      "a.ini", "[Dock Config]\nAdapterName=Converter B\nFW=1,0,4,,100,0,4\n");
  const RunResult r = RunCli("", {"inspect", "product-info", adapter, "--reader", "adapter", "--mount-code",
                                  "0x21", "--folder-url", "http://s/890/SE/0000", "--json"});
  ASSERT_EQ(r.exitCode, 0);
  const auto json = nlohmann::json::parse(r.out);
  EXPECT_EQ(json["productName"], "Converter B");
  EXPECT_EQ(json["fwMap"]["address"], nlohmann::json::parse("[256]"));
  EXPECT_EQ(json["valid"], 0);
  EXPECT_EQ(json["docFolderUrl"], "http://s/890/SE/0000/");
}

TEST(CliProductInfo, OtherReadersAndBadInput) {
  TempDir dir;
  const std::string dock = dir.Write("d.ini",
                                     "[Dock Config]\nFWFileName=D.bin\nFwversion=1.0.02.0004\nUpDate=x\n"
                                     "MountName=Dock EO\nFW=1,0,8\nFwpath=FW\nFwupOk=YES\n"
                                     "FirmupMinCBXVer=1.2.0\n");
  RunResult r = RunCli("", {"inspect", "product-info", dock, "--reader", "dockf", "--format-marker", "0xAA",
                            "--raw-version", "1.03.0004.0", "--program-version", "1.3.9", "--folder-url", "u",
                            "--json"});
  ASSERT_EQ(r.exitCode, 0);
  auto json = nlohmann::json::parse(r.out);
  EXPECT_EQ(json["dockDisplayVer"], "1.03");
  EXPECT_EQ(json["dockFirmupMinCBXVer"], "1.2.0");
  EXPECT_EQ(json["fwFolderUrl"], "u/FW");
  EXPECT_EQ(json["valid"], 1);

  r = RunCli("", {"inspect", "product-info", dir.Write("p.ini", "[CBX Config]\nFwversion=2.1.0\n"), "--reader",
                  "program", "--json"});
  EXPECT_EQ(r.out, "{\"version\":\"2.1.0\",\"valid\":1}\n");

  EXPECT_NE(RunCli("", {"inspect", "product-info", dock, "--reader", "camera"}).exitCode, 0);
  EXPECT_NE(RunCli("", {"inspect", "product-info", dock, "--reader", "lens", "--mount-code", "0xZZ"}).exitCode, 0);
  EXPECT_NE(RunCli("", {"inspect", "product-info", dir / "absent.ini", "--reader", "lens"}).exitCode, 0);
}

TEST(CliCompare, ClassicAndExtendedExamples) {
  const struct {
    std::vector<std::string> args;
    std::string out;
  } cases[] = {
      {{"1.2.03.0005", "1.2.03.0007", "--type", "0"}, R"({"newer":true,"comparable":true})"},
      {{"1.3.00.0000", "1.2.05.0000", "--type", "0"}, R"({"newer":false,"comparable":false})"},
      {{"1.10", "1.19", "--type", "0", "--extended", "--mount-code", "0x90"}, R"({"newer":false,"comparable":true})"},
      {{"1.10", "1.19", "--type", "0", "--extended", "--mount-code", "0x20"}, R"({"newer":true,"comparable":true})"},
      {{"1.10.0000.1", "1.19.0000.2", "--type", "0", "--extended"}, R"({"newer":false,"comparable":false})"},
      {{"F.F.FF.FFFF", "1.2.03.0007", "--type", "7", "--lens-unreadable"}, R"({"newer":true,"comparable":true})"},
      {{"1.0.02.0004", "1.0.02.0005", "--type", "1", "--dock-unreadable"}, R"({"newer":true,"comparable":true})"},
  };
  for (const auto& c : cases) {
    std::vector<std::string> args{"inspect", "compare"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const RunResult r = RunCli("", args);
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, c.out + "\n") << c.args[0] << " " << c.args[1];
  }
  EXPECT_NE(RunCli("", {"inspect", "compare", "1.0", "1.1"}).exitCode, 0) << "--type is required";
}

}  // namespace
}  // namespace cbx
