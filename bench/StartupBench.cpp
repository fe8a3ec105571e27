// Start-up: from process start to the main window's first paint (the splash is up beside the
// window, so its two seconds are not in this figure), and from the start of monitoring (the
// program-update check against a loopback server, both histories loaded) to the first device
// event with a virtual dock present. Each runs with an empty history and with a shop's.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "BenchSupport.h"
#include "HistoryFixture.h"
#include "app/ProgramVersion.h"
#include "dock/EventSink.h"
#include "session/SessionRun.h"
#include "sim/BackendFactory.h"
#include "support/LoopbackServer.h"
#include "support/SilentSessionUi.h"
#include "support/Subprocess.h"

namespace {

namespace fs = std::filesystem;
using namespace cbx;
using Clock = std::chrono::steady_clock;
using bench::Seconds;

constexpr int kDockRecords = 20;
constexpr const char* kDevice = "sim:zoom-lens-dock";

void HistoryCounters(benchmark::State& state, const bench::DataFolder& folder, int lensRecords) {
  state.counters["lens_records"] = lensRecords;
  state.counters["dock_records"] = kDockRecords;
  state.counters["history_KiB"] =
      static_cast<double>(folder.FileBytes(records::kLensHistoryFileName) + folder.FileBytes(records::kDockHistoryFileName)) /
      1024.0;
}

void BM_FirstDeviceEvent(benchmark::State& state) {
  const int lensRecords = static_cast<int>(state.range(0));
  bench::DataFolder folder("startup-" + std::to_string(lensRecords));
  folder.WriteHistories(lensRecords, kDockRecords);
  HistoryCounters(state, folder, lensRecords);
  // The server announces this very version: no question stops the start.
  test::LoopbackServer server(CALIBRIX_SOURCE_DIR "/demo/server");
  server.Replace("/Win/updateInfo.ini", "[CBX Config]\nFwversion=" + GetProgramVersion(true) + "\n");

  double startSeconds = 0;
  for (auto _ : state) {
    test::SilentSessionUi ui;
    EventQueue events;
    session::SessionRun run(sim::MakeBackend(kDevice), ui, events);
    run.SetServerOverride(server.BaseUrl());
    const Clock::time_point begin = Clock::now();
    if (run.Start() != session::SessionRun::StartResult::kStarted) {
      state.SkipWithError("the run did not start");
      break;
    }
    const Clock::time_point started = Clock::now();
    if (run.State().lensHistory.Size() != lensRecords) {
      state.SkipWithError("the lens history was not loaded whole");
      break;
    }
    run.Controller().StartMonitoring();
    bool opened = false;
    while (!opened) {
      const std::optional<Event> event = events.Next(std::chrono::seconds(30));
      if (!event) break;
      opened = event->message == WM_DOCK_OPENED && event->wParam != 0;
    }
    const Clock::time_point firstEvent = Clock::now();
    if (!opened) {
      state.SkipWithError("no device event within 30 s");
      break;
    }
    state.SetIterationTime(Seconds(firstEvent - started));
    startSeconds += Seconds(started - begin);
    run.Finish();  // stops the device threads and saves the histories: not part of the figure
  }
  state.counters["run_start_ms"] =
      benchmark::Counter(startSeconds * 1e3, benchmark::Counter::kAvgIterations);
}

std::string ProgramBeside(const char* name) {
  std::error_code ec;
  return (fs::read_symlink("/proc/self/exe", ec).parent_path() / name).string();
}

void BM_WindowShown(benchmark::State& state) {
  const std::string program = ProgramBeside("calibrix");
  if (!fs::exists(program)) {
    state.SkipWithError("calibrix was not built (CALIBRIX_BENCH_GUI=OFF)");
    return;
  }
  const int lensRecords = static_cast<int>(state.range(0));
  bench::DataFolder folder("window-" + std::to_string(lensRecords));
  folder.WriteHistories(lensRecords, kDockRecords);
  HistoryCounters(state, folder, lensRecords);
  setenv(sim::kDeviceVariable, kDevice, 1);
  setenv("QT_QPA_PLATFORM", "offscreen", 0);  // a display given by the caller is used as it is

  for (auto _ : state) {
    const Clock::time_point begin = Clock::now();
    test::Subprocess window({program, "--quit-when-shown"});
    const std::string line = window.ReadLine(std::chrono::seconds(60));
    const Clock::time_point shown = Clock::now();
    if (line != "shown") {
      state.SkipWithError("the window did not report itself shown within 60 s");
      break;
    }
    state.SetIterationTime(Seconds(shown - begin));
    // The run's end (histories saved) is not part of the figure, but the next start must
    // not find this one still running.
    if (!window.WaitExit(std::chrono::seconds(60)) || window.exitCode() != 0) {
      state.SkipWithError("the window did not end cleanly");
      break;
    }
  }
}

void Sizes(benchmark::internal::Benchmark* b) {
  b->Arg(0)->Arg(1000)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(5);
}

BENCHMARK(BM_WindowShown)->Apply(Sizes);
BENCHMARK(BM_FirstDeviceEvent)->Apply(Sizes);

}  // namespace

BENCHMARK_MAIN();
