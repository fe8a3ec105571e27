// CMessageDlg: the result of each button and of an end from outside, kind by kind.
#include <gtest/gtest.h>

#include <QTimer>

#include "support/ShippedTexts.h"
#include "ui/CMessageDlg.h"
#include "ui/controls/CBasicButton.h"

namespace cbx::ui {
namespace {

struct Press {
  int kind;
  int button;  // 1 OK, 2 Cancel, 1045, 1046; 0: ended from outside with Cancel
  int result;
};

class MessageDialogTest : public ::testing::TestWithParam<Press> {
 protected:
  static void SetUpTestSuite() { texts_ = cbx::test::ShippedTexts(); }
  static inline TextTable texts_;
};

TEST_P(MessageDialogTest, ReturnsTheCodeOfWhatEndedIt) {
  const Press& p = GetParam();
  CMessageDlg dialog(texts_, p.kind, QStringLiteral("1.02"), nullptr);
  QTimer::singleShot(0, &dialog, [&] {
    if (p.button == 0) {
      dialog.EndFromOutside(false);
    } else {
      ASSERT_NE(dialog.Button(p.button), nullptr);
      dialog.Button(p.button)->click();
    }
  });
  EXPECT_EQ(dialog.exec(), p.result);
}

INSTANTIATE_TEST_SUITE_P(Kinds, MessageDialogTest,
                         ::testing::Values(Press{12, 1045, 22}, Press{12, 1046, 23}, Press{12, 0, 14},
                                           Press{3, 2, 14}, Press{3, 1, 13}, Press{0, 1, 11}, Press{11, 0, 14},
                                           Press{4, 0, 12}, Press{14, 2, 12}));

TEST(MessageDialog, LayoutFollowsTheKind) {
  const TextTable texts = cbx::test::ShippedTexts();
  const CMessageDlg precautions(texts, 204, {}, nullptr);
  EXPECT_TRUE(precautions.IsTall());
  EXPECT_EQ(precautions.size(), QSize(417, 325));
  EXPECT_EQ(precautions.Button(1), nullptr);
  const CMessageDlg wait(texts, 4, QStringLiteral("Reading"), nullptr);
  EXPECT_EQ(wait.Button(1), nullptr);
  EXPECT_EQ(wait.Button(2), nullptr);
  EXPECT_EQ(wait.MessageText(), QStringLiteral("Reading"));
  // The version line fills text 3113 with the caller's version.
  const CMessageDlg newest(texts, 50, QStringLiteral("1.06"), nullptr);
  EXPECT_TRUE(newest.SecondText().contains(QStringLiteral("1.06")));
  EXPECT_FALSE(newest.MessageText().isEmpty());
}

}  // namespace
}  // namespace cbx::ui
