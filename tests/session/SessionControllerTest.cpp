// The session controller against virtual devices and a loopback server serving
// demo/server: events in, questions and screens out, in order.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "app/Folders.h"
#include "app/TextResources.h"

#include <map>
#include <mutex>

#include "app/Log.h"
#include "session/SessionController.h"
#include "sim/DeviceProfile.h"
#include "sim/SimBackend.h"
#include "support/LoopbackServer.h"
#include "support/TempDir.h"

namespace cbx::session {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

const std::string kSource = CALIBRIX_SOURCE_DIR;

// Records what the session shows, as "ask 3:3107", "screen -1", "home 8007" ...
class ScriptedUi : public SessionUi {
 public:
  // Questions carry texts from the shipped table; the log names them by id.
  explicit ScriptedUi(const TextTable& texts) : texts_(texts) {}
  int AskMessage(int kind, const std::string& text) override {
    Record("ask " + std::to_string(kind) + (text.empty() ? "" : ":" + IdOf(text)));
    std::lock_guard lock(mutex_);
    const auto it = answers_.find(kind);
    return it == answers_.end() ? kResultClosed : it->second;
  }
  void HideUpdateCheckWindow() override {}
  std::optional<std::string> ChooseHistoryFile(bool) override { return std::nullopt; }
  void HistoryImported() override {}
  void EndMessage(bool withOk) override { Record(withOk ? "end ok" : "end cancel"); }
  void EndWaitMessage() override { Record("end wait"); }
  int RunUpdateCheck(int waitKind, const std::function<int()>& check) override {
    const int result = check();
    Record("check " + std::to_string(waitKind) + "=" + std::to_string(result));
    return result;
  }
  void ShowScreen(int screen) override { Record("screen " + std::to_string(screen)); }
  void HomeMessage(std::uint32_t message, bool, bool) override {
    char text[16];
    std::snprintf(text, sizeof text, "home %x", message);
    Record(text);
  }
  void RefreshHistoryList() override {}
  void SetDeviceTitle(const std::string&, bool) override {}
  void SetConnectionLamp(bool on) override { Record(on ? "lamp on" : "lamp off"); }
  void OpenProgramWebPage() override { Record("web"); }

  void Answer(int kind, int result) {
    std::lock_guard lock(mutex_);
    answers_[kind] = result;
  }
  // Only the entries starting with one of the prefixes.
  std::vector<std::string> Shown(const std::vector<std::string>& prefixes) const {
    std::lock_guard lock(mutex_);
    std::vector<std::string> out;
    for (const auto& e : log_)
      for (const auto& p : prefixes)
        if (e.rfind(p, 0) == 0) out.push_back(e);
    return out;
  }
  void Forget() {
    std::lock_guard lock(mutex_);
    log_.clear();
  }

 private:
  std::string IdOf(const std::string& text) const {
    for (const auto& item : texts_.Texts()) {
      if (item.text == text) return std::to_string(item.id);
    }
    return text;
  }
  void Record(std::string entry) {
    std::lock_guard lock(mutex_);
    log_.push_back(std::move(entry));
  }
  const TextTable& texts_;
  mutable std::mutex mutex_;
  std::map<int, int> answers_;
  std::vector<std::string> log_;
};

TextTable ShippedTexts() {
  TextTable texts;
  texts.LoadTexts(JoinPath(GetFolder(kFolderStrings), kStringFileName));
  return texts;
}

class SessionControllerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    server_ = std::make_unique<test::LoopbackServer>(kSource + "/demo/server");
    state_.serverUrlOverride = server_->BaseUrl();
    Log::Instance().Configure(true, dir_ / "CBXLog.txt");
  }
  void TearDown() override {
    controller_.reset();
    if (dock_) {
      dock_->RegisterArrival(nullptr);
      dock_->StopConnectThread();
      dock_->StopPolling();
    }
    Log::Instance().Configure(false, "");
  }

  // Plugs a virtual device in; the connect thread finds it and posts the opening.
  void Plug(const std::string& profile) {
    device_ = std::make_shared<sim::VirtualDevice>(sim::LoadProfile(kSource + "/demo/devices/" + profile + ".json"));
    dock_ = std::make_unique<dock::DockDevice>(
        std::make_shared<sim::SimBackend>(std::vector<std::shared_ptr<sim::VirtualDevice>>{device_}));
    dock_->SetReadTimeoutMs(500);
    checker_ = std::make_unique<update::UpdateChecker>(state_, *dock_, ui_, dir_ / "LensDatabase", "2.0.0");
    checker_->SetNothingCheckDelayMs(10);
    updater_ = std::make_unique<firmware::FirmwareUpdater>(firmware::FirmwareUpdater{
        *dock_, state_, ui_, host_, progress_,
        firmware::ReconnectTiming{std::chrono::milliseconds(50), std::chrono::milliseconds(50), 40}});
    controller_ = std::make_unique<SessionController>(SessionParts{state_, *dock_, ui_, *checker_, *updater_, events_, texts_});
    controller_->SetReconnectStep(std::chrono::milliseconds(5));
    controller_->startLensSequence = [this](LensVariant v) { lensCalls_.push_back(v); };
    dock_->RegisterArrival(&events_);
    dock_->StartConnectThread();
  }

  // Hands the next event of this message to the controller; other events are dropped.
  void Deliver(std::uint32_t message) {
    while (auto e = events_.Next(std::chrono::seconds(10))) {
      if (e->message != message) continue;
      controller_->HandleEvent(*e);
      return;
    }
    FAIL() << "no event " << std::hex << message;
  }

  test::TempDir dir_;
  std::unique_ptr<test::LoopbackServer> server_;
  AppState state_;
  TextTable texts_ = ShippedTexts();
  ScriptedUi ui_{texts_};
  EventQueue events_;
  lens::TransferHost host_;
  lens::TransferProgress progress_;
  std::shared_ptr<sim::VirtualDevice> device_;
  std::unique_ptr<dock::DockDevice> dock_;
  std::unique_ptr<update::UpdateChecker> checker_;
  std::unique_ptr<firmware::FirmwareUpdater> updater_;
  std::unique_ptr<SessionController> controller_;
  std::vector<LensVariant> lensCalls_;
};

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
  EXPECT_THAT(lensCalls_, ElementsAre(LensVariant::kLens));
  EXPECT_THAT(ui_.Shown({"screen", "home"}), ElementsAre("screen -1", "home 8007"));
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
