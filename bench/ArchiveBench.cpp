// History archives: the zip archiver and the whole export/import commands on a LensDatabase
// tree, timed side by side with 7zz on the same tree in the same run.
//
// CALIBRIX_BENCH_ARCHIVE_MIB (default 200) and CALIBRIX_BENCH_ARCHIVE_FILES (default 2000) set
// the tree; CALIBRIX_BENCH_7ZZ names the 7zz program (default "7zz").
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "app/Folders.h"
#include "records/Archiver.h"
#include "records/HistoryTransfer.h"
#include "support/SilentSessionUi.h"

namespace {

namespace fs = std::filesystem;
using namespace cbx;
using namespace cbx::records;
using bench::EnvNumber;
using bench::PeerProgram;
using bench::Seconds;
using bench::ShellQuote;

void RunOrThrow(const std::string& command) {
  if (std::system(command.c_str()) != 0) throw std::runtime_error("failed: " + command);
}

// Firmware images and product data compress only partly: half of every block is noise,
// half a repeated record, so Deflate has real work in both halves.
void WriteFile(const fs::path& path, std::uint64_t bytes, std::uint64_t& seed) {
  std::vector<char> block(64 * 1024);
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  while (bytes > 0) {
    for (std::size_t i = 0; i < block.size(); i += 8) {
      seed ^= seed << 13;
      seed ^= seed >> 7;
      seed ^= seed << 17;
      for (std::size_t k = 0; k < 8; ++k) {
        const bool noise = ((i / 512) % 2) == 0;
        block[i + k] = noise ? static_cast<char>(seed >> (8 * k)) : static_cast<char>("FW:0123 "[k] + (i / 4096) % 8);
      }
    }
    const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(bytes, block.size()));
    out.write(block.data(), static_cast<std::streamsize>(n));
    bytes -= n;
  }
  if (!out) throw std::runtime_error("cannot write " + path.string());
}

class FakeUi : public test::SilentSessionUi {
 public:
  int AskMessage(int kind, const std::string&) override {
    if (kind != kMessageConfirmImport) failed = true;
    return kResultYes;
  }
  std::optional<std::string> ChooseHistoryFile(bool) override { return file; }
  std::string file;
  bool failed = false;
};

// The data folder of a run with a mirror of the configured size, made once per program.
class Tree {
 public:
  static Tree& Get() {
    static Tree tree;
    return tree;
  }
  HistoryLocations locations;
  fs::path root;
  std::uint64_t bytes = 0;
  std::uint64_t files = 0;

  fs::path Scratch(const std::string& name) const { return root / "scratch" / name; }
  void ResetScratch() const {
    fs::remove_all(root / "scratch");
    fs::create_directories(root / "scratch");
  }

  ~Tree() {
    std::error_code ec;
    fs::remove_all(root, ec);
  }

 private:
  Tree() {
    std::string pattern = (fs::temp_directory_path() / "calibrix-bench-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    root = pattern;
    locations.localAppData = (root / "share").string();
    locations.dataFolder = (root / "share/ORVANE/ORVANE Calibrix").string();
    locations.tempFolder = JoinPath(locations.dataFolder, "Temp");
    locations.lensDatabase = JoinPath(locations.dataFolder, "LensDatabase");
    fs::create_directories(locations.tempFolder);

    bytes = EnvNumber("CALIBRIX_BENCH_ARCHIVE_MIB", 200) * 1024 * 1024;
    files = EnvNumber("CALIBRIX_BENCH_ARCHIVE_FILES", 2000);
    const std::uint64_t average = bytes / files;
    std::uint64_t seed = 0x9E3779B97F4A7C15ull;
    std::uint64_t left = bytes;
    for (std::uint64_t i = 0; i < files; ++i) {
      // Sizes from a quarter to one and three quarters of the average, the last file takes
      // the rest so the total is exact.
      std::uint64_t size = average / 4 + (average * 3 / 2) * ((i * 7919) % files) / files;
      if (i + 1 == files || size > left) size = left;
      left -= size;
      const fs::path folder = fs::path(locations.lensDatabase) / ("4A" + std::to_string(i % 40)) / "KV" /
                              (std::to_string(1000 + (i / 40) % 10));
      fs::create_directories(folder);
      WriteFile(folder / ("firmware_" + std::to_string(i) + ".bin"), size, seed);
    }
    // The export needs both history files; empty histories are enough.
    std::ofstream(JoinPath(locations.dataFolder, kDockHistoryFileName), std::ios::binary);
    std::ofstream(JoinPath(locations.dataFolder, kLensHistoryFileName), std::ios::binary);
  }
};

void SetTreeCounters(benchmark::State& state, const Tree& tree) {
  state.counters["tree_MiB"] = static_cast<double>(tree.bytes) / (1024.0 * 1024.0);
  state.counters["files"] = static_cast<double>(tree.files);
}

// 7zz timings of this run, shared by the archiver-step and whole-command benchmarks.
double g7zzAddSeconds = 0;
double g7zzExtractSeconds = 0;

// `switches` such as "-mmt1 " (7zz compresses on every core by default; the archiver on one).
double SevenZipAdd(const Tree& tree, const fs::path& archive, const std::string& switches = {}) {
  fs::remove(archive);
  const std::string command = PeerProgram("CALIBRIX_BENCH_7ZZ", "7zz") + " a -tzip -bso0 -bsp0 " + switches + "-p" + std::string(kHistoryZipPassword) + " " +
                              ShellQuote(archive.string()) + " " + ShellQuote(tree.locations.lensDatabase + "/*");
  return Seconds([&] { RunOrThrow(command); });
}

double SevenZipExtract(const fs::path& archive, const fs::path& into) {
  fs::remove_all(into);
  fs::create_directories(into);
  const std::string command = PeerProgram("CALIBRIX_BENCH_7ZZ", "7zz") + " x -bso0 -bsp0 -p" + std::string(kHistoryZipPassword) + " -aoa " +
                              ShellQuote(archive.string()) + " -o" + ShellQuote(into.string());
  return Seconds([&] { RunOrThrow(command); });
}

// Archiver step of the export against `7zz a -tzip -p` on the same tree.
void BM_ArchiverAdd(benchmark::State& state) {
  Tree& tree = Tree::Get();
  tree.ResetScratch();
  const fs::path ours = tree.Scratch("ours.zip");
  const fs::path peer = tree.Scratch("peer.zip");
  double oursTotal = 0;
  double peerTotal = 0;
  double oneThreadTotal = 0;
  for (auto _ : state) {
    fs::remove(ours);
    const std::string command = ExportCommand(ours.string(), tree.locations.lensDatabase);
    int code = 0;
    const double seconds = Seconds([&] { code = Archiver().Run(command).code; });
    if (code != 0) {
      state.SkipWithError("archiver export failed");
      return;
    }
    state.SetIterationTime(seconds);
    oursTotal += seconds;
    peerTotal += SevenZipAdd(tree, peer);
    oneThreadTotal += SevenZipAdd(tree, peer, "-mmt1 ");
  }
  const auto n = static_cast<double>(state.iterations());
  g7zzAddSeconds = peerTotal / n;
  state.counters["ours_s"] = oursTotal / n;
  state.counters["7zz_s"] = g7zzAddSeconds;
  state.counters["ratio_vs_7zz"] = oursTotal / peerTotal;
  state.counters["7zz_1thread_s"] = oneThreadTotal / n;
  state.counters["ratio_vs_7zz_1thread"] = oursTotal / oneThreadTotal;
  state.counters["ours_zip_MiB"] = static_cast<double>(fs::file_size(ours)) / (1024.0 * 1024.0);
  state.counters["7zz_zip_MiB"] = static_cast<double>(fs::file_size(peer)) / (1024.0 * 1024.0);
  SetTreeCounters(state, tree);
  state.SetBytesProcessed(static_cast<std::int64_t>(tree.bytes) * state.iterations());
}

// Archiver step of the import against `7zz x` on the same archive (the one the archiver made).
void BM_ArchiverExtract(benchmark::State& state) {
  Tree& tree = Tree::Get();
  tree.ResetScratch();
  const fs::path archive = tree.Scratch("source.zip");
  if (Archiver().Run(ExportCommand(archive.string(), tree.locations.lensDatabase)).code != 0) {
    state.SkipWithError("archiver export failed");
    return;
  }
  const fs::path ours = tree.Scratch("ours");
  const fs::path peer = tree.Scratch("peer");
  double oursTotal = 0;
  double peerTotal = 0;
  for (auto _ : state) {
    fs::remove_all(ours);
    fs::create_directories(ours);
    const std::string command = ImportCommand(archive.string(), ours.string());
    int code = 0;
    const double seconds = Seconds([&] { code = Archiver().Run(command).code; });
    if (code != 0) {
      state.SkipWithError("archiver import failed");
      return;
    }
    state.SetIterationTime(seconds);
    oursTotal += seconds;
    peerTotal += SevenZipExtract(archive, peer);
  }
  const auto n = static_cast<double>(state.iterations());
  g7zzExtractSeconds = peerTotal / n;
  state.counters["ours_s"] = oursTotal / n;
  state.counters["7zz_s"] = g7zzExtractSeconds;
  state.counters["ratio_vs_7zz"] = oursTotal / peerTotal;
  SetTreeCounters(state, tree);
  state.SetBytesProcessed(static_cast<std::int64_t>(tree.bytes) * state.iterations());
}

// Runs the export or import command once per iteration as the manual time; the mean seconds
// per run, or -1 with the benchmark skipped when a run fails.
double TimeCommand(benchmark::State& state, const Tree& tree, FakeUi& ui, AppState& appState,
                   TransferOutcome (*command)(TransferContext&), const char* failure) {
  double total = 0;
  for (auto _ : state) {
    TransferContext context{appState, ui, nullptr, tree.locations};
    TransferOutcome outcome{};
    const double seconds = Seconds([&] { outcome = command(context); });
    if (outcome != TransferOutcome::kDone || ui.failed) {
      state.SkipWithError(failure);
      return -1;
    }
    state.SetIterationTime(seconds);
    total += seconds;
  }
  return total / static_cast<double>(state.iterations());
}

// The whole export command: saving both histories, copying them into the mirror, the
// archiver and the encipherment.
void BM_ExportCommand(benchmark::State& state) {
  Tree& tree = Tree::Get();
  tree.ResetScratch();
  AppState appState;
  FakeUi ui;
  ui.file = tree.Scratch("history.hist").string();
  const double perRun = TimeCommand(state, tree, ui, appState, ExportHistory, "export failed");
  if (perRun < 0) return;
  if (g7zzAddSeconds == 0) g7zzAddSeconds = SevenZipAdd(tree, tree.Scratch("peer.zip"));
  state.counters["command_s"] = perRun;
  state.counters["7zz_s"] = g7zzAddSeconds;
  state.counters["ratio_vs_7zz"] = perRun / g7zzAddSeconds;
  SetTreeCounters(state, tree);
}

// The whole import command: deciphering, moving the mirror aside, the archiver, checking and
// finishing, and loading both histories.
void BM_ImportCommand(benchmark::State& state) {
  Tree& tree = Tree::Get();
  tree.ResetScratch();
  AppState appState;
  FakeUi ui;
  ui.file = tree.Scratch("history.hist").string();
  {
    TransferContext context{appState, ui, nullptr, tree.locations};
    if (ExportHistory(context) != TransferOutcome::kDone) {
      state.SkipWithError("export failed");
      return;
    }
  }
  const double perRun = TimeCommand(state, tree, ui, appState, ImportHistory, "import failed");
  if (perRun < 0) return;
  if (g7zzExtractSeconds == 0) {
    const fs::path archive = tree.Scratch("peer.zip");
    SevenZipAdd(tree, archive);
    g7zzExtractSeconds = SevenZipExtract(archive, tree.Scratch("peer"));
  }
  state.counters["command_s"] = perRun;
  state.counters["7zz_s"] = g7zzExtractSeconds;
  state.counters["ratio_vs_7zz"] = perRun / g7zzExtractSeconds;
  SetTreeCounters(state, tree);
}

// Archives of hundreds of MiB: a few iterations are plenty and keep the run short.
BENCHMARK(BM_ArchiverAdd)->UseManualTime()->Iterations(2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ArchiverExtract)->UseManualTime()->Iterations(2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExportCommand)->UseManualTime()->Iterations(2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ImportCommand)->UseManualTime()->Iterations(2)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
