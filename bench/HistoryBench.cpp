// Load and save of the lens history with its pictures at 10, 1,000 and 10,000 records. The
// time per record must stay flat (at most a logarithmic rise): the order-keeping insert must
// not make a load quadratic. A load starts as a run does, with the pictures gone, and is set
// beside the time the file system needs to write the same pictures directly.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>
#include <vector>

#include "HistoryFixture.h"

namespace {

namespace fs = std::filesystem;
using namespace cbx;
using bench::DataFolder;

void PerRecord(benchmark::State& state, int records, const fs::path& file) {
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * records);
  state.counters["records"] = records;
  // Seconds per record, inverted rate of processed records: shows the curve directly.
  state.counters["us_per_record"] =
      benchmark::Counter(static_cast<double>(records) * 1e-6, benchmark::Counter::kIsIterationInvariantRate |
                                                                   benchmark::Counter::kInvert);
  if (file.empty()) return;
  std::error_code ec;
  state.counters["file_KiB"] = static_cast<double>(fs::file_size(file, ec)) / 1024.0;
}

void BM_Save(benchmark::State& state) {
  const int records = static_cast<int>(state.range(0));
  DataFolder folders("history-save-" + std::to_string(records));
  update::LensHistory history;
  folders.AddLenses(history, records);
  for (auto _ : state) records::SaveLensUpdateInfoData(history, folders.where);
  PerRecord(state, records, fs::path(folders.where.dataFolder) / records::kLensHistoryFileName);
}

void BM_Load(benchmark::State& state) {
  const int records = static_cast<int>(state.range(0));
  DataFolder folders("history-load-" + std::to_string(records));
  folders.WriteHistories(records, 0);
  for (auto _ : state) {
    state.PauseTiming();
    folders.RemovePictures();
    state.ResumeTiming();
    update::LensHistory history;
    records::LoadLensUpdateInfoData(history, folders.where);
    if (history.Size() != records) {
      state.SkipWithError("history lost records");
      break;
    }
  }
  PerRecord(state, records, fs::path(folders.where.dataFolder) / records::kLensHistoryFileName);
}

// The file system's own cost of what a load leaves on disk: the same folders and picture
// files written directly, the floor a load cannot go below.
void BM_PictureFilesOnly(benchmark::State& state) {
  const int records = static_cast<int>(state.range(0));
  DataFolder folders("history-files-" + std::to_string(records));
  std::vector<update::CLensUpdateInfoData> lenses;
  for (int i = 0; i < records; ++i) lenses.push_back(bench::Device(folders.where, i));
  const std::string picture(bench::kPictureBytes, 'P');
  for (auto _ : state) {
    state.PauseTiming();
    folders.RemovePictures();
    state.ResumeTiming();
    for (const update::CLensUpdateInfoData& lens : lenses) {
      for (const std::string* p : {&lens.lensImagePath, &lens.focusFcImagePath, &lens.focusFlImagePath}) {
        bench::WritePicture(*p, picture);
      }
    }
  }
  PerRecord(state, records, {});
}

void Counts(benchmark::internal::Benchmark* b) {
  b->Arg(10)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond)->UseRealTime();
}

BENCHMARK(BM_Save)->Apply(Counts);
BENCHMARK(BM_Load)->Apply(Counts);
BENCHMARK(BM_PictureFilesOnly)->Apply(Counts);

}  // namespace

BENCHMARK_MAIN();
