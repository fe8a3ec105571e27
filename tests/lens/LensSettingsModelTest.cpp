#include "lens/LensSettingsModel.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>
#include <string>

#include "lens/LensFixtures.h"
#include "support/TempDir.h"

namespace cbx::lens {
namespace {

using test::Erased;
using test::MlLens;
using test::ModelWith;
using test::Places;
using test::StandardLens;

// Writes record bytes at the CS record start of CsImage block 0.
void PutRecord(LensSettingsModel& model, std::initializer_list<int> bytes) {
  const std::size_t at = model.CsRecordOffset();
  std::size_t i = 0;
  for (int b : bytes) model.CsImage[0][at + i++] = static_cast<std::uint8_t>(b);
}

TEST(LensImages, InsertReplaceAndClearOwnCopies) {
  Image image;
  const Block a{1, 2}, b{3}, c{4, 5, 6};
  InsertBlock(image, 0, a);
  InsertBlock(image, 5, b);  // beyond the end appends
  InsertBlock(image, 1, c);
  EXPECT_EQ(image, (Image{a, c, b}));
  ReplaceBlock(image, 2, a);
  ReplaceBlock(image, 3, c);  // beyond the end: nothing
  EXPECT_EQ(image, (Image{a, c, a}));
  ClearImage(image);
  EXPECT_TRUE(image.empty());
}

TEST(CsRecord, ErasedStandardLensReadsAsFactorySettings) {
  auto model = ModelWith(StandardLens());
  std::uint32_t g1 = 0, g2 = 0;
  std::uint16_t mf = 0;
  std::uint8_t afFunction = 0;
  ASSERT_TRUE(model.ReadModeGroups(g1, g2));
  ASSERT_TRUE(model.ReadMfWord(mf));
  ASSERT_TRUE(model.ReadAfFunctionByte(afFunction));
  for (std::uint32_t g : {g1, g2}) {
    EXPECT_EQ(DecodeThreeWay(GroupByte(g, 0)), 0);
    EXPECT_EQ(static_cast<std::uint8_t>(~GroupByte(g, 1)), 0);
    EXPECT_EQ(static_cast<std::uint8_t>(~GroupByte(g, 2)), 0);
    EXPECT_EQ(DecodeThreeWay(GroupByte(g, 3)), 0);
  }
  EXPECT_FALSE(MfSwitchOn(mf));
  EXPECT_EQ(MfLevel(mf), 1);
  EXPECT_FALSE(AfFunctionIsAfOn(afFunction));
}

TEST(CsRecord, IsFoundAtTheFirstBlockZeroPlace) {
  auto model = ModelWith(StandardLens());  // places (1, 2048) then (0, 2048)
  model.LensInfo().cs0List = Places(1, {1, 0, 0}, {100, 2048, 3000});
  EXPECT_EQ(model.CsRecordOffset(), 2048u);
  model.CsImage[0][2048 + 12] = 0x55;
  std::uint8_t afFunction = 0;
  ASSERT_TRUE(model.ReadAfFunctionByte(afFunction));
  EXPECT_TRUE(AfFunctionIsAfOn(afFunction));

  model.LensInfo().cs0List = Places(1, {1}, {0});
  std::uint32_t out = 0;
  EXPECT_THROW(model.ReadModeGroups(out, out), LensModelArgumentError);
}

TEST(CsRecord, ReadersFailWithoutARecordInsideBlockZero) {
  auto empty = ModelWith(StandardLens());
  empty.CsImage.clear();
  auto outside = ModelWith(StandardLens());
  outside.LensInfo().cs0List = Places(1, {0}, {3800});  // 3800 + 512 > 4096
  for (auto* model : {&empty, &outside}) {
    std::uint32_t g = 0;
    std::uint16_t w = 0;
    std::uint8_t b = 0;
    EXPECT_FALSE(model->ReadModeGroups(g, g));
    EXPECT_FALSE(model->GetCSSingleData(1, g));
    EXPECT_FALSE(model->ReadMfWord(w));
    EXPECT_FALSE(model->ReadAfFunctionByte(b));
    EXPECT_FALSE(model->ReadWriteCounter(w));
    EXPECT_FALSE(model->ReadMfSensitivityByte(b));
    EXPECT_FALSE(model->SaveCsSnapshot());
  }
}

TEST(CsRecord, MlMountRecordBuildsModeGroups) {
  auto model = ModelWith(MlLens());
  PutRecord(model, {0x34, 0x12, 0xFE, 0x77, 0xFF, 0xFE, 0xFD, 0xFD});
  std::array<std::uint8_t, 8> groups{};
  groups.fill(0xAA);
  ASSERT_TRUE(model.ReadModeGroups(groups));
  // A stored 0xFF limiter is the product default 3 (stored 0xFC).
  EXPECT_EQ(groups, (std::array<std::uint8_t, 8>{0, 0xFC, 0, 0xFE, 0, 0xFD, 0, 0xFD}));
  std::uint16_t counter = 0;
  std::uint8_t sensitivity = 0;
  ASSERT_TRUE(model.ReadWriteCounter(counter));
  ASSERT_TRUE(model.ReadMfSensitivityByte(sensitivity));
  EXPECT_EQ(counter, 0x1234);
  EXPECT_EQ(DecodeMfSensitivity(sensitivity), MfSensitivity::kSlow);
}

TEST(CsValues, DecodeAndEncodeWithinTheirRanges) {
  const struct { std::uint8_t stored; int value; } threeWay[] = {
      {0xFF, 0}, {0xFE, 1}, {0xFD, 2}, {0xFC, 0}, {0xFA, 0}, {0x00, 0}};
  for (const auto& c : threeWay) EXPECT_EQ(DecodeThreeWay(c.stored), c.value) << int{c.stored};

  const struct { std::uint8_t stored; int level; } levels[] = {
      {0xFF, 1}, {0xFE, 1}, {0xF8, 7}, {0xF0, 15}, {0xEF, 15}, {0x00, 15}};
  for (const auto& c : levels) EXPECT_EQ(MfLevel(static_cast<std::uint16_t>(c.stored << 8 | 0x55)), c.level);

  const struct { int level; std::uint8_t stored; } encoded[] = {{-3, 0xFE}, {0, 0xFE}, {1, 0xFE}, {7, 0xF8}, {15, 0xF0}, {16, 0xF0}};
  for (const auto& c : encoded) EXPECT_EQ(EncodeMfLevel(c.level), c.stored) << c.level;

  const struct { std::uint16_t word, normal; } words[] = {{0xF812, 0xF8FF}, {0xF855, 0xF855}, {0xF8FF, 0xF8FF}, {0xEF00, 0xEFFF}};
  for (const auto& c : words) EXPECT_EQ(NormalizeMfWord(c.word), c.normal);

  const struct { std::uint8_t stored; MfSensitivity value; } sens[] = {
      {0xFF, MfSensitivity::kNormal}, {0xFE, MfSensitivity::kSlow}, {0xFD, MfSensitivity::kFast}, {0xFC, MfSensitivity::kNormal}};
  for (const auto& c : sens) EXPECT_EQ(DecodeMfSensitivity(c.stored), c.value);
  for (auto v : {MfSensitivity::kNormal, MfSensitivity::kSlow, MfSensitivity::kFast}) {
    EXPECT_EQ(DecodeMfSensitivity(EncodeMfSensitivity(v)), v);
  }
}

TEST(CsValues, ScreenLoadOfAnUnknownSwitchIsOff) {
  auto model = ModelWith(StandardLens());
  PutRecord(model, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x12, 0xEF});
  ASSERT_TRUE(model.LoadMfWord());
  EXPECT_EQ(model.mfWord, 0xEFFF);
  EXPECT_EQ(MfLevel(model.mfWord), 15);
}

TEST(CsValues, EditsChangeOnlyTheirBytesOfTheSelectedGroup) {
  for (auto lens : {StandardLens(), MlLens()}) {
    auto model = ModelWith(lens);
    model.mode1Group = 0xFFFFFFFF;
    model.mode2Group = 0xFFFFFFFF;
    model.selectedMode = 2;
    model.SetAfSpeed(1);
    model.SetOsMode(2);
    model.SetLimiter(1, 3);
    EXPECT_EQ(model.mode1Group, 0xFFFFFFFFu);
    // Standard lenses keep the upper index first; ml mounts keep the handles as given.
    EXPECT_EQ(model.mode2Group, model.IsMlMount() ? MakeGroup(0xFE, 0xFE, 0xFC, 0xFD) : MakeGroup(0xFE, 0xFC, 0xFE, 0xFD));
  }
  LensSettingsModel model;
  model.mfWord = 0xFFFF;
  model.SetMfSwitch(true);
  model.SetMfLevel(0);
  EXPECT_EQ(model.mfWord, 0xFE55);
  model.SetMfSwitch(false);
  EXPECT_EQ(model.mfWord, 0xFEFF);
  model.SetAfFunction(true);
  EXPECT_EQ(model.afFunctionByte, 0x55);
  model.SetAfFunction(false);
  EXPECT_EQ(model.afFunctionByte, 0xFF);
}

TEST(ChangeTests, GroupsEqualComparesOnlyTheBytesTheDeviceHas) {
  const std::uint32_t base = MakeGroup(0xFF, 0xFC, 0xFF, 0xFF);
  const struct { std::uint32_t other; bool standardEqual; bool mlEqual; } cases[] = {
      {base, true, true},
      {WithGroupByte(base, 0, 0xFE), false, true},
      {WithGroupByte(base, 2, 0xFE), false, true},
      {WithGroupByte(base, 1, 0xFE), false, false},
      {WithGroupByte(base, 3, 0xFE), false, false},
  };
  const auto standard = ModelWith(StandardLens());
  const auto ml = ModelWith(MlLens());
  for (const auto& c : cases) {
    EXPECT_EQ(standard.GroupsEqual(base, c.other), c.standardEqual) << std::hex << c.other;
    EXPECT_EQ(ml.GroupsEqual(base, c.other), c.mlEqual) << std::hex << c.other;
  }
}

TEST(ChangeTests, ModeGroupsAgainstTheLens) {
  auto model = ModelWith(StandardLens());
  ASSERT_TRUE(model.ReadModeGroups(model.mode1Group, model.mode2Group));
  EXPECT_FALSE(model.IsChangeCSDoubleData());
  model.selectedMode = 2;
  model.SetAfSpeed(1);
  EXPECT_FALSE(model.IsChangeCSData(1));
  EXPECT_TRUE(model.IsChangeCSData(2));
  EXPECT_TRUE(model.IsChangeCSDoubleData());
}

TEST(ChangeTests, ManualOverrideLevelMattersOnlyWhileOn) {
  const struct { std::uint8_t s8, s9, e8, e9; bool changed; } cases[] = {
      {0xFF, 0xFF, 0xFF, 0xF0, false},
      {0xFF, 0xF0, 0xFF, 0xFE, false},
      {0x55, 0xFE, 0xFF, 0xFE, true},
      {0x55, 0xFE, 0x55, 0xFE, false},
      {0x55, 0xFE, 0x55, 0xFD, true},
      {0x12, 0xFE, 0xFF, 0xFE, true},
  };
  auto model = ModelWith(StandardLens());
  for (const auto& c : cases) {
    PutRecord(model, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, c.s8, c.s9});
    model.mfWord = static_cast<std::uint16_t>(c.e9 << 8 | c.e8);
    EXPECT_EQ(model.IsChangeMFData(), c.changed) << std::hex << int{c.s8} << ' ' << int{c.s9};
  }
}

TEST(ChangeTests, SingleByteSettings) {
  auto model = ModelWith(StandardLens());
  model.afFunctionByte = 0xFF;
  EXPECT_FALSE(model.IsAfFunctionChanged());
  model.SetAfFunction(true);
  EXPECT_TRUE(model.IsAfFunctionChanged());

  auto ml = ModelWith(MlLens());
  ml.mfSensitivityByte = 0xFF;
  EXPECT_FALSE(ml.IsMfSensitivityChanged());
  ml.SetMfSensitivity(MfSensitivity::kFast);
  EXPECT_TRUE(ml.IsMfSensitivityChanged());
}

TEST(Defaults, ComputedDefaultsPerDeviceClass) {
  auto standard = ModelWith(StandardLens());
  standard.ResetEditedValues();
  EXPECT_EQ(standard.mode1Group, MakeGroup(0xFF, 0xFB, 0xFF, 0xFF));
  EXPECT_EQ(standard.mode2Group, standard.mode1Group);

  auto noPositions = StandardLens();
  noPositions.encoderPositions.clear();
  auto bare = ModelWith(noPositions);
  bare.ResetEditedValues();
  EXPECT_EQ(bare.mode1Group, 0xFFFFFFFFu);

  auto ml = ModelWith(MlLens());
  ml.ResetEditedValues();
  EXPECT_EQ(ml.mode1Group, MakeGroup(0xFF, 0xFC, 0xFF, 0xFE));
  EXPECT_EQ(ml.mode2Group, MakeGroup(0xFF, 0xFC, 0xFF, 0xFD));

  const struct { int MFreset; std::uint8_t MFfunc, AFFuncBReset; std::uint16_t mfWord; std::uint8_t afFunction; } cases[] = {
      {4, 0xAA, 0xAA, 0xFB55, 0x55},
      {0, 0x01, 0x00, 0xFEFF, 0xFF},
      {20, 0x00, 0x55, 0xF0FF, 0xFF},
  };
  for (const auto& c : cases) {
    auto lens = StandardLens();
    lens.MFreset = c.MFreset;
    lens.MFfunc = c.MFfunc;
    lens.AFFuncBReset = c.AFFuncBReset;
    auto model = ModelWith(lens);
    model.ResetAllEditedValues();
    EXPECT_EQ(model.mfWord, c.mfWord) << c.MFreset;
    EXPECT_EQ(model.afFunctionByte, c.afFunction);
  }
}

TEST(Defaults, ModeStatusComparesTheLensWithProductDefaults) {
  for (auto lens : {StandardLens(), MlLens()}) {
    auto model = ModelWith(lens);
    EXPECT_FALSE(model.GetCustomModeChangeStatus(1));
    EXPECT_FALSE(model.GetCustomModeChangeStatus(2));
    model.ResetEditedValues();
    model.writeCounter = 0xFFFF;
    ASSERT_TRUE(model.ComposeCsRecord(0, model.CsImage[0], CsSource::kEditedValues));
    EXPECT_TRUE(model.GetCustomModeChangeStatus(1));
    EXPECT_TRUE(model.GetCustomModeChangeStatus(2));
    EXPECT_FALSE(model.IsChangeCSDoubleData());
  }
  auto model = ModelWith(StandardLens());
  model.CsImage.clear();
  EXPECT_FALSE(model.GetCustomModeChangeStatus(1));
}

TEST(FocusLimiter, FarLimitIndex) {
  const struct { std::vector<double> positions; int index; } cases[] = {
      {{10, 20, 30}, 3}, {{10, 40, 30}, 1}, {{10, 20, 10}, 0}, {{}, 0}, {{5}, 0},
      {{10, 30.0000001, 30}, 3},  // closer than 1e-6 to the last is not beyond it
  };
  for (const auto& c : cases) EXPECT_EQ(FarLimitIndex(c.positions), c.index) << c.positions.size();
}

TEST(FocusLimiter, FixInitFLValueReplacesOutOfRangeData) {
  const struct { bool ml; std::uint8_t b1, b2; LimiterStart start; } cases[] = {
      {false, 0xFB, 0xFF, {4, 0, true}},   // standard, n = 4
      {false, 0xFF, 0xFD, {0, 2, true}},
      {false, 0xFA, 0xFF, {0, 4, false}},
      {false, 0xFD, 0xF8, {0, 4, false}},
      {true, 0xFB, 0x00, {4, 0, true}},    // ml, n = 5, product default 3
      {true, 0xFA, 0x00, {3, 0, false}},
      {true, 0xFF, 0x00, {3, 0, false}},
  };
  for (const auto& c : cases) {
    const auto model = ModelWith(c.ml ? MlLens() : StandardLens());
    const LimiterStart s = model.FixInitFLValue(MakeGroup(0xFF, c.b1, c.b2, 0xFF));
    EXPECT_EQ(s.first, c.start.first) << std::hex << int{c.b1};
    EXPECT_EQ(s.second, c.start.second) << std::hex << int{c.b1};
    EXPECT_EQ(s.valid, c.start.valid) << std::hex << int{c.b1};
  }
}

TEST(WriteCounter, CountsAndLimit) {
  const struct { std::uint16_t stored, next, count; } counters[] = {
      {0xFFFF, 0xFFFE, 0}, {0x0000, 0xFFFE, 0}, {0xFFFE, 0xFFFD, 1}, {0xFFFA, 0xFFF9, 5}};
  for (const auto& c : counters) {
    EXPECT_EQ(IncrementedWriteCounter(c.stored), c.next) << std::hex << c.stored;
    EXPECT_EQ(WriteCount(c.stored), c.count) << std::hex << c.stored;
  }
  const struct { int MFSensCtrl; std::uint16_t counter; std::int16_t limit; bool open; } limits[] = {
      {1, 0xFFFA, 5, false}, {1, 0xFFFA, 6, true}, {1, 0x0000, 1, true},
      {0, 0xFFFF, 5, false}, {1, 0xFFFA, -1, true}};
  for (const auto& c : limits) {
    auto lens = MlLens();
    lens.MFSensCtrl = c.MFSensCtrl;
    lens.DataWriteNumLimit = c.limit;
    auto model = ModelWith(lens);
    model.writeCounter = c.counter;
    EXPECT_EQ(model.IsWriteCountWithinLimit(), c.open) << std::hex << c.counter << ' ' << std::dec << c.limit;
  }
}

TEST(ComposeCsRecord, EditedValuesOnAStandardLensReachEveryPlaceOfTheBlock) {
  auto lens = StandardLens();
  lens.cs0List = Places(1, {0, 1, 0}, {2048, 2048, 3072});
  auto model = ModelWith(lens);
  model.mode1Group = MakeGroup(0xFE, 0xFB, 0xFF, 0xFD);
  model.mode2Group = MakeGroup(0xFD, 0xFC, 0xFE, 0xFE);
  model.mfWord = 0xF855;
  model.afFunctionByte = 0x55;
  Block block = Erased(4096);
  block[2048 + 10] = 0x12;
  block[2048 + 11] = 0x34;
  ASSERT_TRUE(model.ComposeCsRecord(0, block, CsSource::kEditedValues));
  const Block record{0xFE, 0xFB, 0xFF, 0xFD, 0xFD, 0xFC, 0xFE, 0xFE, 0x55, 0xF8, 0x12, 0x34, 0x55, 0xFF};
  EXPECT_TRUE(std::equal(record.begin(), record.end(), block.begin() + 2048));
  EXPECT_TRUE(std::equal(record.begin(), record.begin() + 10, block.begin() + 3072));
  EXPECT_EQ(std::count(block.begin(), block.end(), 0xFF), 4096 - 2 * 10 - 2);
}

TEST(ComposeCsRecord, EditedValuesOnAnMlMountCountTheWrite) {
  const struct { std::uint16_t counter; std::uint8_t low, high; } cases[] = {
      {0xFFFF, 0xFE, 0xFF}, {0x0000, 0xFE, 0xFF}, {0xFFF0, 0xEF, 0xFF}};
  for (const auto& c : cases) {
    auto model = ModelWith(MlLens());
    model.writeCounter = c.counter;
    model.mfSensitivityByte = 0xFD;
    model.mode1Group = MakeGroup(0x00, 0xFB, 0x00, 0xFE);
    model.mode2Group = MakeGroup(0x00, 0xFC, 0x00, 0xFD);
    Block block = Erased(512);
    block[3] = 0x42;
    ASSERT_TRUE(model.ComposeCsRecord(0, block, CsSource::kEditedValues));
    EXPECT_EQ(Block(block.begin(), block.begin() + 9), (Block{c.low, c.high, 0xFD, 0x42, 0xFB, 0xFE, 0xFC, 0xFD, 0xFF}));
  }
}

TEST(ComposeCsRecord, SnapshotAndDefaults) {
  auto model = ModelWith(StandardLens());
  for (std::size_t i = 0; i < 512; ++i) model.CsImage[0][2048 + i] = static_cast<std::uint8_t>(i);
  ASSERT_TRUE(model.SaveCsSnapshot());
  ASSERT_EQ(model.csSnapshot.size(), 512u);
  Block block = Erased(4096);
  ASSERT_TRUE(model.ComposeCsRecord(1, block, CsSource::kSnapshot));
  EXPECT_TRUE(std::equal(model.csSnapshot.begin(), model.csSnapshot.end(), block.begin() + 2048));

  // Only the fragment of this block and offset is written; ml mounts take no defaults.
  model.csDefaults.push_back({Block(512, 0x11), 512, 0, 2048});
  model.csDefaults.push_back({Block(512, 0x22), 512, 1, 1024});
  Block fresh = Erased(4096);
  ASSERT_TRUE(model.ComposeCsRecord(1, fresh, CsSource::kDefaults));
  EXPECT_EQ(fresh, Erased(4096));
  ASSERT_TRUE(model.ComposeCsRecord(0, fresh, CsSource::kDefaults));
  EXPECT_EQ(std::count(fresh.begin(), fresh.end(), 0x11), 512);
  Block untouched = Erased(4096);
  ASSERT_TRUE(model.ComposeCsRecord(0, untouched, CsSource::kDefaults, DeviceClass::kMlMount));
  EXPECT_EQ(untouched, Erased(4096));
}

TEST(ComposeCsRecord, APlaceOutsideTheBlockRefusesTheWholeBlock) {
  auto lens = StandardLens();
  lens.cs0List = Places(1, {0, 0}, {2048, 3800});
  auto model = ModelWith(lens);
  model.csSnapshot.assign(512, 0);
  model.csDefaults.push_back({Block(512, 0), 512, 0, 3800});
  for (auto source : {CsSource::kEditedValues, CsSource::kSnapshot, CsSource::kDefaults}) {
    Block block = Erased(4096);
    EXPECT_FALSE(model.ComposeCsRecord(0, block, source));
    EXPECT_EQ(block, Erased(4096));
  }
  Block shortBlock = Erased(64);  // a block shorter than the record region
  EXPECT_FALSE(model.ComposeCsRecord(0, shortBlock, CsSource::kEditedValues));
}

TEST(LoadCsDefaults, FromTheFirmwareFile) {
  cbx::test::TempDir dir;
  auto lens = StandardLens();  // places (1, 2048) and (0, 2048); blocks at 0x1000 and 0x2000
  std::string image(0x2A00, '\0');
  for (std::size_t i = 0; i < 512; ++i) {
    image[0x1800 + i] = static_cast<char>(0xA0);
    image[0x2800 + i] = static_cast<char>(i & 0xFF);
  }
  lens.fwLocalPath = dir.Write("lens.bin", image);
  auto model = ModelWith(lens);
  ASSERT_EQ(model.LoadCsDefaults(), CsDefaultsOrigin::kFirmwareFile);
  ASSERT_EQ(model.csDefaults.size(), 2u);
  EXPECT_EQ(model.csDefaults[0].blockIndex, 1);
  EXPECT_EQ(model.csDefaults[0].offset, 2048);
  EXPECT_EQ(model.csDefaults[0].length, 512);
  EXPECT_EQ(model.csDefaults[1].data, Block(512, 0xA0));
  EXPECT_EQ(model.mode1Group, 0x03020100u);
  EXPECT_EQ(model.mode2Group, 0x07060504u);

  Block block = Erased(4096);
  ASSERT_TRUE(model.ComposeCsRecord(0, block, CsSource::kDefaults));
  EXPECT_EQ(Block(block.begin() + 2048, block.begin() + 2560), Block(512, 0xA0));
}

TEST(LoadCsDefaults, ShortFileOrBadBlockFallsBackToComputedDefaults) {
  cbx::test::TempDir dir;
  auto shortFile = StandardLens();
  shortFile.fwLocalPath = dir.Write("short.bin", std::string(0x2000, '\0'));
  auto badBlock = shortFile;
  badBlock.fwLocalPath = dir.Write("long.bin", std::string(0x4000, '\0'));
  badBlock.cs0List = Places(1, {0, 5}, {2048, 2048});
  for (const auto& lens : {shortFile, badBlock}) {
    auto model = ModelWith(lens);
    ASSERT_EQ(model.LoadCsDefaults(), CsDefaultsOrigin::kComputed);
    ASSERT_EQ(model.csDefaults.size(), 2u);
    Block expected(512, 0);
    const Block head{0xFF, 0xFB, 0xFF, 0xFF, 0xFF, 0xFB, 0xFF, 0xFF, 0xFF, 0xFB, 0, 0, 0xFF};  // MFreset 4
    std::copy(head.begin(), head.end(), expected.begin());
    EXPECT_EQ(model.csDefaults[1].data, expected);
    EXPECT_EQ(model.csDefaults[1].blockIndex, lens.cs0List.index[1]);
  }
}

TEST(LoadCsDefaults, MissingFileLeavesThePlacesErased) {
  auto lens = StandardLens();
  lens.fwLocalPath = "/nonexistent/lens.bin";
  auto model = ModelWith(lens);
  model.mode1Group = 0x01020304;
  model.csDefaults.push_back({Block(512, 0), 512, 0, 2048});
  EXPECT_EQ(model.LoadCsDefaults(), CsDefaultsOrigin::kNone);
  EXPECT_TRUE(model.csDefaults.empty());
  EXPECT_EQ(model.mode1Group, 0x01020304u);
  Block block = Erased(4096);
  ASSERT_TRUE(model.ComposeCsRecord(0, block, CsSource::kDefaults));
  EXPECT_EQ(block, Erased(4096));
}

}  // namespace
}  // namespace cbx::lens
