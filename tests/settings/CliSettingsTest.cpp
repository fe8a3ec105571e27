// calibrix-cli settings dump against the shipped virtual lenses.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "../cli/RunCli.h"

namespace cbx::test {
namespace {

const std::string kServer = CALIBRIX_SOURCE_DIR "/demo/server";

TEST(CliSettings, DumpDecodesTheRecordAndTheCurrentAfTable) {
  const auto r = RunCli("", {"settings", "dump", "--json", "--raw", "--device", "sim:zoom-lens-dock",
                             "--product-info", kServer + "/4A1/KV/0123/1.03.ini"});
  ASSERT_EQ(r.exitCode, 0) << r.out;
  const auto out = nlohmann::json::parse(r.out);
  EXPECT_EQ(out["cs"]["customModes"][1]["afSpeed"], "speed priority");
  EXPECT_EQ(out["cs"]["customModes"][1]["limiterLower"], 2);
  EXPECT_EQ(out["cs"]["manualOverrideLevel"], 8);
  EXPECT_EQ(out["af"]["set"], 0);
  EXPECT_EQ(out["af"]["rows"][0][0], 2);
  EXPECT_EQ(out["af"]["rows"][8][31], -3);
  EXPECT_EQ(out["raw"]["af"].size(), 2u);
  EXPECT_EQ(out["raw"]["af"][0].get<std::string>().substr(0, 11), "FF F5 FF FF");
}

TEST(CliSettings, DumpNeedsALensAndItsProductInformation) {
  const std::string info = kServer + "/4A1/KV/0123/1.03.ini";
  EXPECT_EQ(RunCli("", {"settings", "dump", "--device", "sim:empty-dock", "--product-info", info}).exitCode, 1);
  EXPECT_NE(RunCli("", {"settings", "dump", "--device", "sim:zoom-lens-dock"}).exitCode, 0);
}

}  // namespace
}  // namespace cbx::test
