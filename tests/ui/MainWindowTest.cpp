// The real window in demo mode: a virtual lens dock inside the program and a loopback server
// serving the sample server tree.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QTimer>
#include <cstdlib>
#include <map>

#include "support/TempDir.h"
#include "ui/CHomeView.h"
#include "ui/CMainDialogBar.h"
#include "ui/CMainFrame.h"
#include "ui/CMessageDlg.h"
#include "ui/DemoMode.h"
#include "ui/DeviceEvent.h"
#include "ui/QtSessionUi.h"
#include "ui/WorkerDialog.h"
#include "ui/screens/CHomeMainDialog.h"
#include "ui/screens/CHomeStartDialog.h"
#include "UiTestSupport.h"

namespace cbx::ui {
namespace {

using ::testing::HasSubstr;
using test::WaitUntil;

class MainWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("XDG_DATA_HOME", (dir_ / "share").c_str(), 1);
    CUpdateCheckDialog::SetClosingDelayMs(10);
    demo_ = std::make_unique<DemoMode>("zoom-lens-dock", CALIBRIX_SOURCE_DIR "/demo/server");
    run_ = std::make_unique<session::SessionRun>(demo_->Backend(), ui_, events_);
    run_->SetServerOverride(demo_->ServerUrl());
    ASSERT_EQ(run_->Start(), session::SessionRun::StartResult::kStarted);
    ui_.SetSession(run_->State(), run_->Texts());
    frame_ = std::make_unique<CMainFrame>(*run_, ui_);
    ui_.SetFrame(frame_.get());
    events_.SetReceiver(frame_.get());
    // Nobody is at the screen: every question is declined, every notice acknowledged.
    ui_.onMessageShown = [this](CMessageDlg* dialog) {
      asked_.push_back(dialog->Kind());
      const auto it = answers_.find(dialog->Kind());
      const int code = it != answers_.end() ? it->second : dialog->ResultOf(2) == 14 ? 14 : dialog->ResultOf(1);
      QTimer::singleShot(0, dialog, [dialog, code] { dialog->done(code); });
    };
    frame_->show();
  }
  void TearDown() override {
    run_->Finish();
    events_.SetReceiver(nullptr);
    ui_.SetFrame(nullptr);
    frame_.reset();
    run_.reset();
    unsetenv("XDG_DATA_HOME");
  }
  void StartMonitoring() { events_.Post(Event{WM_START_MONITORING, 0, 0}); }
  // With CALIBRIX_SCREENSHOT_DIR set, the window as it is now goes into that folder.
  void Screenshot(const char* name) {
    const char* folder = std::getenv("CALIBRIX_SCREENSHOT_DIR");
    if (folder == nullptr) return;
    frame_->grab().save(QString::fromUtf8(folder) + QStringLiteral("/") + QString::fromUtf8(name) + QStringLiteral(".png"));
  }
  CHomeMainDialog* LensHome() const { return static_cast<CHomeMainDialog*>(frame_->HomeView()->Screen(0)); }

  cbx::test::TempDir dir_;
  std::unique_ptr<DemoMode> demo_;
  QtSessionUi ui_;
  QtEventSink events_{nullptr};
  std::unique_ptr<session::SessionRun> run_;
  std::unique_ptr<CMainFrame> frame_;
  std::map<int, int> answers_;
  std::vector<int> asked_;
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
