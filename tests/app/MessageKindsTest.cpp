#include "app/MessageKinds.h"

#include <gtest/gtest.h>

#include <vector>

namespace cbx {
namespace {

TEST(MessageKinds, ResultCodesOfEveryButton) {
  struct Group {
    std::vector<int> kinds;
    int ok, cancel, b1045, b1046;
  };
  const Group groups[] = {
      {{0, 2, 10, 14, 17, 18, 19, 20, 22, 26, 50, 51, 203, 205, 206, 209, 303, 305, 306, 307, 310, 313, 1, 15},
       11, 12, 12, 12},
      {{3, 16, 21, 24, 25, 27, 28, 29, 202, 208, 302, 311, 312, 314}, 13, 14, 12, 12},
      {{11, 201, 301}, 13, 14, 21, 12},
      {{12, 204, 304}, 12, 14, 22, 23},
      {{4, 13, 23, 100, 101, 102, 103, 207, 308, 309, 315, 316, 317}, 12, 12, 12, 12},
  };
  for (const auto& g : groups) {
    for (int kind : g.kinds) {
      const MessageKindInfo& info = MessageKind(kind);
      EXPECT_EQ(info.kind, kind);
      EXPECT_EQ(info.okResult, g.ok) << kind;
      EXPECT_EQ(info.cancelResult, g.cancel) << kind;
      EXPECT_EQ(info.result1045, g.b1045) << kind;
      EXPECT_EQ(info.result1046, g.b1046) << kind;
    }
  }
  for (int kind : {4, 13, 100, 101, 102, 103, 207, 308, 309}) EXPECT_EQ(MessageKind(kind).buttons, kButtonNone) << kind;
  EXPECT_EQ(MessageKind(999).kind, -1);
  EXPECT_EQ(MessageKind(317).fixedTextId, 3319);
  EXPECT_EQ(MessageKind(304).secondTextId, 3305);
}

}  // namespace
}  // namespace cbx
