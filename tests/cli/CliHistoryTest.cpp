// calibrix-cli inspect history, end to end, on a lens history file built byte by byte.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>

#include "RunCli.h"
#include "support/TempDir.h"

namespace cbx {
namespace {

using test::RunCli;
using test::RunResult;
using test::TempDir;

void Put(std::string& record, std::size_t offset, std::u16string_view text) {
  record.replace(offset, text.size() * 2, test::Utf16Le(text));
}

void PutU32(std::string& record, std::size_t offset, std::uint32_t value) {
  for (std::size_t i = 0; i < 4; ++i) record[offset + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

// A mount converter record (category 1: only its product picture follows), stored by an
// earlier program version with the numeric identity 291.
std::string ConverterEntry(std::u16string_view serial) {
  std::string record(30724, '\0');
  PutU32(record, 0, 30724);
  Put(record, 3124, u"Converter EO");
  Put(record, 3644, u"YES");
  Put(record, 9884, u"3,0,10,1000,0,4,2000,4,6");
  Put(record, 19764, u"C:\\Users\\A\\AppData\\Local\\ORVANE\\ORVANE Calibrix\\LensDatabase\\291\\Image\\lens.png");
  PutU32(record, 21324, 4);
  Put(record, 21856, serial);
  PutU32(record, 22376, 291);
  PutU32(record, 22380, 0x20);
  Put(record, 27070, u"AA");
  PutU32(record, 28632, 1);
  return record + "PNG!";
}

TEST(CliHistory, InspectPrintsEveryStoredRecordAndWritesNothing) {
  TempDir dir;
  const std::string entries = ConverterEntry(u"100") + std::string(4, '\0') + ConverterEntry(u"200");
  const std::string file = dir.Write("LensHistory.dat", entries);
  const std::string env = "env XDG_DATA_HOME=" + (dir / "share");

  RunResult r = RunCli(env, {"inspect", "history", file, "--json"});
  ASSERT_EQ(r.exitCode, 0);
  auto json = nlohmann::json::parse(r.out);
  ASSERT_EQ(json["records"].size(), 2u);
  EXPECT_FALSE(json.contains("error"));
  const auto& first = json["records"][0];
  EXPECT_EQ(first["serialNumber"], "100");
  EXPECT_EQ(first["productName"], "Converter EO");
  EXPECT_EQ(first["MustFwUp"], 1);
  EXPECT_EQ(first["CustomSW"], 0);
  EXPECT_EQ(first["productCodeText"], "291");
  EXPECT_EQ(first["productId"], -1);
  EXPECT_EQ(first["MFfunc"], 0xAA);
  EXPECT_EQ(first["lensImageSize"], 4);
  EXPECT_EQ(first["lensImagePath"], "C:/Users/A/AppData/Local/ORVANE/ORVANE Calibrix/LensDatabase/291/Image/lens.png");
  EXPECT_EQ(first["fwMap"], nlohmann::json::parse(
                                R"({"count":3,"base":0,"total":10,"address":[4096,8192],"start":[0,4],"length":[4,6]})"));
  EXPECT_EQ(first["af0List"], nlohmann::json::parse(R"({"count":0,"index":[],"offset":[]})"));
  EXPECT_EQ(json["records"][1]["serialNumber"], "200");
  EXPECT_FALSE(std::filesystem::exists(dir / "share")) << "no picture is written back";

  // A file cut inside the last picture still shows that picture's record, as a load keeps it,
  // and says where it stopped.
  dir.Write("LensHistory.dat", entries.substr(0, entries.size() - 2));
  r = RunCli(env, {"inspect", "history", file, "--json"});
  EXPECT_EQ(r.exitCode, 1);
  json = nlohmann::json::parse(r.out);
  EXPECT_EQ(json["records"].size(), 2u);
  EXPECT_EQ(json["error"], "entry 2: picture bytes cut short");

  EXPECT_EQ(RunCli(env, {"inspect", "history", dir / "missing.dat"}).exitCode, 2);
}

}  // namespace
}  // namespace cbx
