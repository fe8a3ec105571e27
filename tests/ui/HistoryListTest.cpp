// The history list of the real window: separator rows between categories, the display path
// and the delete button.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QTest>

#include "WindowFixture.h"
#include "ui/CLensHistoryView.h"
#include "ui/CMainDialogBar.h"
#include "ui/controls/CLHScrollBarBase.h"

namespace cbx::ui {
namespace {

using test::WaitUntil;

class HistoryListTest : public test::WindowTest {
 protected:
  // Devices met on earlier runs: two lenses and a flash unit, none of them connected.
  void SeedHistory() {
    const std::tuple<const char*, const char*, int> devices[] = {
        {"ORVANE 24-70mm F2.8 Zoom", "11111111", 0}, {"ORVANE 85mm F1.4 Prime", "22222222", 0},
        {"ORVANE FL-60 Flash", "33333333", 2}};
    for (const auto& [name, serial, category] : devices) {
      update::CLensUpdateInfoData record;
      record.productName = name;
      record.serialNumber = serial;
      record.productCodeText = category == 2 ? "F31" : "4A1";
      record.deviceCategory = category;
      record.MountName = "KV Mount";
      run_->State().lensHistory.AddOrReplace(record);
    }
    List()->Fill();
  }
  CLensHistoryView* List() const { return frame_->HistoryView(); }
  // A click on the list itself, inside the view.
  void ClickAt(const QPoint& p) {
    QTest::mouseMove(List()->List(), p);
    QTest::mouseClick(List()->List(), Qt::LeftButton, {}, p);
  }
};

TEST_F(HistoryListTest, SeparatesCategoriesAndShowsAPickedDevice) {
  SeedHistory();
  ASSERT_EQ(List()->RowCount(), 4);
  EXPECT_TRUE(List()->IsSeparator(2));
  EXPECT_EQ(List()->RecordIndexOf(3), 2);
  EXPECT_FALSE(List()->ScrollBarActive());

  // A click on the separator does nothing; one on the flash shows its home.
  ClickAt(List()->RowRect(2).center());
  EXPECT_EQ(frame_->HomeView()->CurrentScreen(), -1);
  ClickAt(List()->RowRect(3).center() - QPoint(40, 0));
  EXPECT_EQ(frame_->HomeView()->CurrentScreen(), 10);
  EXPECT_EQ(run_->State().shownDevice.serialNumber, "33333333");
  EXPECT_EQ(frame_->TopBar()->Title(), QStringLiteral("ORVANE FL-60 Flash"));
  EXPECT_EQ(List()->DisplayedRow(), 3);
  Screenshot("history-list");
}

TEST_F(HistoryListTest, DeletingTheShownDeviceReturnsToTheStartScreen) {
  SeedHistory();
  ClickAt(List()->RowRect(3).center() - QPoint(40, 0));
  ASSERT_EQ(frame_->HomeView()->CurrentScreen(), 10);
  // Declined first: nothing changes.
  ClickAt(List()->DeleteButtonRect(3).center());
  EXPECT_EQ(List()->RowCount(), 4);
  answers_[16] = kResultYes;
  ClickAt(List()->DeleteButtonRect(3).center());
  EXPECT_THAT(asked_, ::testing::ElementsAre(16, 16));
  // The flash and the separator before it are gone; the title and the screen are reset.
  EXPECT_EQ(List()->RowCount(), 2);
  EXPECT_EQ(run_->State().lensHistory.Size(), 2);
  EXPECT_EQ(frame_->HomeView()->CurrentScreen(), -1);
  EXPECT_TRUE(frame_->TopBar()->Title().isEmpty());
  EXPECT_EQ(List()->DisplayedRow(), -1);
}

TEST_F(HistoryListTest, ConnectedDeviceIsMarkedAndOffersNoDelete) {
  SeedHistory();
  StartMonitoring();
  // The connected zoom lens joins the history (its serial is new) and is marked.
  ASSERT_TRUE(WaitUntil([&] { return List()->ConnectedRow() >= 0; }));
  EXPECT_EQ(List()->RowCount(), 5);
  const int connected = List()->ConnectedRow();
  EXPECT_EQ(run_->State().lensHistory.GetAt(List()->RecordIndexOf(connected)).serialNumber, "12345678");
  asked_.clear();
  ClickAt(List()->DeleteButtonRect(connected).center());
  EXPECT_TRUE(asked_.empty());
  EXPECT_EQ(List()->RowCount(), 5);
}

TEST_F(HistoryListTest, ScrollBarTurnsActiveWhenTheRowsNoLongerFit) {
  EXPECT_FALSE(List()->ScrollBar()->isVisibleTo(List()));
  EXPECT_EQ(List()->ListWidth(), 260);
  SeedHistory();
  EXPECT_TRUE(List()->ScrollBar()->isVisibleTo(List()));
  EXPECT_FALSE(List()->ScrollBar()->Active());
  EXPECT_EQ(List()->ListWidth(), 241);
  for (int i = 0; i < 25; ++i) {
    update::CLensUpdateInfoData record;
    record.productName = "Lens " + std::to_string(i);
    record.serialNumber = std::to_string(50000000 + i);
    record.productCodeText = "4A1";
    run_->State().lensHistory.AddOrReplace(record);
  }
  List()->Fill();
  ASSERT_TRUE(List()->ScrollBar()->Active());
  // The down arrow scrolls one row; dragging the thumb moves by whole rows.
  CLHScrollBarBase* bar = List()->ScrollBar();
  const QPoint down(9, bar->height() - 9);
  QTest::mousePress(bar, Qt::LeftButton, {}, down);
  QTest::mouseRelease(bar, Qt::LeftButton, {}, down);
  EXPECT_EQ(List()->FirstRow(), 1);
  const QPoint thumb = bar->ThumbRect().center();
  QTest::mousePress(bar, Qt::LeftButton, {}, thumb);
  QTest::mouseMove(bar, thumb + QPoint(0, 400));
  QTest::mouseRelease(bar, Qt::LeftButton, {}, thumb + QPoint(0, 400));
  EXPECT_EQ(List()->FirstRow(), List()->RowCount() - 450 / CLensHistoryView::kRowHeight);
}

}  // namespace
}  // namespace cbx::ui
