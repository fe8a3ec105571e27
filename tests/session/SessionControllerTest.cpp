// The session controller against virtual devices and a loopback server serving
// demo/server: events in, questions and screens out, in order.
#include "session/SessionFixture.h"

namespace cbx::session {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

struct OpeningCase {
  const char* profile;
  int answerKind3;
  std::vector<std::string> shown;
};

void PrintTo(const OpeningCase& c, std::ostream* os) { *os << c.profile; }

class DockOpeningTest : public SessionControllerTest, public ::testing::WithParamInterface<OpeningCase> {};

TEST_P(DockOpeningTest, RunsTheDockSequenceWithTheServersAnswer) {
  const OpeningCase& c = GetParam();
  ui_.Answer(3, c.answerKind3);
  Plug(c.profile);
  Deliver(WM_DOCK_OPENED);
  EXPECT_THAT(ui_.Shown({"ask", "check", "screen", "home", "lamp", "web"}), ElementsAreArray(c.shown));
  EXPECT_FALSE(state_.sequenceBusy);
  EXPECT_FALSE(state_.sequenceActive);
  EXPECT_EQ(dock_->IsPolling(), !state_.restartPending);
}

INSTANTIATE_TEST_SUITE_P(
    DemoServer, DockOpeningTest,
    ::testing::Values(
        // Newest firmware on connection: nothing to say.
        OpeningCase{"zoom-lens-dock", kResultNo, {"screen -1", "home 8007", "lamp on", "check 102=1"}},
        // Newer firmware: offered, declined.
        OpeningCase{"cine-lens", kResultNo, {"screen -1", "home 8007", "lamp on", "check 102=0", "ask 3:3107"}},
        // Unreadable version, declined: no check, nothing more.
        OpeningCase{"unreadable-version-dock", kResultNo, {"screen -1", "home 8007", "lamp on", "ask 3:3126"}},
        // Unreadable version, accepted: the update is offered whatever the check says.
        OpeningCase{"unreadable-version-dock",
                    kResultYes,
                    // Accepting the update too: the dock restarts and drops off the bus.
                    {"screen -1", "home 8007", "lamp on", "ask 3:3126", "check 102=0", "ask 3:3107", "lamp off"}},
        OpeningCase{"flash-unit", kResultNo, {"screen -1", "home 8011", "lamp on", "check 102=1"}}));

TEST_F(SessionControllerTest, UserStartedSequenceShowsTheNewestVersion) {
  Plug("zoom-lens-dock");
  Deliver(WM_DOCK_OPENED);
  ui_.Forget();
  controller_->StartDockFWUpdateSequence(false);
  EXPECT_THAT(ui_.Shown({"ask", "check"}), ElementsAre("check 102=1", "ask 51:" + state_.dock.dockDisplayVer));
  EXPECT_FALSE(state_.dock.dockDisplayVer.empty());
}

TEST_F(SessionControllerTest, MountedLensStartsTheLensSequence) {
  Plug("zoom-lens-dock");
  Deliver(WM_DOCK_OPENED);
  ui_.Forget();
  controller_->HandleEvent(Event{WM_DOCK_STATUS, 0x00AA0000, 0});
  // The start screen while it is identified, then its home with the outcome.
  EXPECT_THAT(ui_.Shown({"screen", "home"}), ElementsAre("screen -1", "home 8007", "screen 0", "home 8007"));
}

TEST_F(SessionControllerTest, LockedDeviceAdviceIsShownOnceARun) {
  Plug("zoom-lens-dock");
  ui_.Forget();
  for (int i = 0; i < 2; ++i) controller_->HandleEvent(Event{WM_DOCK_ACCESS_DENIED, 0, 0});
  EXPECT_THAT(ui_.Shown({"ask"}), ElementsAre("ask 2:3141"));
}

TEST_F(SessionControllerTest, DeviceChangeCostsOneStatusRequestAndIsIgnoredDuringASequence) {
  PlugAndIdentify("zoom-lens-dock");
  dock_->StopPolling();
  state_.monitoringStarted = true;
  const auto reports = device_->ReportsReceived();
  state_.sequenceActive = true;
  controller_->HandleEvent(Event{WM_DEVICECHANGE, DBT_DEVNODES_CHANGED, 0});
  EXPECT_EQ(device_->ReportsReceived(), reports);
  state_.sequenceActive = false;
  controller_->HandleEvent(Event{WM_DEVICECHANGE, DBT_DEVNODES_CHANGED, 0});
  EXPECT_EQ(device_->ReportsReceived(), reports + 1);
  EXPECT_TRUE(state_.dockConnected);
  // A device that no longer answers is lost; an open dock-information dialog closes.
  device_->Unplug();
  ui_.Forget();
  controller_->HandleEvent(Event{WM_DEVICECHANGE, DBT_DEVNODES_CHANGED, 0});
  EXPECT_THAT(ui_.Shown({"close", "lamp", "screen"}), ElementsAre("close preference", "lamp off", "screen -1"));
  EXPECT_TRUE(controller_->NoCurrentDevice());
}

TEST_F(SessionControllerTest, OpeningDuringAHistoryImportIsIgnored) {
  state_.exportImportRunning = true;
  Plug("zoom-lens-dock");
  Deliver(WM_DOCK_OPENED);
  EXPECT_TRUE(ui_.Shown({"lamp", "check", "screen"}).empty());
  EXPECT_FALSE(state_.dockConnected);
}

TEST_F(SessionControllerTest, FlashSwingingBetweenReadyAndBusyIsIdentifiedOnce) {
  Plug("flash-unit");
  Deliver(WM_DOCK_OPENED);
  dock_->StopPolling();
  ui_.Forget();
  for (const std::uintptr_t change : {0x00AA0000u, 0x00EE00AAu, 0x00AA00EEu}) {
    controller_->HandleEvent(Event{WM_DOCK_STATUS, change, 0});
  }
  EXPECT_THAT(ui_.Shown({"check 308"}), ElementsAre("check 308=0"));
}

TEST_F(SessionControllerTest, PulledDeviceIsForgottenAndAwaitedAgain) {
  Plug("zoom-lens-dock");
  Deliver(WM_DOCK_OPENED);
  state_.currentDevice.serialNumber = "1234567";
  state_.shownDevice = state_.currentDevice;
  ui_.Forget();
  controller_->HandleEvent(Event{WM_DOCK_STATUS, 0x000100AA, 0});
  EXPECT_THAT(ui_.Shown({"screen", "home", "lamp"}), ElementsAre("lamp off", "screen -1", "home 8007"));
  EXPECT_TRUE(controller_->NoCurrentDevice());
  EXPECT_FALSE(state_.dockConnected);
  EXPECT_TRUE(state_.dock.dockRawVersion.empty());
  // The connect thread runs again and finds the device that is still plugged in.
  Deliver(WM_DOCK_OPENED);
  EXPECT_TRUE(state_.dockConnected);
}

TEST_F(SessionControllerTest, DockUpdateRestartsTheDockAndIdentifiesItAgain) {
  ui_.Answer(3, kResultYes);
  Plug("cine-lens");
  Deliver(WM_DOCK_OPENED);
  ASSERT_TRUE(state_.restartPending);
  ui_.Forget();
  // The device comes back from its restart: no dock sequence, only the re-identification.
  Deliver(WM_DOCK_OPENED);
  Deliver(WM_DOCK_RESTARTED);
  EXPECT_FALSE(state_.restartPending);
  EXPECT_THAT(ui_.Shown({"ask", "check"}), ElementsAre(::testing::StartsWith("check 102="), "ask 14:" + state_.dock.dockDisplayVer));
  EXPECT_TRUE(dock_->IsPolling());
}

}  // namespace
}  // namespace cbx::session
