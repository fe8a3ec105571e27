#include "update/LensUpdateInfo.h"

#include <gtest/gtest.h>

#include <cmath>

#include "update/ParseRules.h"

namespace cbx::update {
namespace {

TEST(ParseRules, NumbersFollowTheCLibraryConversions) {
  const struct {
    const char* text;
    int atoi;
    std::uint32_t hex;
    double real;
  } cases[] = {
      {"", 0, 0, 0.0},
      {"12", 12, 0x12, 12.0},
      {"  -7x", -7, 0xFFFFFFF9u, -7.0},
      {"+3", 3, 3, 3.0},
      {"0x1A", 0, 0x1A, 26.0},
      {"0XaA", 0, 0xAA, 170.0},
      {"abc", 0, 0xABC, 0.0},
      {"1.25e1z", 1, 1, 12.5},
      {"--1", 0, 0, 0.0},
      {"99999999999", 2147483647, 0x99999999u, 99999999999.0},
      {"1e999", 1, 0x1E999, HUGE_VAL},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(AtoiLike(c.text), c.atoi);
    EXPECT_EQ(HexLike(c.text), c.hex);
    EXPECT_EQ(StrtodLike(c.text), c.real);
  }
  EXPECT_EQ(HexLike("123456789"), 0x23456789u);  // only the low 32 bits are kept
  EXPECT_EQ(SwitchByte("1AA"), 0xAA);
  EXPECT_EQ(SwitchByte("0xAB"), 0);
}

TEST(ParseRules, ListsSkipEmptyTokensAndKeepBlanks) {
  const auto tokens = ListTokens(",a,, b ,");
  ASSERT_EQ(tokens.size(), 2u);
  EXPECT_EQ(tokens[0], "a");
  EXPECT_EQ(tokens[1], " b ");
  EXPECT_TRUE(ListTokens(",,,").empty());
}

TEST(BlockMaps, FillGroupsOfThreeAfterTheHeader) {
  BlockMap map;
  ParseBlockMap("3,0,10,1000,0,4,2000,4,6", map);
  const BlockMap expected{3, 0, 10, {0x1000, 0x2000}, {0, 4}, {4, 6}};
  EXPECT_EQ(map, expected);
  ParseBlockMap("3,0,10,1000,0,4,2000,4,6", map);
  EXPECT_EQ(map, expected) << "a second read must not accumulate";
  ParseBlockMap(",1,,ff00,,12,", map);
  EXPECT_EQ(map, (BlockMap{1, 0xFF00, 12, {}, {}, {}}));
}

TEST(OffsetLists, PairIndicesWithHexOffsets) {
  OffsetList list;
  ParseOffsetList("2,0,10,1,20", list);
  EXPECT_EQ(list, (OffsetList{2, {0, 1}, {0x10, 0x20}}));
  ParseOffsetList(",,2,,0,10", list);
  EXPECT_EQ(list, (OffsetList{2, {0}, {0x10}}));
}

TEST(LensRecord, ClearRestoresInitialValuesButKeepsTheTransferMethod) {
  CLensUpdateInfoData record;
  record.serialNumber = "123";
  record.productId = 7;
  record.mountCode = 0x21;
  record.formatMarker = 0xAA;
  record.MFreset = 9;
  record.FirmupTransCtrl = 2;
  record.DataWriteNumLimit = 50;
  record.focalLengths = {"24"};
  ParseBlockMap("1,0,1", record.fwMap);
  record.transferMethod = 3;
  record.Clear();
  CLensUpdateInfoData expected;
  expected.transferMethod = 3;
  EXPECT_EQ(record, expected);
  EXPECT_EQ(expected.productId, -1);
  EXPECT_EQ(expected.mountCode, -1);
  EXPECT_EQ(expected.MFreset, 4);
  EXPECT_EQ(expected.FirmupTransCtrl, -1);
  EXPECT_EQ(expected.DataWriteNumLimit, -1);
}

TEST(LensRecord, IsSameDeviceComparesSerialIdentityFormatAndMount) {
  CLensUpdateInfoData base;
  base.serialNumber = "1234567";
  base.productCodeText = "1A3";
  base.mountCode = 0x20;
  base.formatMarker = 0;

  const struct {
    const char* name;
    void (*changeOther)(CLensUpdateInfoData&);
    void (*changeThis)(CLensUpdateInfoData&);
    bool same;
  } cases[] = {
      {"identical", [](CLensUpdateInfoData&) {}, [](CLensUpdateInfoData&) {}, true},
      {"other serial", [](CLensUpdateInfoData& o) { o.serialNumber = "1234568"; },
       [](CLensUpdateInfoData&) {}, false},
      {"other product code", [](CLensUpdateInfoData& o) { o.productCodeText = "1A4"; },
       [](CLensUpdateInfoData&) {}, false},
      {"behind a teleconverter", [](CLensUpdateInfoData& o) { o.mountCode = 0x21; },
       [](CLensUpdateInfoData&) {}, false},
      {"other format", [](CLensUpdateInfoData& o) { o.formatMarker = 0xAA; },
       [](CLensUpdateInfoData&) {}, false},
      {"other version and paths",
       [](CLensUpdateInfoData& o) { o.rawVersion = "1.2.03.0007", o.lensImagePath = "/x"; },
       [](CLensUpdateInfoData&) {}, true},
      {"numeric identity decides when this record has one",
       [](CLensUpdateInfoData& o) { o.productId = 419, o.productCodeText = "other"; },
       [](CLensUpdateInfoData& r) { r.productId = 419; }, true},
      {"numeric identity differs", [](CLensUpdateInfoData& o) { o.productId = 420; },
       [](CLensUpdateInfoData& r) { r.productId = 419; }, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    CLensUpdateInfoData self = base, other = base;
    c.changeThis(self);
    c.changeOther(other);
    EXPECT_EQ(self.IsSameDevice(other), c.same);
  }
}

TEST(LensRecord, DisplayNameShowsTheTeleconverter) {
  CLensUpdateInfoData record;
  record.productName = "Lens A";
  const struct {
    int mountCode;
    const char* name;
  } cases[] = {{0x21, "Lens A (1.4x)"}, {0x51, "Lens A (1.4x)"}, {0x12, "Lens A (2x)"},
               {0x42, "Lens A (2x)"},   {0x20, "Lens A"},        {0x61, "Lens A"},
               {0x92, "Lens A"},        {-1, "Lens A"}};
  for (const auto& c : cases) {
    record.mountCode = c.mountCode;
    EXPECT_EQ(MakeDisplayName(record), c.name) << c.mountCode;
  }
}

TEST(LensRecord, VersionTextsFollowTheFormat) {
  const struct {
    std::uint8_t format;
    int mountCode;
    const char* rawVersion;
    const char* fileDisplayVer;
    const char* versionText;
    const char* mask;
    const char* display;
  } cases[] = {
      {0, 0x20, "1.2.03.0005", "1.03", "1.2.03.0005", "F.F.FF.FFFF", "1.03"},
      {0, 0x20, "F.F.FF.FFFF", "f.ff", "F.F.FF.FFFF", "F.F.FF.FFFF", ""},
      {0xAA, 0x90, "1.2", "x", "1.20", "F.FF.FFFF.F", "1.2"},
      {0xAA, 0x91, "1.25.0003.1", "x", "1.20", "F.FF.FFFF.F", "1.25"},
      {0xAA, 0x10, "1.02.0003.1", "x", "1.02", "F.FF.FFFF.F", "1.02"},
      {0xAA, 0x10, "F.FF.FFFF.F", "1.00", "F.FF", "F.FF.FFFF.F", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.rawVersion);
    CLensUpdateInfoData record;
    record.formatMarker = c.format;
    record.mountCode = c.mountCode;
    record.rawVersion = c.rawVersion;
    record.DisplayVer = c.fileDisplayVer;
    EXPECT_EQ(record.IsExtendedFormat(), c.format == 0xAA);
    EXPECT_EQ(GetVersionText(record), c.versionText);
    EXPECT_EQ(GetVersionMask(record), c.mask);
    EXPECT_EQ(GetDisplayVersion(record), c.display);
  }
  CLensUpdateInfoData unreadable;
  unreadable.formatMarker = 0xAA;
  unreadable.rawVersion = "F.FF.FFFF.F";
  GetDisplayVersion(unreadable);
  EXPECT_EQ(unreadable.DisplayVer, "f.ff");
}

}  // namespace
}  // namespace cbx::update
