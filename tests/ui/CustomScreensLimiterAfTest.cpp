// The focus limiter and AF fine-adjustment screens against the demo's virtual zoom lens: the
// limiter's scale and handles, and exactly which bytes of the lens an AF write changes.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QTest>

#include "WindowFixture.h"
#include "lens/AfData.h"
#include "ui/controls/CAFAdjustGrid.h"
#include "ui/controls/CBasicButton.h"
#include "ui/controls/CFlmtSliderNeo.h"
#include "ui/controls/CSpinBase.h"
#include "ui/controls/CTrackBarBase.h"
#include "ui/screens/CCstmAFFocusDialog.h"
#include "ui/screens/CCstmFocusLimitterDialog.h"
#include "ui/screens/CHomeMainDialog.h"

namespace cbx::ui {
namespace {

using test::WaitUntil;

// ---- the limiter's scale ----

struct ScaleCase {
  std::vector<double> positions;
  std::vector<int> ticks;  // x of indices 0..n
};

class LimiterScaleTest : public ::testing::TestWithParam<ScaleCase> {};

TEST_P(LimiterScaleTest, TicksRunFromTheRightEndAtMidpointsBetweenPositions) {
  std::vector<int> xs;
  for (const CFlmtSliderInfo& tick : CCstmFocusLimitterDialog::LimiterTicks(GetParam().positions)) xs.push_back(tick.x);
  EXPECT_EQ(xs, GetParam().ticks);
}

INSTANTIATE_TEST_SUITE_P(Positions, LimiterScaleTest,
                         ::testing::Values(ScaleCase{{1.0, 2.0, 4.0}, {496, 310, 124, 0}},
                                           ScaleCase{{}, {496}},
                                           ScaleCase{{150, 1074, 4000}, {496, 421, 182, 0}},
                                           // A far end at 0 cannot scale: the ticks are spread evenly.
                                           ScaleCase{{0.0, 0.0}, {496, 248, 0}}));

// ---- the screens ----

class LimiterAfScreensTest : public test::WindowTest {
 protected:
  int Current() const { return frame_->HomeView()->CurrentScreen(); }
  // The lens identified, its settings read and its customisation offered.
  void ConnectLens() {
    StartMonitoring();
    auto* home = static_cast<CHomeMainDialog*>(frame_->HomeView()->Screen(0));
    ASSERT_TRUE(WaitUntil([&] { return Current() == 0 && home->SecondButton()->isEnabled(); }, 20000));
    ASSERT_FALSE(run_->Model().AfImage.empty());
    asked_.clear();
  }
  lens::LensSettingsModel& Model() const { return run_->Model(); }

  CCstmFocusLimitterDialog* OpenLimiter(int mode = 1) {
    Model().selectedMode = mode;
    frame_->HomeView()->ShowScreen(lens::kScreenFocusLimiter);
    return static_cast<CCstmFocusLimitterDialog*>(frame_->HomeView()->Screen(lens::kScreenFocusLimiter));
  }
  void SetEncoderPositions(std::vector<double> positions) {
    Model().LensInfo().encoderPositions = positions;
    run_->State().currentDevice.encoderPositions = std::move(positions);
  }
  static QPoint AtTick(const CFlmtSliderNeo* slider, int index, CFlmtSliderNeo::Part handle) {
    return QPoint(CFlmtSliderNeo::kScaleLeft + slider->Ticks()[static_cast<std::size_t>(index)].x,
                  slider->PartRect(handle).center().y());
  }
  static void Drag(CFlmtSliderNeo* slider, CFlmtSliderNeo::Part handle, int toIndex) {
    QTest::mousePress(slider, Qt::LeftButton, {}, slider->PartRect(handle).center());
    QTest::mouseMove(slider, AtTick(slider, toIndex, handle));
    QTest::mouseRelease(slider, Qt::LeftButton, {}, AtTick(slider, toIndex, handle));
  }
  // The stored limiter bytes of the group being edited, as indices.
  std::pair<int, int> StoredLimiter() const {
    const std::uint32_t group = Model().SelectedGroup();
    return {static_cast<std::uint8_t>(~lens::GroupByte(group, 1)), static_cast<std::uint8_t>(~lens::GroupByte(group, 2))};
  }

  CCstmAFFocusDialog* OpenAf() {
    frame_->HomeView()->ShowScreen(lens::kScreenAfFocus);
    return static_cast<CCstmAFFocusDialog*>(frame_->HomeView()->Screen(lens::kScreenAfFocus));
  }
  // Four column zones and four bands of four rows each.
  void UseEvenZones() {
    for (update::CLensUpdateInfoData* info : {&Model().LensInfo(), &run_->State().currentDevice}) {
      info->scaleRatios = {8, 8, 8, 8};
      info->zoomRatios = {4, 4, 4, 4};
    }
  }
  // Where the current set's table and its half-scale copy lie in the lens's AF area.
  static constexpr std::size_t kTablePlace = 0x200, kHalfScalePlace = 64 * 32;
  static lens::AfTable TableIn(const std::vector<std::uint8_t>& area, std::size_t at) {
    lens::AfTable t{};
    std::copy_n(area.begin() + static_cast<std::ptrdiff_t>(at), t.size(), t.begin());
    return t;
  }
  // The area as it must be after writing this table: both places of set 0, nothing else.
  static std::vector<std::uint8_t> WithTable(std::vector<std::uint8_t> area, const lens::AfTable& table) {
    std::copy(table.begin(), table.end(), area.begin() + kTablePlace);
    const lens::AfTable half = lens::HalfScaleTable(table);
    std::copy(half.begin(), half.end(), area.begin() + kHalfScalePlace);
    return area;
  }
  void Click(CBasicButton* button) {
    ASSERT_NE(button, nullptr);
    ASSERT_TRUE(button->isEnabled());
    button->click();
  }
};

TEST_F(LimiterAfScreensTest, LimiterHandlesStartFromTheLensAndStoreTheRangeOrdered) {
  ConnectLens();
  CCstmFocusLimitterDialog* screen = OpenLimiter();
  ASSERT_EQ(Current(), lens::kScreenFocusLimiter);
  CFlmtSliderNeo* slider = screen->Slider();
  // The lens holds mode 1 as 10..0 on its ten encoder positions.
  ASSERT_EQ(slider->Ticks().size(), 11u);
  EXPECT_EQ(slider->FirstPosition(), 10);
  EXPECT_EQ(slider->SecondPosition(), 0);
  EXPECT_TRUE(slider->SecondHandleShown());
  Screenshot("focus-limiter");

  // Handle 1 down to 3, then handle 2 dragged past it to 7: upper is still the larger.
  std::vector<FlmtTrackChange> told;
  QObject::connect(slider, &CFlmtSliderNeo::TrackChanged, [&](const FlmtTrackChange& c) { told.push_back(c); });
  Drag(slider, CFlmtSliderNeo::kFirstHandle, 3);
  Drag(slider, CFlmtSliderNeo::kSecondHandle, 7);
  EXPECT_EQ(slider->FirstPosition(), 3);
  EXPECT_EQ(slider->SecondPosition(), 7);
  EXPECT_EQ(StoredLimiter(), std::make_pair(7, 3));
  // Each drag: one change, then the release with no part.
  ASSERT_EQ(told.size(), 4u);
  EXPECT_EQ(told[2].part, CFlmtSliderNeo::kSecondHandle);
  EXPECT_EQ(told[3].part, -1);
  EXPECT_EQ(told[3].second, 7);
  // Only the edit changed; mode 2 and the other bytes of the group are as the lens has them.
  EXPECT_TRUE(Model().IsChangeCSData(1));
  EXPECT_FALSE(Model().IsChangeCSData(2));
  EXPECT_EQ(lens::GroupByte(Model().mode1Group, 0), 0xFF);

  // Reset asks nothing and takes the whole range.
  Click(screen->Button(1027));
  EXPECT_TRUE(asked_.empty());
  EXPECT_EQ(slider->FirstPosition(), 0);
  EXPECT_EQ(slider->SecondPosition(), 10);
  EXPECT_EQ(StoredLimiter(), std::make_pair(10, 0));
  // Back shows the mode overview at once, the edit kept for its Write.
  Click(screen->Button(1026));
  EXPECT_EQ(Current(), lens::kScreenModeDetails);
  EXPECT_TRUE(asked_.empty());
}

TEST_F(LimiterAfScreensTest, HeldArrowStepsByOneNineTimesThenByTenWhileThePointerStaysOnIt) {
  ConnectLens();
  std::vector<double> positions;
  for (int i = 1; i <= 35; ++i) positions.push_back(i * 100.0);
  SetEncoderPositions(positions);
  CFlmtSliderNeo* slider = OpenLimiter()->Slider();
  ASSERT_EQ(slider->FirstPosition(), 10);
  const QPoint arrow = slider->PartRect(CFlmtSliderNeo::kIncrement).center();
  QTest::mousePress(slider, Qt::LeftButton, {}, arrow);
  std::vector<int> seen{slider->FirstPosition()};
  for (int i = 0; i < 12; ++i) {
    slider->RepeatStep();
    seen.push_back(slider->FirstPosition());
  }
  EXPECT_THAT(seen, ::testing::ElementsAre(11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 30, 35, 35));
  EXPECT_EQ(slider->ActivePart(), CFlmtSliderNeo::kIncrement);
  QTest::mouseRelease(slider, Qt::LeftButton, {}, arrow);
  EXPECT_EQ(slider->ActivePart(), CFlmtSliderNeo::kNone);
  EXPECT_EQ(slider->RepeatCount(), 0);
  EXPECT_EQ(StoredLimiter(), std::make_pair(35, 0));

  // The decrement part held while the pointer wanders off: no repeats until it comes back.
  const QPoint down = slider->PartRect(CFlmtSliderNeo::kDecrement).center();
  QTest::mousePress(slider, Qt::LeftButton, {}, down);
  EXPECT_EQ(slider->FirstPosition(), 34);
  QTest::mouseMove(slider, QPoint(slider->width() / 2, 2));
  slider->RepeatStep();
  EXPECT_EQ(slider->FirstPosition(), 34);
  QTest::mouseMove(slider, down);
  slider->RepeatStep();
  EXPECT_EQ(slider->FirstPosition(), 33);
  QTest::mouseRelease(slider, Qt::LeftButton, {}, down);

  // The track beside handle 1 pages by ten towards its side, at the press and on each repeat.
  const QRect rightOfHandle = slider->PartRect(CFlmtSliderNeo::kPageRight);
  const QPoint pageRight(rightOfHandle.right() - 12, rightOfHandle.top() + 4);
  QTest::mousePress(slider, Qt::LeftButton, {}, pageRight);
  EXPECT_EQ(slider->FirstPosition(), 23);
  slider->RepeatStep();
  EXPECT_EQ(slider->FirstPosition(), 13);
  QTest::mouseRelease(slider, Qt::LeftButton, {}, pageRight);
}

TEST_F(LimiterAfScreensTest, LensWithoutEncoderPositionsHasBothHandlesAtZero) {
  ConnectLens();
  SetEncoderPositions({});
  CCstmFocusLimitterDialog* screen = OpenLimiter();
  CFlmtSliderNeo* slider = screen->Slider();
  EXPECT_EQ(slider->Ticks().size(), 1u);
  EXPECT_EQ(slider->FirstPosition(), 0);
  EXPECT_EQ(slider->SecondPosition(), 0);
  QTest::mouseClick(slider, Qt::LeftButton, {}, slider->PartRect(CFlmtSliderNeo::kIncrement).center());
  EXPECT_EQ(slider->FirstPosition(), 0);
  Click(screen->Button(1027));
  EXPECT_EQ(StoredLimiter(), std::make_pair(0, 0));
}

TEST_F(LimiterAfScreensTest, MlMountLimiterHasOneHandleWithinTheLensPositions) {
  ConnectLens();
  for (update::CLensUpdateInfoData* info : {&Model().LensInfo(), &run_->State().currentDevice}) info->mountCode = 0x90;
  // The ml record keeps mode 1's position in byte 4: stored 0xFE, position 1.
  ASSERT_TRUE(Model().ReadModeGroups(Model().mode1Group, Model().mode2Group));
  CCstmFocusLimitterDialog* screen = OpenLimiter();
  CFlmtSliderNeo* slider = screen->Slider();
  EXPECT_FALSE(slider->SecondHandleShown());
  EXPECT_EQ(slider->FirstPosition(), 1);
  EXPECT_EQ(screen->MessageText(), QStringLiteral("Drag the handle to set the limit of the focusing range."));
  // Ten positions are 0..9 here: a position of 10 would read back as out of range.
  const QPoint arrow = slider->PartRect(CFlmtSliderNeo::kIncrement).center();
  QTest::mousePress(slider, Qt::LeftButton, {}, arrow);
  for (int i = 0; i < 12; ++i) slider->RepeatStep();
  QTest::mouseRelease(slider, Qt::LeftButton, {}, arrow);
  EXPECT_EQ(slider->FirstPosition(), 9);
  EXPECT_EQ(StoredLimiter().first, 9);
  EXPECT_EQ(Model().FixInitFLValue(Model().mode1Group).first, 9);
}

TEST_F(LimiterAfScreensTest, AfCellEditWritesItsZoneIntoTheCurrentSetAndNothingElse) {
  ConnectLens();
  UseEvenZones();
  CCstmAFFocusDialog* screen = OpenAf();
  ASSERT_EQ(Current(), lens::kScreenAfFocus);
  ASSERT_EQ(screen->GridCount(), 4);
  EXPECT_FALSE(screen->Slider()->isEnabled());
  EXPECT_EQ(screen->Spin()->Value(), CSpinBase::kNoValue);
  EXPECT_FALSE(screen->Button(1012)->isEnabled());
  const std::vector<std::uint8_t> before = demo_->Device().AfArea();

  // Grid 2 shows row 8 (-3 in every zone); its leftmost cell is the last column zone.
  CAFAdjustGrid* grid = screen->Grid(2);
  QTest::mouseClick(grid, Qt::LeftButton, {}, CAFAdjustGrid::HeaderCell(0).center());
  EXPECT_EQ(grid->SelectedCell(), 0);
  EXPECT_TRUE(screen->Slider()->isEnabled());
  EXPECT_EQ(screen->Spin()->Value(), -3);
  const QPoint plus(84, 10);
  for (int i = 0; i < 6; ++i) QTest::mouseClick(screen->Spin(), Qt::LeftButton, {}, plus);
  EXPECT_EQ(screen->Slider()->Position(), 3);
  EXPECT_EQ(grid->CellText(0), QStringLiteral("+3"));
  EXPECT_TRUE(screen->Button(1012)->isEnabled());
  // Another grid's cell takes the selection away from grid 2.
  QTest::mouseClick(screen->Grid(0), Qt::LeftButton, {}, CAFAdjustGrid::BodyCell(3).topLeft() + QPoint(10, 4));
  EXPECT_EQ(grid->SelectedCell(), -1);
  Screenshot("af-fine-adjustment");

  answers_[CCustomScreen::kKindWriteQuestion] = CCustomScreen::kResultWrite;
  Click(screen->Button(1012));
  ASSERT_THAT(asked_, ::testing::Contains(CCustomScreen::kKindWriteQuestion));

  lens::AfTable table = TableIn(before, kTablePlace);
  for (int row = 8; row < 12; ++row) {
    for (int column = 24; column < 32; ++column) table[static_cast<std::size_t>(row * 32 + column)] = 0xFC;
  }
  const std::vector<std::uint8_t> after = demo_->Device().AfArea();
  EXPECT_EQ(after, WithTable(before, table));
  EXPECT_EQ(after[kHalfScalePlace + 8 * 32 + 24], 0xFE);  // +3 at half scale is +1
  // The buffers follow the lens; the grid shows what was written.
  EXPECT_EQ(Model().afEditBuffer, table);
  EXPECT_EQ(Model().afSetBuffers[0], table);
  EXPECT_FALSE(screen->Button(1012)->isEnabled());
  EXPECT_EQ(screen->Grid(2)->CellText(0), QStringLiteral("+3"));
}

TEST_F(LimiterAfScreensTest, NoAdjustmentThenWriteErasesTheCurrentSetsTables) {
  ConnectLens();
  // Zones that reach only half of each row: the bytes beyond them are cleared as well.
  for (update::CLensUpdateInfoData* info : {&Model().LensInfo(), &run_->State().currentDevice}) {
    info->scaleRatios = {4, 4, 4, 4};
    info->zoomRatios = {4, 4, 4, 4};
  }
  CCstmAFFocusDialog* screen = OpenAf();
  const std::vector<std::uint8_t> before = demo_->Device().AfArea();
  // Declined, nothing changes.
  Click(screen->Button(1011));
  EXPECT_THAT(asked_, ::testing::ElementsAre(CCustomScreen::kKindResetQuestion));
  EXPECT_EQ(Model().afEditBuffer, TableIn(before, kTablePlace));

  answers_[CCustomScreen::kKindResetQuestion] = kResultYes;
  Click(screen->Button(1011));
  EXPECT_EQ(Model().afEditBuffer, lens::LensSettingsModel::FilledTable());
  EXPECT_EQ(screen->Grid(1)->CellText(2), QStringLiteral("0"));
  EXPECT_FALSE(screen->Slider()->isEnabled());
  answers_[CCustomScreen::kKindWriteQuestion] = CCustomScreen::kResultWrite;
  Click(screen->Button(1012));
  EXPECT_EQ(demo_->Device().AfArea(), WithTable(before, lens::LensSettingsModel::FilledTable()));
}

TEST_F(LimiterAfScreensTest, AfBackAsksAboutUnsavedCellsAndDropsThemWhenLeaving) {
  ConnectLens();
  UseEvenZones();
  CCstmAFFocusDialog* screen = OpenAf();
  const lens::AfTable lensTable = Model().afEditBuffer;
  QTest::mouseClick(screen->Grid(1), Qt::LeftButton, {}, CAFAdjustGrid::HeaderCell(1).center());
  QTest::mouseClick(screen->Spin(), Qt::LeftButton, {}, QPoint(4, 10));
  ASSERT_NE(Model().afEditBuffer, lensTable);
  // Declined (answer 14): the screen and the edit stay.
  Click(screen->Button(1010));
  EXPECT_EQ(Current(), lens::kScreenAfFocus);
  EXPECT_NE(Model().afEditBuffer, lensTable);
  answers_[CCustomScreen::kKindDiscardQuestion] = kResultYes;
  Click(screen->Button(1010));
  EXPECT_EQ(Current(), lens::kScreenCustomMenu);
  EXPECT_EQ(Model().afEditBuffer, lensTable);
  EXPECT_THAT(asked_, ::testing::ElementsAre(CCustomScreen::kKindDiscardQuestion, CCustomScreen::kKindDiscardQuestion));
}

}  // namespace
}  // namespace cbx::ui
