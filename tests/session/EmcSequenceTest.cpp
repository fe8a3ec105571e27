// The EMC test from the controller: each kind of USB device repeats its own transfer with
// the status-poll thread stopped, ends on the user's cancel only after the step under way,
// and a device that stops answering ends it with the transfer's failure.
#include "session/SessionFixture.h"

#include "lens/EmcTest.h"
#include "support/EmcRecorder.h"

namespace cbx::session {
namespace {

const std::string T = kEmcStatusTransfer, W = kEmcStatusWaiting, C = kEmcStatusCancelling;

// The EMC dialog as a watcher that presses cancel when told.
class EmcUi : public ScriptedUi {
 public:
  using ScriptedUi::ScriptedUi;
  int RunEmcTest(EmcControl& control, const std::function<int()>& loop) override {
    pollingDuringTest = polling && polling();
    result = recorder.Run(control, loop, cancelWhen);
    return result;
  }
  test::EmcRecorder recorder;
  test::EmcRecorder::CancelWhen cancelWhen;
  std::function<bool()> polling;
  bool pollingDuringTest = true;
  int result = -1;
};

struct DeviceCase {
  const char* profile;
  std::vector<std::pair<int, int>> declined;  // the update offers, turned down
  int lastPosition;                           // of the progress when a transfer is complete
  int failure;                                // result of a device that stops answering
  const char* report;
};

void PrintTo(const DeviceCase& c, std::ostream* os) { *os << c.profile; }

class EmcSequenceTest : public SessionControllerTest, public ::testing::WithParamInterface<DeviceCase> {
 protected:
  void SetUp() override {
    SessionControllerTest::SetUp();
    lens::EmcLoop::SetWaitMs(100);
  }
  void TearDown() override {
    lens::EmcLoop::SetWaitMs(3000);
    SessionControllerTest::TearDown();
  }
  // Identifies the device with every offer declined; the EMC dialog is then the watcher's.
  void Identify() {
    for (const auto& [kind, answer] : GetParam().declined) ui_.Answer(kind, answer);
    PlugAndIdentify(GetParam().profile);
    state_.emcTestEnabled = true;
    controller_ = std::make_unique<SessionController>(
        SessionParts{state_, *dock_, emcUi_, *checker_, *updater_, events_, texts_, model_, *settings_});
    emcUi_.polling = [this] { return dock_->IsPolling(); };
    ASSERT_TRUE(dock_->IsPolling());
  }

  EmcUi emcUi_{texts_};
};

TEST_P(EmcSequenceTest, CancelInTheFirstTransferEndsAfterItWithTheFlagCleared) {
  Identify();
  // Pressed well inside the first transfer.
  emcUi_.cancelWhen = [](const auto& seen) { return seen.statuses.size() == 1 && seen.position >= 8; };
  EXPECT_TRUE(controller_->EmcTest());
  EXPECT_EQ(emcUi_.result, lens::kTransferSuccess);
  EXPECT_FALSE(emcUi_.pollingDuringTest);
  const auto seen = emcUi_.recorder.Get();
  EXPECT_EQ(seen.statuses, (std::vector<std::string>{T, C}));
  // The transfer went on to its end.
  EXPECT_EQ(seen.position, GetParam().lastPosition);
  EXPECT_FALSE(state_.emcRunning);
  EXPECT_FALSE(state_.sequenceActive);
  // The converter's restart belongs to the test, not to an update.
  EXPECT_FALSE(state_.restartPending);
  EXPECT_TRUE(dock_->IsPolling());
  EXPECT_EQ(LogText().find("ErrNo."), std::string::npos) << LogText();
}

TEST_P(EmcSequenceTest, ADeviceThatStopsAnsweringEndsTheTestWithItsFailure) {
  Identify();
  sim::Faults faults;
  faults.disconnectAfter = 10;
  device_->SetFaults(faults);
  // Never cancelled; a device that kept answering would be stopped after a few steps.
  emcUi_.cancelWhen = [](const auto& seen) { return seen.statuses.size() > 6; };
  EXPECT_FALSE(controller_->EmcTest());
  EXPECT_EQ(emcUi_.result, GetParam().failure);
  EXPECT_NE(LogText().find(GetParam().report), std::string::npos) << LogText();
  // Still set: the screens start the test again when the device is back.
  EXPECT_TRUE(state_.emcRunning);
  EXPECT_FALSE(state_.sequenceActive);
  // Polling runs again and reports the device gone.
  bool lost = false;
  while (auto e = events_.Next(std::chrono::seconds(3))) {
    if (e->message == WM_DOCK_STATUS && ((e->wParam >> 16) & 0xFFFF) == dock::kStatusNoAnswer) {
      lost = true;
      break;
    }
  }
  EXPECT_TRUE(lost);
}

INSTANTIATE_TEST_SUITE_P(
    Devices, EmcSequenceTest,
    ::testing::Values(DeviceCase{"zoom-lens-dock", {{11, kResultNo}}, 127, lens::kTransferDeviceFailure, "ErrNo.8027"},
                      DeviceCase{"mount-converter", {{201, kResultNo}}, 63, lens::kTransferDockFailure, "ErrNo.1127"},
                      DeviceCase{"flash-unit", {{301, kResultNo}}, 383, lens::kTransferDeviceFailure, "ErrNo.2127"}));

}  // namespace
}  // namespace cbx::session
