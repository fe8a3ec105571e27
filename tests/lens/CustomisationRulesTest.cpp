// What each lens lets its owner change, and how edits are clamped: the rules the screens and
// the command line share.
#include <gtest/gtest.h>

#include "lens/CustomisationRules.h"
#include "LensFixtures.h"

namespace cbx::lens {
namespace {

struct RightsCase {
  const char* name;
  int mountCode;
  int focusCtrl, customSw, afSpeedCtrl, mfSensCtrl;
  bool afFine, customModes, afSpeed, resetAll, mfSensitivity;
};

class RightsTest : public ::testing::TestWithParam<RightsCase> {};

TEST_P(RightsTest, FollowTheLensFlags) {
  const RightsCase& c = GetParam();
  update::CLensUpdateInfoData lens;
  lens.mountCode = c.mountCode;
  lens.FocusCtrl = c.focusCtrl;
  lens.CustomSW = c.customSw;
  lens.AFspeedCtrl = c.afSpeedCtrl;
  lens.MFSensCtrl = c.mfSensCtrl;
  const CustomisationRights r = RightsOf(lens);
  EXPECT_EQ(r.afFineAdjustment, c.afFine);
  EXPECT_EQ(r.customModes, c.customModes);
  EXPECT_EQ(r.afSpeed, c.afSpeed);
  EXPECT_EQ(r.resetAll, c.resetAll);
  EXPECT_EQ(r.mfSensitivity, c.mfSensitivity);
}

INSTANTIATE_TEST_SUITE_P(
    Lenses, RightsTest,
    ::testing::Values(RightsCase{"Standard", 0x10, 1, 1, 1, 0, true, true, true, true, false},
                      RightsCase{"NothingToReset", 0x10, 0, 0, 1, 0, false, false, false, false, false},
                      RightsCase{"CustomModesOnly", 0x10, 0, 1, 0, 0, false, true, false, true, false},
                      RightsCase{"MlMount", 0x90, 0, 1, 1, 1, false, true, false, true, true},
                      RightsCase{"MlMountWithoutModes", 0xA0, 0, 1, 0, 1, false, false, false, true, true}),
    [](const auto& param) { return std::string(param.param.name); });

TEST(CustomisationRules, MlMountStopsAtItsWriteLimit) {
  update::CLensUpdateInfoData lens;
  lens.mountCode = 0x90;
  lens.MFSensCtrl = 1;
  lens.DataWriteNumLimit = 5;
  EXPECT_FALSE(CustomisationAllowed(lens, static_cast<std::uint16_t>(~5)));
  EXPECT_TRUE(CustomisationAllowed(lens, static_cast<std::uint16_t>(~4)));
  EXPECT_TRUE(CustomisationAllowed(lens, 0));  // never written
  lens.MFSensCtrl = 0;
  EXPECT_FALSE(CustomisationAllowed(lens, 0));
  lens.mountCode = 0x10;  // standard lenses count nothing
  EXPECT_TRUE(CustomisationAllowed(lens, static_cast<std::uint16_t>(~100)));
}

TEST(CustomisationRules, EditsAreClampedIntoTheirRanges) {
  EXPECT_EQ(ClampAfCell(25), 20);
  EXPECT_EQ(ClampAfCell(-21), -20);
  EXPECT_EQ(ClampAfCell(kAfCellNotLoaded), 20);  // a never-loaded cell shows +20
  EXPECT_EQ(ClampAfCell(25, 10), 25);
  LensSettingsModel model;
  update::CLensUpdateInfoData lens = test::StandardLens();
  lens.encoderPositions = {1.0, 2.0, 4.0};
  model.SetLensInfo(lens);
  EXPECT_EQ(ClampLimiterIndex(model, 7), 3);
  EXPECT_EQ(ClampLimiterIndex(model, -1), 0);
}

}  // namespace
}  // namespace cbx::lens
