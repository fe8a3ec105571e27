// The real window in demo mode: a virtual lens dock inside the program and a loopback server
// serving the sample server tree.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "WindowFixture.h"
#include "ui/CMainDialogBar.h"
#include "ui/screens/CHomeMainDialog.h"

namespace cbx::ui {
namespace {

using ::testing::HasSubstr;
using test::WaitUntil;

class MainWindowTest : public test::WindowTest {
 protected:
  CHomeMainDialog* LensHome() const { return static_cast<CHomeMainDialog*>(frame_->HomeView()->Screen(0)); }
};

TEST_F(MainWindowTest, MountedLensShowsItsHomeAndUnpluggingReturnsToTheStart) {
  EXPECT_FALSE(frame_->TopBar()->DockConnected());
  EXPECT_EQ(frame_->HomeView()->CurrentScreen(), -1);
  Screenshot("start-screen");
  StartMonitoring();
  ASSERT_TRUE(WaitUntil([&] { return frame_->HomeView()->CurrentScreen() == 0 && LensHome()->isVisible(); }));
  ASSERT_TRUE(WaitUntil([&] { return LensHome()->InformationText().contains(QStringLiteral("S/N 12345678")); }));
  EXPECT_THAT(LensHome()->InformationText().toStdString(), HasSubstr("1.02"));
  EXPECT_TRUE(frame_->TopBar()->DockConnected());
  EXPECT_FALSE(frame_->TopBar()->Title().isEmpty());
  // The newer program was announced and the lens's update offered; both declined.
  EXPECT_THAT(asked_, ::testing::ElementsAre(27, 11));
  Screenshot("lens-home");

  demo_->Device().Unplug();
  ASSERT_TRUE(WaitUntil([&] { return frame_->HomeView()->CurrentScreen() == -1 && !frame_->TopBar()->DockConnected(); }));
  EXPECT_TRUE(frame_->HomeView()->Screen(-1)->isVisible());
}

TEST_F(MainWindowTest, UpdateFromTheLensHomeKeepsTheWindowAlive) {
  answers_[11] = kResultYes;
  answers_[12] = 22;
  StartMonitoring();
  ASSERT_TRUE(WaitUntil([&] { return run_->State().currentDevice.rawVersion == "1.03.0412.1"; }, 20000));
  ASSERT_TRUE(WaitUntil([&] { return frame_->HomeView()->CurrentScreen() == 0; }));
  EXPECT_THAT(LensHome()->InformationText().toStdString(), HasSubstr("1.03"));
}

}  // namespace
}  // namespace cbx::ui
