// The about box, the licence viewer, the dock-information dialog and the File menu's rules.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QAction>
#include <QTest>
#include <fstream>

#include "WindowFixture.h"
#include "support/ShippedTexts.h"
#include "ui/CAboutDlg.h"
#include "ui/CLicenseDlg.h"
#include "ui/CMainDialogBar.h"
#include "ui/controls/CEditBase.h"
#include "ui/controls/CScrollBarBase.h"

#include <QScrollBar>

namespace cbx::ui {
namespace {

using test::WaitUntil;

TEST(AboutBox, AltVShowsTheFullVersion) {
  const TextTable texts = cbx::test::ShippedTexts();
  CAboutDlg about(texts, nullptr);
  EXPECT_EQ(about.VersionText(), QStringLiteral("Version 2.0.0"));
  QTest::keyClick(&about, Qt::Key_V, Qt::AltModifier);
  EXPECT_EQ(about.VersionText(), QStringLiteral("Version 2.0.0.0"));
}

TEST(LicenceViewer, ReadsAfterTheByteOrderMarkAndSaysWhenNothingCameIn) {
  const cbx::test::TempDir dir;
  const std::string utf16 = dir.Write("utf16.txt", std::string("\xFF\xFE" "A\0b\0\n\0C\0", 10));
  const std::string plain = dir.Write("plain.txt", "first\nsecond");
  EXPECT_EQ(CLicenseDlg::LoadLicenceText(QString::fromStdString(utf16)), QStringLiteral("Ab\r\nC\r\n"));
  EXPECT_EQ(CLicenseDlg::LoadLicenceText(QString::fromStdString(plain)), QStringLiteral("first\r\nsecond\r\n"));
  EXPECT_EQ(CLicenseDlg::LoadLicenceText(QString::fromStdString(dir / "missing.txt")),
            QStringLiteral("Loading files failed."));
  TextTable texts;
  // The shipped file lists the libraries the program uses.
  const CLicenseDlg viewer(texts, nullptr);
  EXPECT_TRUE(viewer.Content().contains(QStringLiteral("libarchive")));
}

TEST(LicenceViewer, TextAreaScrollsWithTheKitsScrollBar) {
  TextTable texts;
  CLicenseDlg viewer(texts, nullptr);
  viewer.show();
  CScrollBarBase* bar = viewer.TextArea()->ScrollBar();
  ASSERT_NE(bar, nullptr);
  EXPECT_EQ(bar->width(), 14);
  EXPECT_EQ(bar->geometry().left(), viewer.TextArea()->geometry().right() + 1);
  // The licences are longer than the area: a thumb shorter than the track, and the down
  // arrow moves the text by a line.
  EXPECT_LT(bar->ThumbRect().height(), bar->height() - 24);
  const int before = viewer.TextArea()->verticalScrollBar()->value();
  QTest::mousePress(bar, Qt::LeftButton, {}, QPoint(7, bar->height() - 6));
  QTest::mouseRelease(bar, Qt::LeftButton, {}, QPoint(7, bar->height() - 6));
  EXPECT_GT(viewer.TextArea()->verticalScrollBar()->value(), before);
}

class DockInformationTest : public test::WindowTest {};

TEST_F(DockInformationTest, MenuFollowsTheDeviceLinkAndDeviceLossClosesTheDialog) {
  frame_->RefreshMenu();
  EXPECT_FALSE(frame_->DockInformationAction()->isEnabled());
  EXPECT_TRUE(frame_->ImportAction()->isEnabled());
  StartMonitoring();
  ASSERT_TRUE(WaitUntil([&] { return frame_->HomeView()->CurrentScreen() == 0; }));
  frame_->RefreshMenu();
  EXPECT_TRUE(frame_->DockInformationAction()->isEnabled());
  EXPECT_FALSE(frame_->ImportAction()->isEnabled());

  // The dialog runs modally; pulling the device while it is open closes it.
  bool opened = false;
  QTimer::singleShot(100, [&] {
    opened = QApplication::activeModalWidget() != nullptr;
    demo_->Device().Unplug();
  });
  frame_->DockInformationAction()->trigger();
  EXPECT_TRUE(opened);
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
  EXPECT_FALSE(frame_->TopBar()->DockConnected());
  EXPECT_TRUE(run_->State().dialogEndable);
}

}  // namespace
}  // namespace cbx::ui
