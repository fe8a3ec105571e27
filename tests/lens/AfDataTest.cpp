#include "lens/AfData.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "lens/LensFixtures.h"
#include "lens/LensSettingsModel.h"

namespace cbx::lens {
namespace {

using test::Erased;
using test::ModelWith;
using test::Places;
using test::StandardLens;

AfTable Filled(std::uint8_t value) { return LensSettingsModel::FilledTable(value); }

bool HoldsTable(const Block& block, std::size_t offset, const AfTable& table) {
  return std::equal(table.begin(), table.end(), block.begin() + static_cast<std::ptrdiff_t>(offset));
}

TEST(AfCodec, StoredBytesAreInvertedCorrections) {
  const struct { std::uint8_t stored; int value; } cases[] = {
      {0xEB, 20}, {0xEC, 19}, {0xFF, 0}, {0x00, -1}, {0xEA, -235}, {0xFE, 1}, {0x13, -20}};
  for (const auto& c : cases) EXPECT_EQ(DecodeAfValue(c.stored), c.value) << std::hex << int{c.stored};
  for (int v = kAfValueMin; v <= kAfValueMax; ++v) EXPECT_EQ(DecodeAfValue(EncodeAfValue(v)), v);
}

TEST(AfCodec, HalfScaleIsSignMagnitudeOfHalfTheValue) {
  const struct { int value; std::uint8_t stored; } cases[] = {
      {0, 0xFF}, {1, 0xFF}, {-1, 0x7F}, {5, 0xFD}, {-5, 0x7D}, {20, 0xF5}, {-20, 0x75}};
  for (const auto& c : cases) EXPECT_EQ(HalfScaleByte(EncodeAfValue(c.value)), c.stored) << c.value;
}

TEST(AfSets, ChosenByMountCode) {
  const struct { int mountCode; std::optional<int> set; } cases[] = {
      {0x10, 0}, {0x50, 0}, {0x60, 0}, {0x70, 0}, {0x11, 1}, {0x51, 1}, {0x12, 2}, {0x52, 2},
      {0x13, std::nullopt}, {0x61, std::nullopt}, {0x72, std::nullopt}, {0x80, std::nullopt},
      {0x90, std::nullopt}, {0x00, std::nullopt}, {-1, std::nullopt}};
  for (const auto& c : cases) EXPECT_EQ(AfSetForMountCode(c.mountCode), c.set) << std::hex << c.mountCode;
}

TEST(AfTables, ReadFromTheCurrentSetsFirstBlockZeroPlace) {
  auto lens = StandardLens(0x21);  // set 1, places at 512
  lens.af1List = Places(1, {1, 0, 0}, {0, 512, 1024});
  auto model = ModelWith(lens);
  std::fill_n(model.AfImage[0].begin() + 512, kAfTableSize, 0xFC);
  AfTable table{};
  ASSERT_TRUE(model.ReadAfTable(table));
  EXPECT_EQ(table, Filled(0xFC));
  ASSERT_TRUE(model.ReadAfTableOfSet(0, table));
  EXPECT_EQ(table, Filled(0xFF));
}

TEST(AfTables, ReadFailures) {
  auto empty = ModelWith(StandardLens());
  empty.AfImage.clear();
  AfTable table{};
  EXPECT_FALSE(empty.ReadAfTable(table));

  auto outside = StandardLens();
  outside.af0List = Places(1, {0}, {3800});
  EXPECT_FALSE(ModelWith(outside).ReadAfTable(table));

  EXPECT_THROW(ModelWith(StandardLens(0x13)).ReadAfTable(table), LensModelArgumentError);
  auto noBlockZero = StandardLens();
  noBlockZero.af2List = Places(1, {1}, {0});
  EXPECT_THROW(ModelWith(noBlockZero).ReadAfTableOfSet(2, table), LensModelArgumentError);
}

TEST(AfTables, ComposeWritesTablesAndHalfScaleCopies) {
  auto model = ModelWith(StandardLens(0x22));  // set 2: table at block 0/1024, half scale at block 1/1024
  model.afEditBuffer = Filled(EncodeAfValue(-5));
  const AfTable half = Filled(0x7D);

  Block b0 = Erased(4096), b1 = Erased(4096);
  ASSERT_TRUE(model.ComposeAfTables(0, b0, AfScope::kCurrent));
  ASSERT_TRUE(model.ComposeAfTables(1, b1, AfScope::kCurrent));
  EXPECT_TRUE(HoldsTable(b0, 1024, model.afEditBuffer));
  EXPECT_TRUE(HoldsTable(b1, 1024, half));
  EXPECT_EQ(std::count(b0.begin(), b0.end(), 0xFF), 4096 - 512);
  EXPECT_EQ(std::count(b1.begin(), b1.end(), 0xFF), 4096 - 512);

  ASSERT_TRUE(model.ComposeAfTables(0, b0, AfScope::kAll));
  ASSERT_TRUE(model.ComposeAfTables(1, b1, AfScope::kAll));
  for (std::size_t offset : {0u, 512u, 1024u}) {
    EXPECT_TRUE(HoldsTable(b0, offset, model.afEditBuffer));
    EXPECT_TRUE(HoldsTable(b1, offset, half));
  }

  // The reset value: every table and half-scale place becomes erased.
  model.afEditBuffer = Filled(0xFF);
  Block z0(4096, 0), z1(4096, 0);
  ASSERT_TRUE(model.ComposeAfTables(0, z0, AfScope::kAll));
  ASSERT_TRUE(model.ComposeAfTables(1, z1, AfScope::kAll));
  EXPECT_EQ(std::count(z0.begin(), z0.end(), 0xFF), 3 * 512);
  EXPECT_EQ(std::count(z1.begin(), z1.end(), 0xFF), 3 * 512);
}

TEST(AfTables, ComposeSavedWritesEachSetFromItsOwnBuffer) {
  auto model = ModelWith(StandardLens());
  const int values[] = {3, -4, 20};
  for (int s = 0; s < kAfSetCount; ++s) model.afSetBuffers[static_cast<std::size_t>(s)] = Filled(EncodeAfValue(values[s]));
  Block b0 = Erased(4096), b1 = Erased(4096);
  ASSERT_TRUE(model.ComposeSavedAfTables(0, b0));
  ASSERT_TRUE(model.ComposeSavedAfTables(1, b1));
  for (int s = 0; s < kAfSetCount; ++s) {
    const auto offset = static_cast<std::size_t>(512 * s);
    const auto& table = model.afSetBuffers[static_cast<std::size_t>(s)];
    EXPECT_TRUE(HoldsTable(b0, offset, table)) << s;
    EXPECT_TRUE(HoldsTable(b1, offset, HalfScaleTable(table))) << s;
  }
}

TEST(AfTables, APlaceOutsideTheBlockRefusesTheWholeBlock) {
  auto lens = StandardLens();
  lens.af1List = Places(1, {0}, {3800});
  auto model = ModelWith(lens);
  model.afEditBuffer = Filled(0x00);
  for (auto compose : {+[](const LensSettingsModel& m, Block& b) { return m.ComposeAfTables(0, b, AfScope::kAll); },
                       +[](const LensSettingsModel& m, Block& b) { return m.ComposeSavedAfTables(0, b); }}) {
    Block block = Erased(4096);
    EXPECT_FALSE(compose(model, block));
    EXPECT_EQ(block, Erased(4096));
  }
  Block tiny = Erased(32);
  EXPECT_FALSE(ModelWith(StandardLens()).ComposeAfTables(0, tiny, AfScope::kCurrent));
}

TEST(AfTables, ChangeTestComparesWithTheLens) {
  auto model = ModelWith(StandardLens());
  EXPECT_FALSE(model.IsChangeAFData());
  model.afEditBuffer[511] = EncodeAfValue(1);
  EXPECT_TRUE(model.IsChangeAFData());
}

class AfGrids : public ::testing::Test {
 protected:
  LensSettingsModel Zoom(std::vector<int> zoomRatios) {
    auto lens = StandardLens();
    lens.ZoomLens = 1;
    lens.zoomRatios = std::move(zoomRatios);
    lens.focalLengths = {"24", "35", "50", "70"};
    return ModelWith(lens);
  }
  std::array<AfGridState, kAfGridCount> grids{};
};

TEST_F(AfGrids, LeftmostCellOfAZoomGridFillsTheLastZoneOfItsBand) {
  auto model = Zoom({4, 4, 4, 4});
  model.UpdateAFGridValue(grids);
  EXPECT_EQ(grids[2].label, "50");
  grids[2].value[0] = 3;
  EXPECT_TRUE(model.StoreGridValues(grids, 2));
  AfTable expected = Filled(0xFF);
  for (int r = 8; r < 12; ++r) std::fill_n(expected.begin() + r * 32 + 24, 8, std::uint8_t{0xFC});
  EXPECT_EQ(model.afEditBuffer, expected);
}

TEST_F(AfGrids, EachGridShowsTheFirstRowOfItsBand) {
  auto model = Zoom({2, 6, 6, 2});
  model.LensInfo().scaleRatios = {4, 12, 8, 8};
  // Row r holds r in zone 0 and -r in the others.
  for (int r = 0; r < kAfTableRows; ++r) {
    for (int c = 0; c < kAfTableColumns; ++c) {
      model.AfImage[0][static_cast<std::size_t>(r * 32 + c)] = EncodeAfValue(c < 4 ? r : -r);
    }
  }
  grids[1].selectedCell = 2;
  model.UpdateAFGridValue(grids);
  const int firstRows[] = {0, 2, 8, 14};
  for (std::size_t k = 0; k < grids.size(); ++k) {
    const int r = firstRows[k];
    EXPECT_EQ(grids[k].value, (std::array<std::int32_t, 4>{-r, -r, -r, r})) << k;
    EXPECT_EQ(grids[k].selectedCell, -1);
  }
}

TEST_F(AfGrids, NonZoomLensEditsAllRows) {
  auto model = ModelWith(StandardLens());
  model.UpdateAFGridValue(grids);
  EXPECT_EQ(grids[1].value[0], kAfCellNotLoaded);
  grids[0].value[3] = -5;  // rightmost cell: zone 0, bytes 0..7
  EXPECT_TRUE(model.StoreGridValues(grids, kAllGrids));
  AfTable expected = Filled(0xFF);
  for (int r = 0; r < kAfTableRows; ++r) std::fill_n(expected.begin() + r * 32, 8, EncodeAfValue(-5));
  EXPECT_EQ(model.afEditBuffer, expected);

  EXPECT_FALSE(model.ClearAfAdjustment(grids));
  EXPECT_EQ(model.afEditBuffer, Filled(0xFF));
}

TEST_F(AfGrids, StoringABandWithoutItsZoomRatioIsRefused) {
  auto model = Zoom({4, 4});
  model.UpdateAFGridValue(grids);
  EXPECT_NO_THROW(model.StoreGridValues(grids, 1));
  EXPECT_THROW(model.StoreGridValues(grids, 2), LensModelArgumentError);
  EXPECT_THROW(model.ClearAfAdjustment(grids), LensModelArgumentError);
}

}  // namespace
}  // namespace cbx::lens
