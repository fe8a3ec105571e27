// Load and save of the lens history with its pictures at 10, 1,000 and 10,000 records. The
// time per record must stay flat (at most a logarithmic rise): the order-keeping insert must
// not make a load quadratic.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "records/HistoryFiles.h"
#include "update/LensHistory.h"

namespace {

namespace fs = std::filesystem;
using namespace cbx;

constexpr std::size_t kPictureBytes = 4096;

struct Folders {
  fs::path root;
  records::HistoryLocations where;

  explicit Folders(int records) {
    root = fs::temp_directory_path() /
           ("calibrix-bench-history-" + std::to_string(getpid()) + "-" + std::to_string(records));
    where.localAppData = root / "share";
    where.dataFolder = where.localAppData + "/ORVANE/ORVANE Calibrix";
    where.tempFolder = where.dataFolder + "/Temp";
    where.lensDatabase = where.dataFolder + "/LensDatabase";
    fs::create_directories(where.tempFolder);
    fs::create_directories(where.lensDatabase);
  }
  ~Folders() {
    std::error_code ec;
    fs::remove_all(root, ec);
  }
};

void WritePicture(const std::string& path, const std::string& bytes) {
  fs::create_directories(fs::path(path).parent_path());
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) return;
  std::fwrite(bytes.data(), 1, bytes.size(), f);
  std::fclose(f);
}

// A lens with its three pictures on disk. Serials and focal lengths vary so the history's
// order has work to do.
update::CLensUpdateInfoData Device(const records::HistoryLocations& where, int n) {
  update::CLensUpdateInfoData r;
  r.serialNumber = std::to_string(10000000 + (n * 7919) % 1000003);
  r.productCodeText = "4A1";
  r.deviceCategory = 0;
  r.mountCode = 0x20;
  r.productName = "Device " + r.serialNumber;
  r.rawFocalLength = std::to_string(18 + n % 13) + "," + std::to_string(35 + n % 17 * 10);
  update::BuildListsFromRawTexts(r);
  const std::string folder = where.lensDatabase + "/" + r.serialNumber + "/Image/";
  r.lensImagePath = folder + "lensImage.png";
  r.focusFcImagePath = folder + "fc.png";
  r.focusFlImagePath = folder + "fl.png";
  const std::string picture(kPictureBytes, static_cast<char>('A' + n % 26));
  for (const std::string* p : {&r.lensImagePath, &r.focusFcImagePath, &r.focusFlImagePath}) WritePicture(*p, picture);
  r.lensImageSize = r.focusFcImageSize = r.focusFlImageSize = static_cast<int>(kPictureBytes);
  return r;
}

void Build(update::LensHistory& history, const records::HistoryLocations& where, int records) {
  for (int i = 0; i < records; ++i) history.AddOrReplace(Device(where, i));
}

void PerRecord(benchmark::State& state, int records, const fs::path& file) {
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * records);
  state.counters["records"] = records;
  // Seconds per record, inverted rate of processed records: shows the curve directly.
  state.counters["us_per_record"] =
      benchmark::Counter(static_cast<double>(records) * 1e-6, benchmark::Counter::kIsIterationInvariantRate |
                                                                   benchmark::Counter::kInvert);
  std::error_code ec;
  state.counters["file_KiB"] = static_cast<double>(fs::file_size(file, ec)) / 1024.0;
}

void BM_Save(benchmark::State& state) {
  const int records = static_cast<int>(state.range(0));
  Folders folders(records);
  update::LensHistory history;
  Build(history, folders.where, records);
  for (auto _ : state) records::SaveLensUpdateInfoData(history, folders.where);
  PerRecord(state, records, fs::path(folders.where.dataFolder) / records::kLensHistoryFileName);
}

void BM_Load(benchmark::State& state) {
  const int records = static_cast<int>(state.range(0));
  Folders folders(records);
  {
    update::LensHistory history;
    Build(history, folders.where, records);
    records::SaveLensUpdateInfoData(history, folders.where);
  }
  for (auto _ : state) {
    update::LensHistory history;
    records::LoadLensUpdateInfoData(history, folders.where);
    if (history.Size() != records) {
      state.SkipWithError("history lost records");
      break;
    }
  }
  PerRecord(state, records, fs::path(folders.where.dataFolder) / records::kLensHistoryFileName);
}

void Counts(benchmark::internal::Benchmark* b) {
  b->Arg(10)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond)->UseRealTime();
}

BENCHMARK(BM_Save)->Apply(Counts);
BENCHMARK(BM_Load)->Apply(Counts);

}  // namespace

BENCHMARK_MAIN();
