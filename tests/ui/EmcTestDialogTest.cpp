// The EMC test dialog: it shows what the loop shows, its cancel button asks the loop to
// stop, and only the loop's end closes it.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QTest>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <thread>

#include "support/ShippedTexts.h"
#include "ui/CEmcTestDlg.h"
#include "ui/controls/CBasicButton.h"
#include "ui/controls/CProgressBarBase.h"

namespace cbx::ui {
namespace {

TEST(EmcTestDialog, CancelWaitsForTheStepUnderWayAndEndsWithTheLoopsResult) {
  const TextTable texts = cbx::test::ShippedTexts();
  EmcControl control;
  CEmcTestDlg dialog(texts, control, nullptr);
  EXPECT_EQ(dialog.windowTitle(), Text(texts, 10));
  std::atomic<bool> stepFinished{false};
  bool barShown = false, openWhileFinishing = false;
  QString statusWhileFinishing;
  // What a user does, step by step from the dialog's own loop: wait for the loop's status,
  // press cancel, look again while the loop finishes its step.
  QElapsedTimer sinceCancel;
  QTimer user;
  QObject::connect(&user, &QTimer::timeout, &dialog, [&] {
    if (!sinceCancel.isValid()) {
      if (dialog.StatusText() != QString::fromUtf8(kEmcStatusWaiting)) return;
      barShown = dialog.Bar()->Position() == 3;
      QTest::mouseClick(dialog.CancelButton(), Qt::LeftButton);
      sinceCancel.start();
    } else if (sinceCancel.elapsed() >= 100 && statusWhileFinishing.isEmpty()) {
      openWhileFinishing = dialog.isVisible() && !stepFinished;
      statusWhileFinishing = dialog.StatusText();
    }
  });
  user.start(10);
  const int result = dialog.RunLoop([&] {
    control.SetProgress(0, 10, 3);
    control.SetStatus(kEmcStatusWaiting);
    // Bounded, so a dialog that never offers the cancel fails the test rather than hangs it.
    for (int i = 0; i < 1000 && !control.CancelRequested(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    // The step under way completes; what it shows now stays behind the cancelling text.
    control.SetStatus(kEmcStatusWaiting);
    std::this_thread::sleep_for(std::chrono::milliseconds(400));
    stepFinished = true;
    return 0;
  });
  EXPECT_EQ(result, 0);
  EXPECT_TRUE(barShown);
  EXPECT_TRUE(openWhileFinishing);
  EXPECT_EQ(statusWhileFinishing, QString::fromUtf8(kEmcStatusCancelling));
  EXPECT_FALSE(dialog.isVisible());
}

}  // namespace
}  // namespace cbx::ui
