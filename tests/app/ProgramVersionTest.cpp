#include "app/ProgramVersion.h"

#include <gtest/gtest.h>

namespace cbx {
namespace {

TEST(ProgramVersion, ShortFormDropsTheLastPart) {
  EXPECT_EQ(ShortVersion("1.7.0.1"), "1.7.0");
  EXPECT_EQ(ShortVersion("3"), "3");
  EXPECT_EQ(GetProgramVersion(false), "2.0.0.0");
  EXPECT_EQ(GetProgramVersion(true), "2.0.0");
}

}  // namespace
}  // namespace cbx
