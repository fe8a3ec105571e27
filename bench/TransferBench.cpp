// Our own cost per transfer unit: every firmware variant and the settings read/write against
// an in-process virtual device that answers at once, so what is measured is the host side
// (plus the simulator, which is counted against us). One USB frame is 1 ms; the goal is a
// hundredth of that per unit.
#include <benchmark/benchmark.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "dock/DockDevice.h"
#include "firmware/FirmwareTransfer.h"
#include "lens/SettingsWorkers.h"
#include "sim/DeviceProfile.h"
#include "sim/SimBackend.h"
#include "sim/VirtualDevice.h"
#include "update/ProductInfoReaders.h"

namespace {

namespace fs = std::filesystem;
using namespace cbx;

const std::string kSource = CALIBRIX_SOURCE_DIR;

// Never destroyed: the clean-up below runs during static destruction and still needs it.
const fs::path& WorkDir() {
  static const fs::path* dir = [] {
    auto* d = new fs::path(fs::temp_directory_path() / ("calibrix-bench-transfer-" + std::to_string(getpid())));
    fs::create_directories(*d);
    return d;
  }();
  return *dir;
}

// Removes the scratch folder when the program ends.
struct WorkDirCleanup {
  ~WorkDirCleanup() {
    std::error_code ec;
    fs::remove_all(WorkDir(), ec);
  }
} cleanup;

// Wall and process CPU time of the timed sections only (the device is rebuilt between them).
struct Clock {
  double wall = 0, cpu = 0;
  std::chrono::steady_clock::time_point w0;
  timespec c0{};
  void Start() {
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &c0);
    w0 = std::chrono::steady_clock::now();
  }
  void Stop() {
    const auto w1 = std::chrono::steady_clock::now();
    timespec c1{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &c1);
    wall += std::chrono::duration<double>(w1 - w0).count();
    cpu += static_cast<double>(c1.tv_sec - c0.tv_sec) + static_cast<double>(c1.tv_nsec - c0.tv_nsec) * 1e-9;
  }
  void Report(benchmark::State& state, double units) const {
    state.counters["us_per_unit"] = units > 0 ? wall * 1e6 / units : 0;
    state.counters["cpu_us_per_unit"] = units > 0 ? cpu * 1e6 / units : 0;
    state.counters["units_per_s_wall"] = wall > 0 ? units / wall : 0;
  }
};

sim::DeviceProfile Profile(int type) {
  sim::DeviceProfile p;
  p.id = "bench-dock";
  p.name = "bench dock";
  p.device.vendorId = dock::DockVendorId();
  p.device.productId = type == lens::kTransferConverterFirmware ? dock::kProductMountConverter : dock::kProductLensDock;
  p.device.version = 0x10230045;
  p.device.mountCode = 0x10;
  p.device.capability = 0x06;
  p.device.pathCode = {0x01, 0x23};
  p.attached = sim::AttachedProfile{0x04A1, 0x10, "12345678", 0x10200001, 0xAA, 0xAA};
  // Answer at once: no working replies, no restart pause.
  p.behaviour.workingReports = 0;
  p.behaviour.restartMs = 0;
  return p;
}

bool IsLensType(int type) {
  return type == lens::kTransferLensFirmware || type == lens::kTransferLensFirmwareSectors ||
         type == lens::kTransferLensFirmware256;
}

std::size_t BlockBytes(int type) {
  if (type == lens::kTransferLensFirmwareSectors) return dock::kPacketDataMax;
  return type == lens::kTransferLensFirmware256 || type == lens::kTransferConverterFirmware ? 256 : dock::kUnitSize;
}

// One firmware transfer of `units` units against a fresh virtual device.
struct FirmwareRun {
  int type;
  std::string path;
  update::BlockMap map;

  FirmwareRun(int transferType, int units) : type(transferType) {
    const std::size_t bytes = static_cast<std::size_t>(units) * BlockBytes(type);
    path = WorkDir() / ("fw-" + std::to_string(type) + "-" + std::to_string(units) + ".bin");
    if (!fs::exists(path)) {
      std::ofstream out(path, std::ios::binary | std::ios::trunc);
      std::vector<char> piece(64 * 1024);
      for (std::size_t i = 0; i < piece.size(); ++i) piece[i] = static_cast<char>((i * 131 + i / 251) & 0xFF);
      for (std::size_t done = 0; done < bytes; done += piece.size()) {
        out.write(piece.data(), static_cast<std::streamsize>(std::min(piece.size(), bytes - done)));
      }
    }
    // The sector-table variant sends the whole file; its table has one sector.
    const int blocks = type == lens::kTransferLensFirmwareSectors ? static_cast<int>(bytes) : units;
    map.count = 1;
    map.total = blocks;
    map.address = {0};
    map.start = {0};
    map.length = {blocks};
  }

  struct Connected {
    std::shared_ptr<sim::VirtualDevice> device;
    std::unique_ptr<dock::DockDevice> dock;
  };

  Connected Connect() const {
    Connected c;
    const sim::DeviceProfile p = Profile(type);
    c.device = std::make_shared<sim::VirtualDevice>(p);
    // Keep only the checksum, so the simulator's memory does not grow with the image.
    c.device->SetKeepFirmwareData(false);
    c.dock = std::make_unique<dock::DockDevice>(
        std::make_shared<sim::SimBackend>(std::vector<std::shared_ptr<sim::VirtualDevice>>{c.device}));
    bool r = false, w = false;
    if (!c.dock->FindDevice(p.device.productId, r, w)) throw std::runtime_error("virtual device not found");
    return c;
  }

  int Transfer(dock::DockDevice& device) const {
    lens::TransferProgress progress;
    if (IsLensType(type)) {
      update::CLensUpdateInfoData record;
      record.fwLocalPath = path;
      record.fwMap = map;
      record.Fwversion = "1.3.0";
      return firmware::LensFWUpdateThread(type, device, record, progress);
    }
    update::DockUpdateInfo info;
    info.dockFwLocalPath = path;
    info.dockFwMap = map;
    info.dockFwversion = "2.0.0";
    std::atomic<bool> restartPending{false};
    // The converter's prescribed reconnection wait is not ours to measure.
    const firmware::ReconnectTiming noWait{std::chrono::milliseconds(0), std::chrono::milliseconds(0), 0};
    return firmware::DockFWUpdateThread(type, device, info, restartPending, progress, noWait);
  }
};

// Peak resident size of a child process that makes one transfer: the parent's own peak
// would hide a smaller run behind a larger one.
long PeakKiBInChild(const FirmwareRun& run) {
  int fds[2];
  if (pipe(fds) != 0) return -1;
  const pid_t pid = fork();
  if (pid == 0) {
    close(fds[0]);
    long peak = -1;
    try {
      auto c = run.Connect();
      if (run.Transfer(*c.dock) == lens::kTransferSuccess) {
        rusage usage{};
        getrusage(RUSAGE_SELF, &usage);
        peak = usage.ru_maxrss;
      }
    } catch (...) {
    }
    const ssize_t n = write(fds[1], &peak, sizeof peak);
    _exit(n == sizeof peak ? 0 : 1);
  }
  close(fds[1]);
  long peak = -1;
  if (read(fds[0], &peak, sizeof peak) != sizeof peak) peak = -1;
  close(fds[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  return peak;
}

void BM_Firmware(benchmark::State& state, int type) {
  const int units = static_cast<int>(state.range(0));
  const FirmwareRun run(type, units);
  Clock clock;
  for (auto _ : state) {
    state.PauseTiming();
    auto c = run.Connect();
    state.ResumeTiming();
    clock.Start();
    const int result = run.Transfer(*c.dock);
    clock.Stop();
    if (result != lens::kTransferSuccess) {
      state.SkipWithError("transfer failed");
      break;
    }
    state.PauseTiming();
    c = {};
    state.ResumeTiming();
  }
  const double total = static_cast<double>(state.iterations()) * units;
  state.SetItemsProcessed(static_cast<std::int64_t>(total));
  state.SetBytesProcessed(static_cast<std::int64_t>(total * static_cast<double>(BlockBytes(type))));
  clock.Report(state, total);
  state.counters["units"] = units;
  // The 256-byte and sector variants move more than 32 bytes per unit; this puts all on one scale.
  state.counters["us_per_32B"] = total <= 0 ? 0 : clock.wall * 1e6 * dock::kUnitSize / (total * static_cast<double>(BlockBytes(type)));
  state.counters["image_KiB"] = static_cast<double>(units * BlockBytes(type)) / 1024.0;
  state.counters["child_peak_KiB"] = static_cast<double>(PeakKiBInChild(run));
}

// A small and a large image of each variant; the child peak of the two shows whether
// memory follows the image size. Sizes stay within what a 16-bit unit number carries.
void Sizes(benchmark::internal::Benchmark* b) {
  b->Arg(1024)->Arg(16384)->Unit(benchmark::kMillisecond)->UseRealTime()->MeasureProcessCPUTime();
}

BENCHMARK_CAPTURE(BM_Firmware, lens_32, int{lens::kTransferLensFirmware})->Apply(Sizes);
BENCHMARK_CAPTURE(BM_Firmware, lens_sectors, int{lens::kTransferLensFirmwareSectors})->Apply(Sizes);
BENCHMARK_CAPTURE(BM_Firmware, lens_256, int{lens::kTransferLensFirmware256})->Apply(Sizes);
BENCHMARK_CAPTURE(BM_Firmware, dock_32, int{lens::kTransferDockFirmware})->Apply(Sizes);
BENCHMARK_CAPTURE(BM_Firmware, converter_256, int{lens::kTransferConverterFirmware})->Apply(Sizes);

// ---- settings ----

// A zoom lens on the dock, as the demo profile and product information describe it, with
// its settings read once so that the writes have images to compose from.
struct SettingsSetup {
  std::shared_ptr<sim::VirtualDevice> device;
  std::unique_ptr<dock::DockDevice> dock;
  lens::LensSettingsModel model;

  SettingsSetup() {
    device = std::make_shared<sim::VirtualDevice>(sim::LoadProfile(kSource + "/demo/devices/zoom-lens-dock.json"));
    dock = std::make_unique<dock::DockDevice>(
        std::make_shared<sim::SimBackend>(std::vector<std::shared_ptr<sim::VirtualDevice>>{device}));
    bool r = false, w = false;
    if (!dock->FindDevice(dock::kProductLensDock, r, w)) throw std::runtime_error("virtual lens dock not found");
    update::CLensUpdateInfoData info;
    info.mountCode = device->Attached()->mountCode;
    int valid = 0;
    update::ReadLensConfig(info, kSource + "/demo/server/4A1/KV/0123/1.03.ini", 0, false, valid);
    if (valid != 1) throw std::runtime_error("product information not valid");
    info.fwLocalPath = kSource + "/demo/server/4A1/KV/0123/FW/4A1KV103.bin";
    model.SetLensInfo(info);
    lens::TransferProgress progress;
    if (lens::RunSettingsWorker(lens::kTransferBothRead, *dock, model, progress) != lens::kTransferSuccess) {
      throw std::runtime_error("first read failed");
    }
  }
};

void BM_Settings(benchmark::State& state, int type) {
  SettingsSetup setup;
  Clock clock;
  double total = 0;
  for (auto _ : state) {
    lens::TransferProgress progress;
    clock.Start();
    const int result = lens::RunSettingsWorker(type, *setup.dock, setup.model, progress);
    clock.Stop();
    if (result != lens::kTransferSuccess) {
      state.SkipWithError("settings transfer failed");
      break;
    }
    // The progress range is the transfer's unit count.
    total += progress.Max() - progress.Min();
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(total));
  clock.Report(state, total);
  state.counters["units"] = state.iterations() > 0 ? total / static_cast<double>(state.iterations()) : 0;
}

BENCHMARK_CAPTURE(BM_Settings, read_af_cs, int{lens::kTransferBothRead})
    ->Unit(benchmark::kMicrosecond)->UseRealTime()->MeasureProcessCPUTime();
BENCHMARK_CAPTURE(BM_Settings, write_af, int{lens::kTransferAfWrite})
    ->Unit(benchmark::kMicrosecond)->UseRealTime()->MeasureProcessCPUTime();
BENCHMARK_CAPTURE(BM_Settings, write_cs, int{lens::kTransferCsWrite})
    ->Unit(benchmark::kMicrosecond)->UseRealTime()->MeasureProcessCPUTime();

}  // namespace

BENCHMARK_MAIN();
