// The real window in demo mode: a virtual lens dock inside the program and a loopback server
// serving the sample server tree.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <iostream>

#include "WindowFixture.h"
#include "ui/CMainDialogBar.h"
#include "sim/DeviceProfile.h"
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
  EXPECT_THAT(LensHome()->InformationText().toStdString(), HasSubstr("KV Mount"));
  // The product picture the check downloaded.
  EXPECT_TRUE(LensHome()->HasPicture());
  EXPECT_TRUE(frame_->TopBar()->DockConnected());
  EXPECT_FALSE(frame_->TopBar()->Title().isEmpty());
  // The newer program was announced and the lens's update offered; both declined.
  EXPECT_THAT(asked_, ::testing::ElementsAre(27, 11));
  Screenshot("lens-home");

  demo_->Device().Unplug();
  ASSERT_TRUE(WaitUntil([&] { return frame_->HomeView()->CurrentScreen() == -1 && !frame_->TopBar()->DockConnected(); }));
  EXPECT_TRUE(frame_->HomeView()->Screen(-1)->isVisible());
}

TEST_F(MainWindowTest, DemoDeviceBecomingAFlashUnitShowsTheFlashHome) {
  StartMonitoring();
  ASSERT_TRUE(WaitUntil([&] { return frame_->HomeView()->CurrentScreen() == 0; }));
  demo_->Device().Swap(sim::LoadProfile(CALIBRIX_SOURCE_DIR "/demo/devices/flash-unit.json"));
  ASSERT_TRUE(WaitUntil([&] { return frame_->HomeView()->CurrentScreen() == 10; }, 15000));
  EXPECT_TRUE(frame_->TopBar()->DockConnected());
  EXPECT_EQ(run_->Dock().deviceKind(), dock::DeviceKind::Flash);
}

TEST_F(MainWindowTest, FirmwareTransferNeverBlocksTheEventLoop) {
  answers_[11] = kResultYes;
  answers_[12] = 22;
  // A probe timer: the longest gap between two of its ticks while a transfer's progress
  // dialog is up is the longest the window went without handling events.
  QElapsedTimer clock;
  clock.start();
  qint64 last = -1, worst = 0;
  int ticksInTransfer = 0;
  QTimer probe;
  probe.setTimerType(Qt::PreciseTimer);
  QObject::connect(&probe, &QTimer::timeout, [&] {
    const bool inTransfer = qobject_cast<CProgressDialog*>(QApplication::activeModalWidget()) != nullptr;
    const qint64 now = clock.elapsed();
    if (inTransfer && last >= 0) {
      worst = std::max(worst, now - last);
      ++ticksInTransfer;
      if (ticksInTransfer == 20) Screenshot("progress-dialog", QApplication::activeModalWidget());
    }
    last = inTransfer ? now : -1;
  });
  probe.start(5);
  const auto answer = ui_.onMessageShown;
  ui_.onMessageShown = [&](CMessageDlg* dialog) {
    if (dialog->Kind() == 11) Screenshot("update-question", dialog);
    answer(dialog);
  };
  StartMonitoring();
  ASSERT_TRUE(WaitUntil([&] { return run_->State().currentDevice.rawVersion == "1.03.0412.1"; }, 20000));
  ASSERT_TRUE(WaitUntil([&] { return frame_->HomeView()->CurrentScreen() == 0; }));
  EXPECT_THAT(LensHome()->InformationText().toStdString(), HasSubstr("1.03"));
  EXPECT_GT(ticksInTransfer, 10);
  EXPECT_LT(worst, 100) << "ms without events during a transfer";
  std::cout << "longest gap of the event loop during transfers: " << worst << " ms over " << ticksInTransfer
            << " probe ticks\n";
}

}  // namespace
}  // namespace cbx::ui
