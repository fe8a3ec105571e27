// The firmware workers and the settings operations, each run clean once to count its
// exchanges, then again with the device pulled, and answering a wrong code, at exchange k
// for every (or every sampled) k; and once against a device stuck in "still working".
#include <gmock/gmock.h>

#include <cctype>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "SweepSupport.h"
#include "app/Log.h"
#include "app/TextResources.h"
#include "dock/DockDevice.h"
#include "firmware/FirmwareTransfer.h"
#include "lens/SettingsWorkers.h"
#include "records/HistoryFiles.h"
#include "session/SessionFixture.h"
#include "sim/SimBackend.h"
#include "sim/SimTestSupport.h"
#include "support/LensOnDock.h"
#include "support/TempDir.h"
#include "update/ProductInfoReaders.h"

namespace cbx::sweep {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;

const std::string kSource = CALIBRIX_SOURCE_DIR;

std::string Err(int function, int error) { return "ErrNo." + std::to_string(function * 100 + error); }

std::string ReadText(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

// A fresh log for each run, so that each run's reports are judged alone.
class RunLog {
 public:
  explicit RunLog(const test::TempDir& dir) : path_(dir / "CBXLog.txt") {
    std::filesystem::remove(path_);
    Log::Instance().Configure(true, path_);
  }
  ~RunLog() { Log::Instance().Configure(false, ""); }
  std::string Text() const { return ReadText(path_); }

 private:
  std::filesystem::path path_;
};

// ---- firmware workers ----

struct FirmwareVariant {
  const char* name;
  int type;
};

constexpr FirmwareVariant kFirmware[] = {
    {"lens firmware, 32-byte blocks", lens::kTransferLensFirmware},
    {"lens firmware, sector table", lens::kTransferLensFirmwareSectors},
    {"lens firmware, 256-byte blocks", lens::kTransferLensFirmware256},
    {"lens dock firmware", lens::kTransferDockFirmware},
    {"mount converter firmware", lens::kTransferConverterFirmware},
};

bool IsLensType(int type) {
  return type == lens::kTransferLensFirmware || type == lens::kTransferLensFirmwareSectors ||
         type == lens::kTransferLensFirmware256;
}
std::size_t UnitBytes(int type) {
  return type == lens::kTransferLensFirmware256 || type == lens::kTransferConverterFirmware ? 256 : 32;
}
// What a worker that lost its device ends with.
int CommandFailure(int type) {
  return type == lens::kTransferLensFirmware || type == lens::kTransferLensFirmwareSectors ? 1 : 2;
}

constexpr firmware::ReconnectTiming kQuickReconnect{milliseconds(100), milliseconds(50), 6};
constexpr auto kReconnectBound = milliseconds(100 + 6 * (50 + 300));

struct FirmwareRun {
  int result = -1;
  bool restartPending = false;
  std::size_t exchanges = 0;
  std::size_t endCommandAt = 0;  // the exchange index of the closing 0x050B; 0 when none
  std::string log;
  Clock::duration took{};
};

FirmwareRun RunFirmware(const test::TempDir& dir, int type, const std::optional<sim::Faults>& faults) {
  sim::DeviceProfile profile = test::DockProfile();
  if (type == lens::kTransferConverterFirmware) profile.device.productId = dock::kProductMountConverter;
  profile.behaviour.workingReports = 1;
  profile.behaviour.restartMs = 50;
  auto device = std::make_shared<sim::VirtualDevice>(profile);
  dock::DockDevice dock(std::make_shared<sim::SimBackend>(std::vector<std::shared_ptr<sim::VirtualDevice>>{device}));
  dock.SetReadTimeoutMs(static_cast<int>(kReadTimeout.count()));
  dock.SetStillWorkingLimit(kStillWorkingLimit);
  dock.SetSectorTableGraceMs(50);
  bool r = false, w = false;
  EXPECT_TRUE(dock.FindDevice(profile.device.productId, r, w));

  // Two sectors away from the start of the file and apart from each other.
  const auto unit = static_cast<std::uint32_t>(UnitBytes(type));
  update::BlockMap map;
  map.count = 2;
  map.address = {2 * unit, 8 * unit};
  map.start = {0, 3};
  map.length = {3, 2};
  map.total = 5;
  const std::string file(10 * unit, '\x5A');
  const std::string path = dir.Write("fw.bin", file);
  update::CLensUpdateInfoData lensInfo;
  lensInfo.fwLocalPath = path;
  lensInfo.fwMap = map;
  lensInfo.Fwversion = "1.3.0";
  lensInfo.transferMethod = type == lens::kTransferLensFirmwareSectors ? 1 : 0;
  update::DockUpdateInfo dockInfo;
  dockInfo.dockFwLocalPath = path;
  dockInfo.dockFwMap = map;
  dockInfo.dockFwversion = "2.0.0";

  FirmwareRun run;
  std::size_t seen = 0;
  device->SetTrace([&](const std::string& line) {
    if (line.rfind("-> ", 0) != 0) return;
    ++seen;
    if (line.rfind("-> 0x050B", 0) == 0) run.endCommandAt = seen;
  });
  const std::size_t before = device->ReportsReceived();
  if (faults) device->SetFaults(*faults);
  RunLog log(dir);
  std::atomic<bool> restartPending{false};
  lens::TransferProgress progress;
  lens::TransferHost host;
  const Stopwatch watch;
  run.result = host.Run(
      type,
      [&](lens::TransferProgress& p) {
        if (IsLensType(type)) return firmware::LensFWUpdateThread(type, dock, lensInfo, p);
        return firmware::DockFWUpdateThread(type, dock, dockInfo, restartPending, p, kQuickReconnect);
      },
      progress);
  run.took = watch.Elapsed();
  device->SetTrace(nullptr);
  run.exchanges = device->ReportsReceived() - before;
  run.restartPending = restartPending;
  run.log = log.Text();

  // What the worker changed of the records is kept in the histories, which load again.
  const records::HistoryLocations where{dir / "data", dir / "data/Temp", dir / "LensDatabase", dir / "local"};
  update::LensHistory lenses;
  lensInfo.serialNumber = "12345678";
  lenses.AddOrReplace(lensInfo);
  records::SaveLensUpdateInfoData(lenses, where);
  update::LensHistory loaded;
  records::LoadLensUpdateInfoData(loaded, where);
  EXPECT_EQ(loaded.Size(), lenses.Size());
  return run;
}

class FirmwareSweep : public ::testing::TestWithParam<FirmwareVariant> {
 protected:
  test::TempDir dir_;
};

TEST_P(FirmwareSweep, EveryExchangeFaultEndsTheWorkerWithItsFailure) {
  const FirmwareVariant v = GetParam();
  const Stopwatch total;
  const FirmwareRun clean = RunFirmware(dir_, v.type, std::nullopt);
  ASSERT_EQ(clean.result, lens::kTransferSuccess) << clean.log;
  ASSERT_GT(clean.exchanges, 0u);
  const auto bound = clean.took + kReadTimeout + kStillWorkingLimit + kReconnectBound + kMargin;

  const std::vector<std::size_t> points = ExchangePoints(clean.exchanges);
  std::size_t runs = 1;
  runs += SweepFaults(v.name, clean.exchanges, points, [&](Fault fault, std::size_t k) {
    const FirmwareRun run = RunFirmware(dir_, v.type, FaultAt(fault, k));
    EXPECT_LT(run.took, bound) << Ms(run.took);
    // The closing command of a dock or converter update has no answer: the device going
    // away after it is the restart the update asked for.
    const bool afterEnd = clean.endCommandAt != 0 && k >= clean.endCommandAt;
    if (afterEnd) {
      EXPECT_EQ(run.result, lens::kTransferSuccess) << run.log;
      EXPECT_TRUE(run.restartPending);
    } else {
      EXPECT_EQ(run.result, CommandFailure(v.type)) << run.log;
      EXPECT_FALSE(run.restartPending);
      EXPECT_THAT(run.log, HasSubstr("ErrNo."));
    }
  });
  runs += SweepStillWorking(v.name, [&](const sim::Faults& faults) {
    const FirmwareRun run = RunFirmware(dir_, v.type, faults);
    EXPECT_LT(run.took, kReadTimeout + kStillWorkingLimit + kMargin) << Ms(run.took);
    EXPECT_EQ(run.result, CommandFailure(v.type)) << run.log;
    EXPECT_FALSE(run.restartPending);
  });
  Counts::Instance().Add(v.name, clean.exchanges, points.size(), runs, total.Elapsed());
}

INSTANTIATE_TEST_SUITE_P(Variants, FirmwareSweep, ::testing::ValuesIn(kFirmware), [](const auto& test) {
  return "type_" + std::to_string(test.param.type);
});

// ---- settings operations ----

const std::string kZoom = "zoom-lens-dock";
const std::string kMl = "ml-mount-lens";

enum class Op { Read, ReadBeforeUpdate, AfWrite, CsWrite, Reset, ResetFromFirmware, Restore };

struct SettingsVariant {
  const char* name;
  const std::string* profile;
  Op op;
  int type;      // the transfer the operation runs
  int function;  // the function number its failures are reported under
};

const SettingsVariant kSettings[] = {
    {"settings read", &kZoom, Op::Read, lens::kTransferBothRead, lens::kFnBothDataRead},
    {"settings read before update", &kZoom, Op::ReadBeforeUpdate, lens::kTransferBothReadBeforeUpdate,
     lens::kFnBothDataRead},
    {"settings read, ml-mount", &kMl, Op::Read, lens::kTransferCsRead, lens::kFnBothDataRead},
    {"AF write", &kZoom, Op::AfWrite, lens::kTransferAfWrite, lens::kFnAfDataWrite},
    {"CS write", &kZoom, Op::CsWrite, lens::kTransferCsWrite, lens::kFnCsDataWrite},
    {"CS write, ml-mount", &kMl, Op::CsWrite, lens::kTransferCsWrite, lens::kFnCsDataWrite},
    {"reset (7)", &kZoom, Op::Reset, lens::kTransferReset, lens::kFnCsDataWrite},
    {"reset from firmware (13)", &kZoom, Op::ResetFromFirmware, lens::kTransferResetFromFirmware,
     lens::kFnCsDataWrite},
    {"reset, ml-mount (19)", &kMl, Op::ResetFromFirmware, lens::kTransferResetMl, lens::kFnCsDataWrite},
    {"restore (12)", &kZoom, Op::Restore, lens::kTransferRestore, lens::kFnCsDataWrite},
    {"restore, ml-mount (18)", &kMl, Op::Restore, lens::kTransferRestoreMl, lens::kFnCsDataWrite},
};

std::string ProductFile(const std::string& profile) {
  if (profile == kMl) return kSource + "/demo/server/B15/TL/0290/1.00.ini";
  return kSource + "/demo/server/4A1/KV/0123/1.03.ini";
}

struct SettingsRun {
  bool ok = false;
  bool failed = false;
  int lost = 0;
  std::vector<std::string> transfers;  // "transfer <type>=<worker result>"
  std::size_t exchanges = 0;
  std::string log;
  Clock::duration took{};
};

class SettingsSweep : public ::testing::TestWithParam<SettingsVariant> {
 protected:
  SettingsRun Run(const std::optional<sim::Faults>& faults) {
    const SettingsVariant& v = GetParam();
    test::LensOnDock lens =
        test::ConnectLensOnDock(*v.profile, ProductFile(*v.profile), static_cast<int>(kReadTimeout.count()));
    const std::shared_ptr<sim::VirtualDevice>& device = lens.device;
    dock::DockDevice& dock = *lens.dock;
    dock.SetStillWorkingLimit(kStillWorkingLimit);
    EXPECT_TRUE(lens.found);
    EXPECT_EQ(lens.valid, 1);
    update::CLensUpdateInfoData info = lens.info;
    info.fwLocalPath = kSource + "/demo/server/4A1/KV/0123/FW/4A1KV103.bin";
    lens::LensSettingsModel model;
    model.SetLensInfo(info);
    AppState state;
    session::ScriptedUi ui(texts_);
    lens::TransferHost host;
    host.SetUi(&ui);
    lens::SettingsController controller(dock, model, state, host);
    SettingsRun run;
    controller.onDeviceLost = [&] { ++run.lost; };

    // Every operation but the reads starts from settings read off the lens; a restore
    // writes them back into the areas a firmware update left erased.
    bool failed = false;
    if (v.op != Op::Read && v.op != Op::ReadBeforeUpdate) {
      EXPECT_TRUE(controller.BothDataRead(failed, v.op == Op::Restore));
    }
    if (v.op == Op::Restore) {
      auto erased = *device->Attached();
      std::fill(erased.afArea.begin(), erased.afArea.end(), 0xFF);
      std::fill(erased.csArea.begin(), erased.csArea.end(), 0xFF);
      device->Mount(erased);
    }
    ui.Forget();

    const std::size_t before = device->ReportsReceived();
    if (faults) device->SetFaults(*faults);
    RunLog log(dir_);
    const Stopwatch watch;
    switch (v.op) {
      case Op::Read: run.ok = controller.BothDataRead(run.failed, false); break;
      case Op::ReadBeforeUpdate: run.ok = controller.BothDataRead(run.failed, true); break;
      case Op::AfWrite: run.ok = controller.AFDataWrite(run.failed); break;
      case Op::CsWrite: run.ok = controller.CSDataWrite(run.failed); break;
      case Op::Reset: run.ok = controller.ResetCustomData(run.failed, false); break;
      case Op::ResetFromFirmware: run.ok = controller.ResetCustomData(run.failed, true); break;
      case Op::Restore: run.ok = controller.RestoreCustomData(run.failed); break;
    }
    run.took = watch.Elapsed();
    run.exchanges = device->ReportsReceived() - before;
    run.transfers = ui.Shown({"transfer"});
    run.log = log.Text();
    EXPECT_FALSE(state.sequenceActive);
    EXPECT_FALSE(dock.IsPolling());
    return run;
  }

  test::TempDir dir_;
  TextTable texts_ = test::ShippedTexts();
};

// Each operation asks the status, runs its transfer and asks the status again; a fault in
// each of the three parts ends it its own way.
TEST_P(SettingsSweep, EveryExchangeFaultEndsTheOperationWithItsReport) {
  const SettingsVariant& v = GetParam();
  const bool write = v.function != lens::kFnBothDataRead;
  const std::string succeeded = "transfer " + std::to_string(v.type) + "=0";
  const std::string lensFailed = "transfer " + std::to_string(v.type) + "=1";
  const Stopwatch total;
  const SettingsRun clean = Run(std::nullopt);
  ASSERT_TRUE(clean.ok) << clean.log;
  ASSERT_THAT(clean.transfers, ::testing::ElementsAre(succeeded));
  ASSERT_GT(clean.exchanges, 2u);
  const auto bound = clean.took + kReadTimeout + kStillWorkingLimit + kMargin;

  const std::vector<std::size_t> points = ExchangePoints(clean.exchanges);
  std::size_t runs = 1;
  runs += SweepFaults(v.name, clean.exchanges, points, [&](Fault fault, std::size_t k) {
    const SettingsRun run = Run(FaultAt(fault, k));
    EXPECT_LT(run.took, bound) << Ms(run.took);
    EXPECT_FALSE(run.ok);
    if (k == 1) {
      // The opening status: the device is taken for lost before any transfer.
      EXPECT_TRUE(run.transfers.empty());
      EXPECT_EQ(run.lost, 1);
      if (write) {
        EXPECT_THAT(run.log, HasSubstr(Err(lens::kFnAfDataWrite, lens::kErrDockNotConnected)));
      }
    } else if (k < clean.exchanges) {
      // Inside the transfer: a lens failure, reported as such.
      EXPECT_THAT(run.transfers, ::testing::ElementsAre(lensFailed));
      EXPECT_THAT(run.log, HasSubstr(Err(v.function, lens::kErrLensFailure)));
      if (write) {
        EXPECT_TRUE(run.failed);
        EXPECT_EQ(run.lost, fault == Fault::Unplug ? 1 : 0);
      }
    } else {
      // The closing status: the data went across, the device is gone.
      EXPECT_THAT(run.transfers, ::testing::ElementsAre(succeeded));
      EXPECT_THAT(run.log, Not(HasSubstr(Err(v.function, lens::kErrLensFailure))));
      EXPECT_EQ(run.lost, 1);
    }
  });
  runs += SweepStillWorking(v.name, [&](const sim::Faults& faults) {
    const SettingsRun run = Run(faults);
    EXPECT_LT(run.took, kReadTimeout + kStillWorkingLimit + kMargin) << Ms(run.took);
    EXPECT_FALSE(run.ok);
    EXPECT_THAT(run.transfers, ::testing::ElementsAre(lensFailed));
    EXPECT_THAT(run.log, HasSubstr(Err(v.function, lens::kErrLensFailure)));
    EXPECT_EQ(run.lost, 0);
  });
  Counts::Instance().Add(v.name, clean.exchanges, points.size(), runs, total.Elapsed());
}

INSTANTIATE_TEST_SUITE_P(Operations, SettingsSweep, ::testing::ValuesIn(kSettings), [](const auto& test) {
  std::string name;
  for (const char c : std::string(test.param.name)) {
    if (std::isalnum(static_cast<unsigned char>(c))) name += c;
  }
  return name;
});

}  // namespace
}  // namespace cbx::sweep
