// The device pulled at every question and inside every transfer of the update sequences:
// the session notices, comes back to rest within the read time-out and the waits it
// prescribes, and what it keeps can be saved and loaded again.
#include "session/SessionFixture.h"

#include "records/HistoryFiles.h"

namespace cbx::session {
namespace {

using Clock = std::chrono::steady_clock;

struct Scenario {
  const char* profile;
  std::vector<std::pair<int, int>> answers;  // what goes ahead with the update
  std::vector<int> questions;                // pulled while each of these is open
  std::vector<int> transfers;                // pulled inside each of these
};

const Scenario kLens{"zoom-lens-dock", {{11, kResultYes}, {12, 22}}, {11, 12}, {11, 0, 12}};
const Scenario kDock{"cine-lens", {{3, kResultYes}}, {3}, {1}};
const Scenario kConverter{"mount-converter", {{201, kResultYes}, {204, 22}}, {201, 204}, {14}};
const Scenario kFlash{"flash-unit", {{301, kResultYes}, {304, 22}}, {301, 304}, {0}};

// Reports into a transfer at which the cable goes: its start, its first units, deep inside.
constexpr std::size_t kPullAfter[] = {1, 4, 64};

struct PullPoint {
  const Scenario* scenario;
  int question = 0;  // or:
  int transfer = -1;
  std::size_t after = 0;
};

void PrintTo(const PullPoint& p, std::ostream* os) {
  *os << p.scenario->profile;
  if (p.question != 0) *os << " at question " << p.question;
  if (p.transfer >= 0) *os << " in transfer " << p.transfer << " after " << p.after << " reports";
}

std::vector<PullPoint> AllPoints() {
  std::vector<PullPoint> points;
  for (const Scenario* s : {&kLens, &kDock, &kConverter, &kFlash}) {
    for (const int q : s->questions) points.push_back({s, q, -1, 0});
    for (const int t : s->transfers)
      for (const std::size_t after : kPullAfter) points.push_back({s, 0, t, after});
  }
  return points;
}

// The fixture's read time-out, one poll of the status thread, the converter's reconnection
// (2 s here) and a margin for a loaded machine.
constexpr auto kBound = std::chrono::milliseconds(500 + 1000 + 2050 + 1500);

class DeviceLossTest : public SessionControllerTest, public ::testing::WithParamInterface<PullPoint> {};

TEST_P(DeviceLossTest, SessionComesBackToRestAndKeepsLoadableHistories) {
  const PullPoint& p = GetParam();
  for (const auto& [kind, answer] : p.scenario->answers) ui_.Answer(kind, answer);
  std::optional<Clock::time_point> pulledAt;
  Plug(p.scenario->profile);
  state_.monitoringStarted = true;
  if (p.question != 0) {
    ui_.OnAsk(p.question, [&] {
      pulledAt = Clock::now();
      device_->Unplug();
      // What the platform tells when a device node goes; quiet questions need it.
      events_.Post(Event{WM_DEVICECHANGE, DBT_DEVNODES_CHANGED, 0});
    });
  } else {
    ui_.BeforeTransfer(p.transfer, [&] {
      pulledAt = Clock::now();
      sim::Faults faults;
      faults.disconnectAfter = p.after;
      device_->SetFaults(faults);
    });
  }

  std::optional<Clock::duration> settled;
  while (auto e = events_.Next(std::chrono::milliseconds(400))) {
    controller_->HandleEvent(*e);
    if (pulledAt && !settled) settled = Clock::now() - *pulledAt;
  }

  ASSERT_TRUE(pulledAt) << "the sequence never reached the pull point";
  ASSERT_TRUE(settled);
  EXPECT_LT(*settled, kBound);
  EXPECT_FALSE(state_.dockConnected);
  EXPECT_TRUE(controller_->NoCurrentDevice());
  EXPECT_FALSE(state_.sequenceActive);
  EXPECT_FALSE(state_.sequenceBusy);
  EXPECT_FALSE(dock_->IsPolling());

  records::HistoryLocations where{dir_ / "data", dir_ / "data/Temp", dir_ / "LensDatabase", dir_ / "local"};
  records::SaveLensUpdateInfoData(state_.lensHistory, where);
  update::LensHistory loaded;
  records::LoadLensUpdateInfoData(loaded, where);
  EXPECT_EQ(loaded.Size(), state_.lensHistory.Size());
}

INSTANTIATE_TEST_SUITE_P(PullPoints, DeviceLossTest, ::testing::ValuesIn(AllPoints()), [](const auto& test) {
  const PullPoint& p = test.param;
  std::string name = p.scenario->profile;
  std::replace(name.begin(), name.end(), '-', '_');
  if (p.question != 0) return name + "_question_" + std::to_string(p.question);
  return name + "_transfer_" + std::to_string(p.transfer) + "_after_" + std::to_string(p.after);
});

}  // namespace
}  // namespace cbx::session
