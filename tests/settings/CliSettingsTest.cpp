// calibrix-cli settings dump and set against the shipped virtual lenses.
#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "../cli/RunCli.h"
#include "support/DockSim.h"

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

// ---- settings set: what reaches the lens, byte for byte ----

const std::string kFixtures = CALIBRIX_SOURCE_DIR "/tests/settings/fixtures";
const std::string kZoomInfo = kServer + "/4A1/KV/0123/1.03.ini";
const std::string kMlInfo = kServer + "/B15/TL/0290/1.00.ini";
const std::string kUnusualBytes = kFixtures + "/zoom-lens-unusual-bytes.json";

using Bytes = std::vector<std::uint8_t>;

struct Patch {
  std::size_t at;
  std::size_t length;
  std::uint8_t byte;
};
using Patches = std::vector<Patch>;

Patches operator+(Patches a, const Patches& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

// The zoom lens keeps its CS record at 0x000 and 0xE00 of its AF area.
Patches Cs(std::size_t offset, std::uint8_t byte) { return {{offset, 1, byte}, {0xE00 + offset, 1, byte}}; }

// A zone of its current AF table (0x200) and the same zone of the half-scale copy (0x800).
Patches Zone(int firstRow, int rows, int firstColumn, int columns, std::uint8_t table, std::uint8_t halfScale) {
  Patches out;
  for (int r = firstRow; r < firstRow + rows; ++r) {
    const auto at = static_cast<std::size_t>(r * 32 + firstColumn);
    out.push_back({0x200 + at, static_cast<std::size_t>(columns), table});
    out.push_back({0x800 + at, static_cast<std::size_t>(columns), halfScale});
  }
  return out;
}

// Offset -> byte of every byte that differs.
std::map<std::size_t, int> Changes(const Bytes& before, const Bytes& after) {
  std::map<std::size_t, int> changes;
  for (std::size_t i = 0; i < after.size(); ++i) {
    if (i >= before.size() || before[i] != after[i]) changes[i] = after[i];
  }
  return changes;
}

class CliSettingsSet : public ::testing::Test {
 protected:
  void StartSimulator(const std::string& profile) {
    sim_.reset();
    sim_ = std::make_unique<test::DockSim>(CALIBRIX_DOCK_SIM, profile);
    ASSERT_FALSE(sim_->Device().empty()) << profile;
    device_ = sim_->Device();
  }
  // Empty for an area the lens does not have.
  Bytes Memory(const std::string& area) { return sim_->Memory(area); }
  test::RunResult Settings(const std::string& command, const std::string& info, std::vector<std::string> args) {
    args.insert(args.begin(), {"settings", command, "--device", device_, "--product-info", info});
    return test::RunCli("", args);
  }

  std::unique_ptr<test::DockSim> sim_;
  std::string device_;
};

struct SetCase {
  const char* what;
  std::string profile;
  std::string info;
  std::vector<std::string> args;
  std::string area;  // the area that holds the record: af (standard lens) or cs (ml mount)
  Patches written;   // applied to the area as it was; every other byte stays
  const char* shown;  // a JSON pointer into `settings dump --json`
  nlohmann::json value;
};

TEST_F(CliSettingsSet, WritesExactlyTheEditedBytesAndDumpShowsThem) {
  const SetCase cases[] = {
      {"AF speed of mode 2", "zoom-lens-dock", kZoomInfo, {"--mode", "2", "--af-speed", "quality"}, "af",
       Cs(4, 0xFD), "/cs/customModes/1/afSpeed", "quality priority"},
      {"level 0 is level 1", "zoom-lens-dock", kZoomInfo, {"--manual-override-level", "0"}, "af", Cs(9, 0xFE),
       "/cs/manualOverrideLevel", 1},
      {"limiter clamped to n = 10, upper stays", "zoom-lens-dock", kZoomInfo, {"--mode", "1", "--limiter", "12,3"},
       "af", Cs(2, 0xFC), "/cs/customModes/0/limiterLower", 3},
      {"AF function and override off", "zoom-lens-dock", kZoomInfo,
       {"--af-function", "af-on", "--manual-override", "off"}, "af", Cs(8, 0xFF) + Cs(12, 0x55),
       "/cs/afFunctionButton", "AF-ON"},
      {"leftmost cell of grid 2: rows 8..11, last zone (bytes 22..31)", "zoom-lens-dock", kZoomInfo,
       {"--af-cell", "2:0=+3"}, "af", Zone(8, 4, 22, 10, 0xFC, 0xFE), "/af/rows/8/31", 3},
      {"cell value clamped to -20", "zoom-lens-dock", kZoomInfo, {"--af-cell", "0:3=-25"}, "af",
       Zone(0, 4, 0, 6, 0x13, 0x75), "/af/rows/0/0", -20},
      {"CS and AF in one run", "zoom-lens-dock", kZoomInfo, {"--af-cell", "1:1=5", "--af-function", "af-on"}, "af",
       Cs(12, 0x55) + Zone(4, 4, 14, 8, 0xFA, 0xFD), "/af/rows/7/14", 5},
      {"reset of all settings", "zoom-lens-dock", kZoomInfo, {"--reset"}, "af",
       Cs(4, 0xFF) + Cs(5, 0xF5) + Cs(6, 0xFF) + Cs(7, 0xFF) + Patches{{0x200, 0x200, 0xFF}, {0x800, 0x200, 0xFF}},
       "/cs/customModes/1/limiterUpper", 10},
      {"unknown switch byte: on with the erased level stored as level 1", kUnusualBytes, kZoomInfo,
       {"--manual-override", "on"}, "af", Cs(8, 0x55) + Cs(9, 0xFE), "/cs/manualOverride", true},
      {"invalid AF speed byte replaced by the edit", kUnusualBytes, kZoomInfo, {"--mode", "1", "--af-speed", "speed"},
       "af", Cs(0, 0xFE), "/cs/customModes/0/afSpeed", "speed priority"},
      {"ml: MF sensitivity, write counter 3 -> 4", "ml-mount-lens", kMlInfo, {"--mf-sensitivity", "fast"}, "cs",
       {{0, 1, 0xFB}, {2, 1, 0xFD}}, "/cs/mfSensitivity", "fast"},
      {"ml: position clamped to n - 1 = 7", "ml-mount-lens", kMlInfo,
       {"--mode", "2", "--limiter", "9", "--os-mode", "standard"}, "cs", {{0, 1, 0xFB}, {6, 1, 0xF8}, {7, 1, 0xFF}},
       "/cs/customModes/1/limiterPosition", 7},
      {"ml: reset of screen 12", "ml-mount-lens", kMlInfo, {"--reset"}, "cs", {{0, 1, 0xFB}, {6, 1, 0xFF}},
       "/cs/customModes/1/limiterPosition", 0},
      {"ml: a value the lens holds spends no write", "ml-mount-lens", kMlInfo, {"--mf-sensitivity", "normal"}, "cs",
       {}, "/cs/writeCount", 3},
  };
  for (const SetCase& c : cases) {
    SCOPED_TRACE(c.what);
    StartSimulator(c.profile);
    const Bytes before = Memory(c.area);
    auto args = c.args;
    args.push_back("--json");
    const auto r = Settings("set", c.info, args);
    ASSERT_EQ(r.exitCode, 0) << r.out;
    EXPECT_EQ(nlohmann::json::parse(r.out)["written"].empty(), c.written.empty()) << r.out;

    Bytes expected = before;
    for (const Patch& p : c.written) std::fill_n(expected.begin() + static_cast<std::ptrdiff_t>(p.at), p.length, p.byte);
    EXPECT_EQ(Changes(before, Memory(c.area)), Changes(before, expected));

    const auto dump = Settings("dump", c.info, {"--json"});
    ASSERT_EQ(dump.exitCode, 0);
    EXPECT_EQ(nlohmann::json::parse(dump.out).at(nlohmann::json::json_pointer(c.shown)), c.value);
  }
}

struct RefusalCase {
  const char* what;
  std::string profile;
  std::string info;
  std::vector<std::string> args;
};

TEST_F(CliSettingsSet, RefusalsWriteNothing) {
  const std::string flagsOff = kFixtures + "/4A1-no-af-speed-no-override.ini";
  const std::string worn = kFixtures + "/ml-mount-lens-at-write-limit.json";
  const RefusalCase cases[] = {
      {"ml lens at its write-count limit", worn, kMlInfo, {"--mf-sensitivity", "fast"}},
      {"ml lens at its write-count limit, reset", worn, kMlInfo, {"--reset"}},
      {"AF speed switched off", "zoom-lens-dock", flagsOff, {"--mode", "1", "--af-speed", "quality"}},
      {"manual override switched off", "zoom-lens-dock", flagsOff, {"--manual-override", "off"}},
      {"MF sensitivity on a standard lens", "zoom-lens-dock", kZoomInfo, {"--mf-sensitivity", "slow"}},
      {"AF fine adjustment on an ml lens", "ml-mount-lens", kMlInfo, {"--af-cell", "0:0=1"}},
      {"AF speed on an ml lens", "ml-mount-lens", kMlInfo, {"--mode", "1", "--af-speed", "speed"}},
      {"grid beyond the lens's four", "zoom-lens-dock", kZoomInfo, {"--af-cell", "4:0=1"}},
      {"one limiter index on a standard lens", "zoom-lens-dock", kZoomInfo, {"--mode", "1", "--limiter", "3"}},
      {"level while the override is off", kUnusualBytes, kZoomInfo, {"--manual-override-level", "5"}},
      {"a mode value without a mode", "zoom-lens-dock", kZoomInfo, {"--os-mode", "2"}},
      {"nothing to set", "zoom-lens-dock", kZoomInfo, {}},
  };
  for (const RefusalCase& c : cases) {
    SCOPED_TRACE(c.what);
    StartSimulator(c.profile);
    const Bytes af = Memory("af"), cs = Memory("cs");
    EXPECT_EQ(Settings("set", c.info, c.args).exitCode, 1);
    EXPECT_EQ(Memory("af"), af);
    EXPECT_EQ(Memory("cs"), cs);
  }
}

}  // namespace
}  // namespace cbx::test
