// The device home screens: how they write versions, and when their buttons are offered.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "WindowFixture.h"
#include "ui/controls/CBasicButton.h"
#include "ui/screens/CHomeMainDialog.h"
#include "ui/screens/HomeVersionText.h"

namespace cbx::ui {
namespace {

using test::WaitUntil;

struct VersionCase {
  bool mountHome;
  int mountCode;
  const char* shown;
  const char* written;
};

class HomeVersionTest : public ::testing::TestWithParam<VersionCase> {};

TEST_P(HomeVersionTest, WritesTheVersionForTheMount) {
  const VersionCase& c = GetParam();
  EXPECT_EQ(c.mountHome ? MountHomeVersion(c.shown, c.mountCode) : LensHomeVersion(c.shown, c.mountCode), c.written);
}

INSTANTIATE_TEST_SUITE_P(Mounts, HomeVersionTest,
                         ::testing::Values(VersionCase{false, 0xA0, "1020", "102.0"},
                                           VersionCase{false, 0x90, "1.020", "1.00"},
                                           VersionCase{false, 0x60, "1.02", "0.02"},
                                           VersionCase{false, 0x10, "1.02", "1.02"},
                                           VersionCase{true, 0x60, "1.020", "0.00"},
                                           VersionCase{true, 0x91, "1.020", "1.00"},
                                           VersionCase{false, 0x90, "", ""},
                                           VersionCase{true, 0x60, "", ""}));

class HomeScreensTest : public test::WindowTest {
 protected:
  CHomeMainDialog* LensHome() const { return static_cast<CHomeMainDialog*>(frame_->HomeView()->Screen(0)); }
  // A connected ml-mount lens whose files are all there.
  void ConnectMlMountLens(std::uint16_t writeCounter, int limit) {
    AppState& st = run_->State();
    st.currentDevice.serialNumber = "60213358";
    st.currentDevice.productCodeText = "B15";
    st.currentDevice.mountCode = 0x90;
    st.currentDevice.MFSensCtrl = 1;
    st.currentDevice.DataWriteNumLimit = static_cast<std::int16_t>(limit);
    st.currentDevice.fwLocalPath = "/fw.bin";
    st.currentDevice.MountName = "TL Mount";
    st.shownDevice = st.currentDevice;
    st.downloadEnabled = true;
    run_->Model().writeCounter = writeCounter;
  }
};

TEST_F(HomeScreensTest, MlMountLensIsCustomisedOnlyBelowItsWriteLimit) {
  ConnectMlMountLens(static_cast<std::uint16_t>(~5), 5);
  LensHome()->OnHomeMessage(true, true);
  EXPECT_TRUE(LensHome()->UpdateButton()->isEnabled());
  EXPECT_FALSE(LensHome()->SecondButton()->isEnabled());
  ConnectMlMountLens(0, 1);
  LensHome()->OnHomeMessage(true, true);
  EXPECT_TRUE(LensHome()->SecondButton()->isEnabled());
  // Update not allowed: both buttons off, whatever else holds.
  LensHome()->OnHomeMessage(false, true);
  EXPECT_FALSE(LensHome()->UpdateButton()->isEnabled());
  EXPECT_FALSE(LensHome()->SecondButton()->isEnabled());
}

TEST_F(HomeScreensTest, DevicePickedFromTheHistoryOffersNoButtons) {
  ConnectMlMountLens(0, 1);
  run_->State().shownDevice.serialNumber = "99999999";
  LensHome()->OnHomeMessage(true, true);
  EXPECT_FALSE(LensHome()->UpdateButton()->isEnabled());
  EXPECT_FALSE(LensHome()->SecondButton()->isEnabled());
}

class FlashHomeTest : public test::WindowTest {
 protected:
  std::string Profile() const override { return "flash-unit"; }
};

TEST_F(FlashHomeTest, FlashUnitShowsItsHomeWithoutASecondButton) {
  StartMonitoring();
  ASSERT_TRUE(WaitUntil([&] { return frame_->HomeView()->CurrentScreen() == 10; }, 15000));
  auto* home = static_cast<CDeviceHomeBase*>(frame_->HomeView()->Screen(10));
  ASSERT_TRUE(WaitUntil([&] { return home->InformationText().contains(QStringLiteral("S/N")); }));
  EXPECT_FALSE(home->SecondButton()->isVisible());
  // Newer flash firmware was offered (and declined): the button stays available.
  EXPECT_THAT(asked_, ::testing::Contains(301));
  EXPECT_TRUE(home->UpdateButton()->isEnabled());
}

}  // namespace
}  // namespace cbx::ui
