// The real main window of a demo run: a virtual device inside the program, a loopback
// server serving the sample server tree, and a front end whose questions a test answers.
#pragma once

#include <gtest/gtest.h>

#include <QTimer>
#include <cstdlib>
#include <map>

#include "support/TempDir.h"
#include "ui/CHomeView.h"
#include "ui/CMainFrame.h"
#include "ui/CMessageDlg.h"
#include "ui/DemoMode.h"
#include "ui/DeviceEvent.h"
#include "ui/QtSessionUi.h"
#include "ui/WorkerDialog.h"
#include "UiTestSupport.h"

namespace cbx::ui::test {

class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("XDG_DATA_HOME", (dir_ / "share").c_str(), 1);
    CUpdateCheckDialog::SetClosingDelayMs(10);
    demo_ = std::make_unique<DemoMode>(Profile(), CALIBRIX_SOURCE_DIR "/demo/server");
    run_ = std::make_unique<session::SessionRun>(demo_->Backend(), ui_, events_);
    run_->SetServerOverride(demo_->ServerUrl());
    ASSERT_EQ(run_->Start(), session::SessionRun::StartResult::kStarted);
    ui_.SetSession(run_->State(), run_->Texts());
    frame_ = std::make_unique<CMainFrame>(*run_, ui_);
    ui_.SetFrame(frame_.get());
    events_.SetReceiver(frame_.get());
    // Nobody is at the screen unless a test says otherwise: questions are declined,
    // notices acknowledged.
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
  virtual std::string Profile() const { return "zoom-lens-dock"; }
  void StartMonitoring() { events_.Post(Event{WM_START_MONITORING, 0, 0}); }
  // With CALIBRIX_SCREENSHOT_DIR set, the window as it is now goes into that folder.
  void Screenshot(const char* name, QWidget* widget = nullptr) {
    const char* folder = std::getenv("CALIBRIX_SCREENSHOT_DIR");
    if (folder == nullptr) return;
    (widget != nullptr ? widget : frame_.get())
        ->grab()
        .save(QString::fromUtf8(folder) + QStringLiteral("/") + QString::fromUtf8(name) + QStringLiteral(".png"));
  }

  cbx::test::TempDir dir_;
  std::unique_ptr<DemoMode> demo_;
  QtSessionUi ui_;
  QtEventSink events_{nullptr};
  std::unique_ptr<session::SessionRun> run_;
  std::unique_ptr<CMainFrame> frame_;
  std::map<int, int> answers_;
  std::vector<int> asked_;
};

}  // namespace cbx::ui::test
