// The update sequences of the session, from plugging the device in to rest, repeated with
// the device pulled (and, separately, answering a wrong code) at exchange k. Status polls
// while a question is open may shift the count by one or two from run to run; the checks
// hold wherever the fault lands.
#include <algorithm>
#include <regex>

#include "SweepSupport.h"
#include "records/HistoryFiles.h"
#include "session/SessionFixture.h"

namespace cbx::sweep {
namespace {

using ::testing::Contains;
using ::testing::Not;

struct Scenario {
  const char* name;
  const char* profile;
  std::vector<std::pair<int, int>> answers;  // what goes ahead with the update
};

const Scenario kScenarios[] = {
    {"lens sequence", "zoom-lens-dock", {{11, kResultYes}, {12, 22}}},
    {"lens dock sequence", "cine-lens", {{3, kResultYes}}},
    {"mount converter sequence", "mount-converter", {{201, kResultYes}, {204, 22}}},
    {"flash unit sequence", "flash-unit", {{301, kResultYes}, {304, 22}}},
};

// Firmware maps of a few blocks, so that a run is about the sequence, not the image.
const char* const kProductFiles[] = {
    "/4A1/KV/0123/1.02.ini", "/4A1/KV/0123/1.03.ini", "/USBDock/EO/1.04.ini", "/USBDock/KV/1.02.ini",
    "/USBDock/TL/2.01.ini",  "/USBDock_F/KV/1.01.ini", "/F31/KV/0110/1.02.ini",
};

// Sampled sequences visit fewer indexes: each run takes a quiet period to come to rest.
constexpr std::size_t kSequenceEdge = 3;
constexpr std::size_t kSequenceSpread = 4;
constexpr auto kQuiet = milliseconds(400);
// The bench's read time-out, one status poll, the converter's reconnection.
constexpr auto kSessionWaits = milliseconds(500 + 1000 + 2050);

struct Outcome {
  std::size_t exchanges = 0;
  Clock::duration took{};
  std::vector<std::string> notices;  // message kind 2: the update is done, or up to date
  bool firmwareComplete = false;
};

// One session from plug to rest on a bench of its own.
class Bench : public session::SessionControllerTest {
 public:
  void TestBody() override {}

  Outcome Run(const Scenario& s, const std::optional<sim::Faults>& faults) {
    SetUp();
    for (const char* file : kProductFiles) {
      const std::string text = test::ReadFile(session::kSource + "/demo/server" + file);
      server_->Replace(file, std::regex_replace(text, std::regex("FW=[0-9A-Fa-f,]+"), "FW=1,0,4,0,0,4"));
    }
    for (const auto& [kind, answer] : s.answers) ui_.Answer(kind, answer);
    beforeConnect_ = [&](sim::VirtualDevice& device) {
      sim::DeviceProfile profile = device.Profile();
      profile.behaviour.restartMs = 100;
      device.Swap(profile);
      if (faults) device.SetFaults(*faults);
    };
    const Stopwatch watch;
    Plug(s.profile);
    state_.monitoringStarted = true;
    RunUntilQuiet(kQuiet);
    Outcome out;
    out.took = watch.Elapsed() - kQuiet;
    out.exchanges = device_->ReportsReceived();
    out.notices = ui_.Shown({"ask 2:"});
    out.firmwareComplete = device_->Firmware().complete;

    EXPECT_FALSE(state_.sequenceActive);
    EXPECT_FALSE(state_.sequenceBusy);
    // A run a poll shorter than the clean one may end before the fault's exchange.
    if (faults && faults->disconnectAfter && !device_->IsPlugged()) {
      EXPECT_FALSE(state_.dockConnected);
      EXPECT_TRUE(controller_->NoCurrentDevice());
      EXPECT_FALSE(dock_->IsPolling());
    }
    const records::HistoryLocations where{dir_ / "data", dir_ / "data/Temp", dir_ / "LensDatabase",
                                          dir_ / "local"};
    records::SaveLensUpdateInfoData(state_.lensHistory, where);
    records::SaveDockHistory(state_.dockHistory, where);
    update::LensHistory lenses;
    records::LoadLensUpdateInfoData(lenses, where);
    EXPECT_EQ(lenses.Size(), state_.lensHistory.Size());
    update::DockHistory docks;
    records::LoadDockHistory(docks, where);
    EXPECT_EQ(docks.Records(), state_.dockHistory.Records());
    TearDown();
    return out;
  }
};

Outcome RunOnce(const Scenario& s, const std::optional<sim::Faults>& faults) {
  auto bench = std::make_unique<Bench>();
  return bench->Run(s, faults);
}

class SequenceSweep : public ::testing::TestWithParam<Scenario> {};

TEST_P(SequenceSweep, EveryExchangeFaultBringsTheSessionToRest) {
  const Scenario& s = GetParam();
  const Stopwatch total;
  const int threads = Threads();
  const Outcome clean = RunOnce(s, std::nullopt);
  EXPECT_EQ(Threads(), threads);
  ASSERT_TRUE(clean.firmwareComplete);
  const auto bound = clean.took + kSessionWaits + kMargin;

  const std::vector<std::size_t> points = ExchangePoints(clean.exchanges, kSequenceEdge, kSequenceSpread);
  const std::size_t runs = 1 + SweepFaults(s.name, clean.exchanges, points, [&](Fault fault, std::size_t k) {
    const Outcome run = RunOnce(s, FaultAt(fault, k));
    EXPECT_LT(run.took, bound) << Ms(run.took);
    // Never told that an update succeeded which did not reach the device.
    if (!run.firmwareComplete && !clean.notices.empty()) {
      for (const std::string& notice : clean.notices) EXPECT_THAT(run.notices, Not(Contains(notice)));
    }
  });
  Counts::Instance().Add(s.name, clean.exchanges, points.size(), runs, total.Elapsed());
}

INSTANTIATE_TEST_SUITE_P(Sequences, SequenceSweep, ::testing::ValuesIn(kScenarios), [](const auto& test) {
  std::string name = test.param.profile;
  std::replace(name.begin(), name.end(), '-', '_');
  return name;
});

}  // namespace
}  // namespace cbx::sweep
