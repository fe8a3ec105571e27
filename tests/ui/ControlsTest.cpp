// The control kit's button: its pictures by state, its label and its styles.
#include <gtest/gtest.h>

#include <QPainter>
#include <QTest>

#include "ui/Theme.h"
#include "ui/controls/CBasicButton.h"
#include "ui/controls/CProgressBarBase.h"
#include "ui/controls/CSpinBase.h"
#include "ui/controls/CTrackBarBase.h"
#include "UiTestSupport.h"

#include <QSignalSpy>

namespace cbx::ui {
namespace {

TextItem Label(const char* text) {
  TextItem item;
  item.text = QString::fromUtf8(text);
  item.font = QFont(QStringLiteral("DejaVu Sans"), 10);
  return item;
}

// The first column from the left that holds a drawn pixel, or -1.
int FirstInkColumn(const QImage& image) {
  for (int x = 0; x < image.width(); ++x)
    for (int y = 0; y < image.height(); ++y)
      if (qAlpha(image.pixel(x, y)) > 0) return x;
  return -1;
}

TEST(TextItem, SingleLineTooWideForItsPlaceIsDrawnFromTheLeft) {
  const auto render = [](const char* text) {
    QImage image(120, 20, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    DrawTextItem(p, image.rect(), Label(text), 37);
    return image;
  };
  EXPECT_GT(FirstInkColumn(render("OK")), 40);
  EXPECT_LT(FirstInkColumn(render("A label far too wide for its little place")), 4);
}

TEST(BasicButton, StylesGiveTheirSizesAndEveryPictureExists) {
  const QSize sizes[] = {{165, 28}, {145, 28}, {315, 28}, {199, 64}, {199, 64}, {199, 64}};
  for (int style = 0; style <= 5; ++style) {
    const CBasicButton button(style, Label("OK"), 37, nullptr);
    EXPECT_EQ(button.size(), sizes[style]) << style;
  }
  for (const int id : {434, 435, 436, 437, 439, 440, 441, 442, 443, 444, 445, 446, 447, 449, 450, 451, 452, 453,
                       454, 455, 456, 457, 458, 459, 460, 461, 462, 463, 464, 465, 466, 467, 468, 469, 473, 474}) {
    EXPECT_FALSE(Png(id).isNull()) << id;
  }
  EXPECT_EQ(Png(459).size(), QSize(10, 28));
  EXPECT_EQ(Png(449).size(), QSize(30, 64));
}

TEST(BasicButton, TallButtonWrapsALabelTooWideForOneLine) {
  const CBasicButton narrow(3, Label("Update"), 37, nullptr);
  EXPECT_EQ(narrow.LabelFormat(), 37u);
  const CBasicButton wide(3, Label("Check the firmware of the mounted lens for updates now"), 37, nullptr);
  EXPECT_EQ(wide.LabelFormat(), 17u);
  EXPECT_EQ(wide.LabelRect().left(), 4);
}

TEST(BasicButton, DisabledLooksNormalWithAGreyLabelAndAClickShowsThePressedPicture) {
  CBasicButton button(1, Label("OK"), 37, nullptr);
  button.setEnabled(false);
  EXPECT_EQ(button.CurrentLook(), CBasicButton::Look::kNormal);
  EXPECT_EQ(button.LabelColor(), FromBgr(0x737373));
  button.setEnabled(true);
  button.show();
  CBasicButton::Look duringClick = CBasicButton::Look::kNormal;
  QObject::connect(&button, &CBasicButton::clicked, [&] { duringClick = button.CurrentLook(); });
  QTest::mouseClick(&button, Qt::LeftButton);
  EXPECT_EQ(duringClick, CBasicButton::Look::kPressed);
  EXPECT_EQ(button.CurrentLook(), CBasicButton::Look::kNormal);
}

TEST(ProgressBar, FillFollowsThePositionInsideItsRange) {
  CProgressBarBase bar(nullptr);
  bar.SetRange(0, 200);
  EXPECT_EQ(bar.FilledWidth(), 0);
  EXPECT_EQ(bar.SetPosition(100), 0);
  EXPECT_EQ(bar.FilledWidth(), 185);
  // Beyond the maximum: a full bar, and the previous position comes back.
  EXPECT_EQ(bar.SetPosition(999), 100);
  EXPECT_EQ(bar.Position(), 200);
  EXPECT_EQ(bar.FilledWidth(), 370);
}

TEST(TrackBar, LabelScalesThePositionAndADoublePressIsIgnored) {
  CTrackBarBase slider(nullptr);
  slider.SetPosition(5);
  EXPECT_EQ(slider.LabelText(), QStringLiteral("0.5"));
  slider.show();
  QSignalSpy changed(&slider, &CTrackBarBase::TrackChanged);
  const QPoint right(slider.TrackRect().right() - 5, 20);
  QTest::mousePress(&slider, Qt::LeftButton, {}, right);
  QTest::mouseRelease(&slider, Qt::LeftButton, {}, right);
  ASSERT_EQ(changed.count(), 1);
  const int after = slider.Position();
  EXPECT_GT(after, 5);
  // Again at once: taken for a double press, nothing moves and nothing is told.
  QTest::mousePress(&slider, Qt::LeftButton, {}, QPoint(slider.TrackRect().left() + 5, 20));
  QTest::mouseRelease(&slider, Qt::LeftButton, {}, QPoint(slider.TrackRect().left() + 5, 20));
  EXPECT_EQ(changed.count(), 1);
  EXPECT_EQ(slider.Position(), after);
}

TEST(TrackBar, DraggingFarOffTheSliderPutsTheThumbBack) {
  CTrackBarBase slider(nullptr);
  slider.show();
  const QPoint thumb = slider.ThumbRect().center();
  QTest::mousePress(&slider, Qt::LeftButton, {}, thumb);
  QTest::mouseMove(&slider, thumb + QPoint(60, 0));
  EXPECT_GT(slider.Position(), 0);
  QTest::mouseMove(&slider, thumb + QPoint(60, 40));
  EXPECT_EQ(slider.Position(), 0);
  QTest::mouseRelease(&slider, Qt::LeftButton, {}, thumb + QPoint(60, 40));
}

TEST(SpinControl, HeldButtonStepsOnceThenAfterHalfASecondThenQuicklyUpToTheEnd) {
  CSpinBase spin(nullptr);
  spin.SetRange(0, 20);
  spin.SetValue(0);
  EXPECT_EQ(spin.ValueText(), QStringLiteral("0"));
  spin.show();
  const QPoint plus(84, 10);
  QTest::mousePress(&spin, Qt::LeftButton, {}, plus);
  EXPECT_EQ(spin.Value(), 1);
  EXPECT_EQ(spin.ValueText(), QStringLiteral("+1"));
  QTest::qWait(300);
  EXPECT_EQ(spin.Value(), 1);
  EXPECT_TRUE(test::WaitUntil([&] { return spin.Value() == 20; }, 3000));
  QTest::qWait(50);
  EXPECT_EQ(spin.Value(), 20);
  QTest::mouseRelease(&spin, Qt::LeftButton, {}, plus);
  // Holding the no-value marker, the control ignores presses.
  spin.SetValue(CSpinBase::kNoValue);
  QTest::mouseClick(&spin, Qt::LeftButton, {}, plus);
  EXPECT_EQ(spin.Value(), CSpinBase::kNoValue);
}

}  // namespace
}  // namespace cbx::ui
