// The customisation screens against the demo's virtual zoom lens: what they show, what their
// buttons offer, and exactly which bytes of the lens a write changes.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QTest>

#include "WindowFixture.h"
#include "cli/RunCli.h"
#include "lens/EmcTest.h"
#include "support/DockSim.h"
#include "ui/CEmcTestDlg.h"
#include "ui/controls/CAFAdjustGrid.h"
#include "ui/screens/CCstmAFFocusDialog.h"
#include "ui/CLensHistoryView.h"
#include "ui/controls/CBasicButton.h"
#include "ui/controls/CSpinBase.h"
#include "ui/screens/CCstmAFFunctionSetDialog.h"
#include "ui/screens/CCstmChoiceDialog.h"
#include "ui/screens/CCstmMainDialog.h"
#include "ui/screens/CCstmMSSensDialog.h"
#include "ui/screens/CCstmManualDialog.h"
#include "ui/screens/CCstmSelDetailsDialog.h"
#include "ui/screens/CCstmSelModeDialog.h"
#include "ui/screens/CHomeMainDialog.h"

namespace cbx::ui {
namespace {

using test::WaitUntil;

class CustomScreensTest : public test::WindowTest {
 protected:
  template <class Screen>
  Screen* At(int id) const {
    return static_cast<Screen*>(frame_->HomeView()->Screen(id));
  }
  int Current() const { return frame_->HomeView()->CurrentScreen(); }
  // The lens identified, its settings read and its customisation offered.
  void ConnectLens() {
    StartMonitoring();
    auto* home = At<CHomeMainDialog>(0);
    ASSERT_TRUE(WaitUntil([&] { return Current() == 0 && home->SecondButton()->isEnabled(); }, 20000));
    ASSERT_FALSE(run_->Model().CsImage.empty());
    asked_.clear();
  }
  static CBasicButton* Back(QWidget* screen) {
    for (auto* b : screen->findChildren<CBasicButton*>())
      if (b->text() == QStringLiteral("Back")) return b;
    return nullptr;
  }
  void Click(CBasicButton* button) {
    ASSERT_NE(button, nullptr);
    ASSERT_TRUE(button->isEnabled());
    button->click();
  }
  // Lens home -> menu -> mode choice -> overview of the mode.
  void OpenMode(int mode) {
    Click(At<CHomeMainDialog>(0)->SecondButton());
    ASSERT_EQ(Current(), 1);
    Screenshot("customisation-menu");
    Click(At<CCstmMainDialog>(1)->Button(1008));
    ASSERT_EQ(Current(), 3);
    Click(At<CCstmSelModeDialog>(3)->ModeButton(mode));
    ASSERT_EQ(Current(), 4);
  }
  // Byte positions of every CS record place in the lens's area.
  std::vector<std::size_t> CsPlaces() const {
    const auto& lens = run_->Model().LensInfo();
    std::vector<std::size_t> places;
    for (std::size_t j = 0; j < lens.cs0List.index.size(); ++j) {
      const auto block = static_cast<std::size_t>(lens.cs0List.index[j]);
      places.push_back(static_cast<std::size_t>(lens.csMap.start[block]) * 32 + lens.cs0List.offset[j]);
    }
    return places;
  }
  // Positions where two memory images differ.
  static std::vector<std::size_t> Changed(const std::vector<std::uint8_t>& before, const std::vector<std::uint8_t>& after) {
    std::vector<std::size_t> at;
    for (std::size_t i = 0; i < before.size() && i < after.size(); ++i)
      if (before[i] != after[i]) at.push_back(i);
    return at;
  }
};

TEST_F(CustomScreensTest, Mode2AfSpeedWrittenFromTheOverviewChangesOnlyItsByte) {
  answers_[12] = 22;  // write
  ConnectLens();
  OpenMode(2);
  auto* details = At<CCstmSelDetailsDialog>(4);
  EXPECT_EQ(details->Line(0), QStringLiteral("Custom Mode C2"));
  EXPECT_FALSE(details->Button(1020)->isEnabled());
  Click(details->Button(1016));
  ASSERT_EQ(Current(), 5);
  auto* speed = At<CCstmAFSpeedDialog>(5);
  EXPECT_EQ(speed->SelectedChoice(), 0);  // the lens holds speed priority
  Click(speed->Choice(2));               // quality priority
  Screenshot("af-speed");
  Back(speed)->click();  // Back: no question
  ASSERT_EQ(Current(), 4);
  EXPECT_THAT(details->Line(1).toStdString(), ::testing::HasSubstr("Smooth"));

  const std::vector<std::uint8_t> before = demo_->Device().AfArea();
  Click(details->Button(1020));
  const std::vector<std::uint8_t> after = demo_->Device().AfArea();
  std::vector<std::size_t> expected;
  for (std::size_t place : CsPlaces()) expected.push_back(place + 4);
  EXPECT_EQ(Changed(before, after), expected);
  for (std::size_t at : expected) EXPECT_EQ(after[at], 0xFD);
  EXPECT_FALSE(details->Button(1020)->isEnabled());
  EXPECT_THAT(asked_, ::testing::ElementsAre(12, 2));
}

// The command line and the screens make the same edit of the same lens: the lenses end up
// holding the same bytes.
TEST_F(CustomScreensTest, CommandLineWritesWhatTheScreensWrite) {
  answers_[12] = 22;
  ConnectLens();
  const std::vector<std::uint8_t> original = demo_->Device().AfArea();
  // Mode 2's AF speed to quality priority, written from the overview.
  OpenMode(2);
  auto* details = At<CCstmSelDetailsDialog>(4);
  Click(details->Button(1016));
  At<CCstmAFSpeedDialog>(5)->Choice(2)->click();
  Back(At<CCstmAFSpeedDialog>(5))->click();
  Click(details->Button(1020));
  // Manual override level 3.
  frame_->HomeView()->ShowScreen(1);
  Click(At<CCstmMainDialog>(1)->Button(1104));
  auto* manual = At<CCstmManualDialog>(8);
  const QPoint minus(9, 10), plus(84, 10);
  for (int i = 0; i < 15 && manual->Spin()->Value() > 3; ++i) QTest::mouseClick(manual->Spin(), Qt::LeftButton, {}, minus);
  Click(manual->Button(1101));
  // Grid 1's leftmost cell to +5.
  frame_->HomeView()->ShowScreen(1);
  Click(At<CCstmMainDialog>(1)->Button(1007));
  auto* af = At<CCstmAFFocusDialog>(2);
  QTest::mouseClick(af->Grid(1), Qt::LeftButton, {}, CAFAdjustGrid::HeaderCell(0).center());
  for (int i = 0; i < 40 && af->Spin()->Value() < 5; ++i) QTest::mouseClick(af->Spin(), Qt::LeftButton, {}, plus);
  for (int i = 0; i < 40 && af->Spin()->Value() > 5; ++i) QTest::mouseClick(af->Spin(), Qt::LeftButton, {}, minus);
  Click(af->Button(1012));
  const std::vector<std::uint8_t> screens = demo_->Device().AfArea();

  cbx::test::DockSim sim(CALIBRIX_DOCK_SIM, "zoom-lens-dock");
  ASSERT_FALSE(sim.Device().empty());
  const auto result = cbx::test::RunCli(
      "", {"settings", "set", "--device", sim.Device(), "--product-info",
           CALIBRIX_SOURCE_DIR "/demo/server/4A1/KV/0123/1.03.ini", "--mode", "2", "--af-speed", "quality",
           "--manual-override-level", "3", "--af-cell", "1:0=5"});
  ASSERT_EQ(result.exitCode, 0) << result.out;
  const std::vector<std::uint8_t> cli = sim.Memory("af");
  EXPECT_EQ(cli, screens);
  EXPECT_NE(screens, original);
}

TEST_F(CustomScreensTest, BackFromTheOverviewAsksBeforeDroppingAnEdit) {
  ConnectLens();
  OpenMode(2);
  auto* details = At<CCstmSelDetailsDialog>(4);
  const std::uint32_t lensGroup = run_->Model().mode2Group;
  Screenshot("custom-mode-details");
  // The choice screens and the limiter go back to the overview without a question.
  for (int control : {1016, 1017, 1021}) {
    Click(details->Button(control));
    ASSERT_NE(Current(), 4);
    auto* screen = frame_->HomeView()->Screen(Current());
    if (Current() != 6) Screenshot(Current() == 5 ? "af-speed" : "os-mode");
    if (auto* choice = dynamic_cast<CCstmChoiceDialog*>(screen)) choice->Choice(2)->click();
    Back(screen)->click();
    ASSERT_EQ(Current(), 4);
  }
  EXPECT_TRUE(asked_.empty());
  ASSERT_NE(run_->Model().mode2Group, lensGroup);

  answers_[25] = kResultNo;  // stay
  Click(details->Button(1019));
  EXPECT_EQ(Current(), 4);
  answers_[25] = kResultYes;  // drop the edit
  Click(details->Button(1019));
  EXPECT_EQ(Current(), 3);
  EXPECT_EQ(run_->Model().mode2Group, lensGroup);
  EXPECT_THAT(asked_, ::testing::ElementsAre(25, 25));
  Screenshot("custom-mode-choice");
}

TEST_F(CustomScreensTest, ManualOverrideOffWritesTheSwitchByteEverywhere) {
  answers_[12] = 22;
  ConnectLens();
  Click(At<CHomeMainDialog>(0)->SecondButton());
  Click(At<CCstmMainDialog>(1)->Button(1104));
  ASSERT_EQ(Current(), 8);
  auto* manual = At<CCstmManualDialog>(8);
  // The lens holds "on" at level 8.
  EXPECT_TRUE(manual->UseSelected());
  EXPECT_EQ(manual->Spin()->Value(), 8);
  EXPECT_FALSE(manual->Button(1101)->isEnabled());
  Screenshot("manual-override");
  Click(manual->Button(1100));
  EXPECT_FALSE(manual->Spin()->isEnabled());
  EXPECT_FALSE(manual->Button(1102)->isEnabled());
  const std::vector<std::uint8_t> before = demo_->Device().AfArea();
  Click(manual->Button(1101));
  const std::vector<std::uint8_t> after = demo_->Device().AfArea();
  std::vector<std::size_t> expected;
  for (std::size_t place : CsPlaces()) expected.push_back(place + 8);
  EXPECT_EQ(Changed(before, after), expected);
  for (std::size_t at : expected) EXPECT_EQ(after[at], 0xFF);
  EXPECT_FALSE(manual->UseSelected());
}

TEST_F(CustomScreensTest, LeavingAnEditedScreenByCloseOrHistoryAsksFirst) {
  ConnectLens();
  Click(At<CHomeMainDialog>(0)->SecondButton());
  Click(At<CCstmMainDialog>(1)->Button(1106));
  ASSERT_EQ(Current(), 11);
  auto* function = At<CCstmAFFunctionSetDialog>(11);
  Screenshot("af-function-button");
  Click(function->Button(function->AfOnSelected() ? 1114 : 1113));
  ASSERT_TRUE(function->Button(1110)->isEnabled());

  answers_[25] = kResultNo;
  EXPECT_FALSE(frame_->close());
  EXPECT_TRUE(frame_->isVisible());
  EXPECT_FALSE(frame_->HomeView()->LeaveShownScreen());
  EXPECT_TRUE(run_->Model().IsAfFunctionChanged());
  answers_[25] = kResultYes;
  EXPECT_TRUE(frame_->HomeView()->LeaveShownScreen());
  EXPECT_FALSE(run_->Model().IsAfFunctionChanged());
  EXPECT_THAT(asked_, ::testing::ElementsAre(25, 25, 25));
}

TEST_F(CustomScreensTest, MenuOffersWhatTheLensAllows) {
  ConnectLens();
  run_->State().emcTestEnabled = false;
  AppState& st = run_->State();
  st.currentDevice.FocusCtrl = 0;
  st.currentDevice.CustomSW = 0;
  frame_->HomeView()->ShowScreen(1);
  auto* menu = At<CCstmMainDialog>(1);
  EXPECT_FALSE(menu->Button(1010)->isEnabled());
  EXPECT_FALSE(menu->Button(1007)->isEnabled());
  EXPECT_FALSE(menu->Button(1008)->isEnabled());
  EXPECT_TRUE(menu->Button(1104)->isEnabled());
  EXPECT_FALSE(menu->Button(1050)->isVisible());
  // A disabled entry does nothing even when pressed.
  menu->Button(1008)->setEnabled(true);
  menu->Button(1008)->click();
  EXPECT_EQ(Current(), 1);
  // Without a lens nothing happens either.
  st.currentDevice = update::CLensUpdateInfoData{};
  menu->Button(1104)->click();
  EXPECT_EQ(Current(), 1);
}

// An EMC test that did not end with result 0 starts again when its menu is shown or the lens
// home comes back; a clean end stops that.
TEST_F(CustomScreensTest, EmcTestStartsAgainUntilItEndsCleanly) {
  ConnectLens();
  lens::EmcLoop::SetWaitMs(5);
  AppState& st = run_->State();
  st.emcTestEnabled = true;
  int shown = 0;
  ui_.onEmcTestShown = [&](CEmcTestDlg* dialog) {
    ++shown;
    QTimer::singleShot(20, dialog, [dialog] { dialog->CancelButton()->click(); });
  };
  st.emcRunning = true;
  frame_->HomeView()->ShowScreen(1);
  EXPECT_EQ(shown, 1);
  EXPECT_FALSE(st.emcRunning);
  frame_->HomeView()->ShowScreen(1);
  EXPECT_EQ(shown, 1);

  st.emcRunning = true;  // as after a test the device broke off
  frame_->HomeView()->ShowScreen(0);
  ASSERT_TRUE(WaitUntil([&] { return shown == 2; }));
  EXPECT_EQ(Current(), 1);
  // The menu's own button, shown only in EMC mode.
  auto* emc = At<CCstmMainDialog>(1)->Button(1050);
  ASSERT_TRUE(emc->isVisible());
  Click(emc);
  EXPECT_EQ(shown, 3);
  EXPECT_FALSE(st.emcRunning);
  lens::EmcLoop::SetWaitMs(3000);
}

}  // namespace
}  // namespace cbx::ui

namespace cbx::ui {
namespace {

class MlMountScreensTest : public CustomScreensTest {
 protected:
  std::string Profile() const override { return "ml-mount-lens"; }
};

TEST_F(MlMountScreensTest, MfSensitivityWriteCountsTheWrite) {
  answers_[12] = 22;
  ConnectLens();
  Click(At<CHomeMainDialog>(0)->SecondButton());
  ASSERT_EQ(Current(), 12);
  Screenshot("mf-sensitivity-menu");
  auto* menu = At<CCstmMSSensDialog>(12);
  EXPECT_TRUE(menu->Button(1133)->isEnabled());
  Click(menu->Button(1121));
  ASSERT_EQ(Current(), 13);
  auto* sensitivity = At<CCstmSelMFSensDialog>(13);
  EXPECT_EQ(sensitivity->SelectedChoice(), 1);  // normal
  EXPECT_FALSE(sensitivity->WriteButton()->isEnabled());
  Click(sensitivity->Choice(2));  // fast
  Screenshot("mf-sensitivity");
  const std::vector<std::uint8_t> before = demo_->Device().CsArea();
  Click(sensitivity->WriteButton());
  const std::vector<std::uint8_t> after = demo_->Device().CsArea();
  // Four writes so far, and fast.
  EXPECT_EQ(Changed(before, after), (std::vector<std::size_t>{0, 2}));
  EXPECT_EQ(after[0], 0xFB);
  EXPECT_EQ(after[2], 0xFD);
  EXPECT_EQ(lens::WriteCount(run_->Model().writeCounter), 4);
  EXPECT_FALSE(sensitivity->WriteButton()->isEnabled());
}

}  // namespace
}  // namespace cbx::ui
