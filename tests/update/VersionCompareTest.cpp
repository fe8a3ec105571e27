#include "update/VersionCompare.h"

#include <gtest/gtest.h>

namespace cbx::update {
namespace {

TEST(IsNewerFirmware, ClassicAndExtendedVersions) {
  const VersionFlags none{};
  const struct {
    const char* device;
    const char* server;
    bool extended;
    int type;
    int mountCode;
    VersionFlags flags;
    bool newer, comparable;
  } cases[] = {
      {"1.2.03.0005", "1.2.03.0007", false, 0, 0x20, none, true, true},
      {"1.2.03.0007", "1.2.03.0007", false, 0, 0x20, none, false, true},
      {"1.2.04.0000", "1.2.03.0007", false, 7, 0x20, none, false, true},
      {"1.2.02.0009", "1.2.03.0001", false, 5, 0x20, none, true, true},
      {"1.3.00.0000", "1.2.05.0000", false, 0, 0x20, none, false, false},
      {"1.2.03.0005", "1.2.04.0007", false, 1, 0x20, none, false, false},
      {"1.2.03.0005", "1.2.03.0007", false, 4, 0x20, none, true, true},
      {"1.2.03.0005", "1.2.03.0007", false, 3, 0x20, none, false, false},
      {"1.2", "1.2.0.1", false, 0, 0x20, none, true, true},
      {"F.F.FF.FFFF", "1.2.03.0007", false, 0, 0x20, {true, false}, true, true},
      {"1.2.03.0005", "1.2.03.0001", false, 1, 0x20, {true, false}, false, true},
      {"1.2.03.0005", "1.2.03.0001", false, 1, 0x20, {false, true}, true, true},
      {"1.2.03.0005", "1.2.03.0001", false, 3, 0x20, {true, true}, false, false},

      {"1.10", "1.19", true, 0, 0x90, none, false, true},
      {"1.10", "1.19", true, 7, 0x92, none, false, true},
      {"1.10", "1.20", true, 0, 0x90, none, true, true},
      {"1.10", "1.19", true, 0, 0x10, none, true, true},
      {"1.10", "1.19", true, 3, 0x90, none, true, true},
      {"1.05", "1.09", true, 0, 0x90, none, false, true},
      {"1.02.0003.1", "1.02.0004.2", true, 0, 0x10, none, false, false},
      {"1.02.0003.A", "1.03.0001.a", true, 0, 0x10, none, true, true},
      {"2.00.0000.1", "1.99.0000.1", true, 0, 0x10, none, false, true},
      {"1.99.0000.1", "2.00.0000.1", true, 1, 0x10, none, true, true},
      {"1.02.0003.1", "1.02.0004.2", true, 5, 0x10, {true, false}, true, true},
      {"1.02.0003.1", "1.02.0004.2", true, 4, 0x10, {true, false}, false, false},
      {"1.02.0003.1", "1.02.0004.2", true, 4, 0x10, {false, true}, true, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.device) + " vs " + c.server + " type " + std::to_string(c.type));
    const CompareResult r = IsNewerFirmware(c.device, c.server, c.extended, c.type, c.mountCode, c.flags);
    EXPECT_EQ(r.newer, c.newer);
    EXPECT_EQ(r.comparable, c.comparable);
  }
}

TEST(IsDockVersionSufficient, OrdersFieldsAndAcceptsAnEmptyRequirement) {
  const struct {
    const char* dock;
    const char* required;
    bool extended;
    bool sufficient;
  } cases[] = {
      {"1.0.02.0004", "1.0.02.0004", false, true},
      {"1.0.02.0004", "1.0.02.0005", false, false},
      {"1.1.00.0000", "1.0.99.0099", false, true},
      {"1.0.02.0004", "", false, true},
      {"1.05.0000.0", "1.04.FFFF.F", true, true},
      {"1.05.0000.0", "1.06.0000.0", true, false},
      {"1.05.0000.0", "1.05.FFFF.F", true, true},
      {"1.05.0000.0", "", true, true},
  };
  for (const auto& c : cases)
    EXPECT_EQ(IsDockVersionSufficient(c.dock, c.required, c.extended), c.sufficient)
        << c.dock << " vs " << c.required;
}

TEST(ProgramVersions, CompareThreeDecimalFields) {
  EXPECT_TRUE(IsProgramVersionSufficient("2.0.0", "1.4.0"));
  EXPECT_TRUE(IsProgramVersionSufficient("1.4.0", "1.4.0"));
  EXPECT_FALSE(IsProgramVersionSufficient("1.3.9", "1.4.0"));
  EXPECT_FALSE(IsProgramVersionSufficient("1.10.0", "2.0.0"));
  EXPECT_TRUE(IsProgramVersionSufficient("1.10.0", "1.9.9"));
  EXPECT_TRUE(IsProgramVersionSufficient("0.0.0", ""));
  EXPECT_TRUE(IsProgramOlder("2.0.0", "2.0.1"));
  EXPECT_FALSE(IsProgramOlder("2.0.0", "2.0.0"));
  EXPECT_FALSE(IsProgramOlder("2.0.0", "1.9.9.9"));
}

}  // namespace
}  // namespace cbx::update
