// The settings read and write sequences against virtual lenses from demo/devices, with the
// product information of demo/server, checked byte by byte in the virtual lens's memory.
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <functional>
#include <fstream>
#include <iterator>
#include <random>
#include <set>

#include "app/Log.h"
#include "lens/SettingsWorkers.h"
#include "support/LensOnDock.h"
#include "support/TempDir.h"

namespace cbx::lens {
namespace {

const std::string kSource = CALIBRIX_SOURCE_DIR;
const std::string kZoom = "zoom-lens-dock";
const std::string kPrime = "teleconverter-prime";
const std::string kMl = "ml-mount-lens";

std::string ProductFile(const std::string& profile) {
  if (profile == kPrime) return kSource + "/demo/server/A27/KV/0123/1.01.ini";
  if (profile == kMl) return kSource + "/demo/server/B15/TL/0290/1.00.ini";
  return kSource + "/demo/server/4A1/KV/0123/1.03.ini";
}
const std::string kZoomFirmware = kSource + "/demo/server/4A1/KV/0123/FW/4A1KV103.bin";

std::vector<std::uint8_t> FileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Offsets at which two memories differ.
std::set<std::size_t> Differences(const std::vector<std::uint8_t>& a, const std::vector<std::uint8_t>& b) {
  std::set<std::size_t> out;
  for (std::size_t i = 0; i < std::min(a.size(), b.size()); ++i) {
    if (a[i] != b[i]) out.insert(i);
  }
  return out;
}

class SettingsTest : public ::testing::Test {
 protected:
  void SetUp() override { Log::Instance().Configure(true, dir_ / "CBXLog.txt"); }
  void TearDown() override { Log::Instance().Configure(false, ""); }

  void Connect(const std::string& profile) {
    test::LensOnDock lens = test::ConnectLensOnDock(profile, ProductFile(profile), 2000);
    device_ = lens.device;
    dock_ = std::move(lens.dock);
    ASSERT_TRUE(lens.found);
    ASSERT_EQ(lens.valid, 1);
    update::CLensUpdateInfoData info = lens.info;
    info.fwLocalPath = kZoomFirmware;
    model_.SetLensInfo(info);
    controller_ = std::make_unique<SettingsController>(*dock_, model_, state_, host_);
    controller_->onDeviceLost = [this] { ++devicesLost_; };
    controller_->onTransfer = [this](int, TransferProgress& progress) {
      progress.SetListener([this](int, int max, int position) {
        lastMax_ = max;
        lastPosition_ = position;
      });
    };
  }

  void Read() {
    bool failed = true;
    ASSERT_TRUE(controller_->BothDataRead(failed, false));
    ASSERT_FALSE(failed);
  }

  std::string LogText() const {
    std::ifstream in(dir_ / "CBXLog.txt");
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }

  test::TempDir dir_;
  AppState state_;
  LensSettingsModel model_;
  TransferHost host_;
  std::shared_ptr<sim::VirtualDevice> device_;
  std::unique_ptr<dock::DockDevice> dock_;
  std::unique_ptr<SettingsController> controller_;
  std::atomic<int> lastMax_{-1}, lastPosition_{-1};
  int devicesLost_ = 0;
};

TEST_F(SettingsTest, CombinedReadFillsImagesAndEditedValuesOfAStandardLens) {
  Connect(kZoom);
  Read();
  EXPECT_EQ(controller_->LastTransferType(), kTransferBothRead);
  const auto area = device_->AfArea();
  ASSERT_EQ(model_.AfImage.size(), 2u);
  EXPECT_EQ(model_.AfImage, model_.CsImage);
  EXPECT_TRUE(std::equal(model_.AfImage[0].begin(), model_.AfImage[0].end(), area.begin()));
  EXPECT_TRUE(std::equal(model_.AfImage[1].begin(), model_.AfImage[1].end(), area.begin() + 2048));
  // The profile's record: mode 2 is speed priority, limiter 2..8, OS mode 1.
  EXPECT_EQ(model_.mode1Group, MakeGroup(0xFF, 0xF5, 0xFF, 0xFF));
  EXPECT_EQ(model_.mode2Group, MakeGroup(0xFE, 0xF7, 0xFD, 0xFE));
  EXPECT_EQ(model_.mfWord, 0xF755);
  EXPECT_EQ(model_.afFunctionByte, 0xFF);
  EXPECT_EQ(model_.afEditBuffer[0], 0xFD);    // set 0, row 0: +2
  EXPECT_EQ(model_.afEditBuffer[256], 0x02);  // row 8: -3
  EXPECT_EQ(model_.afSetBuffers[0], model_.afEditBuffer);
  EXPECT_EQ(model_.afSetBuffers[1], LensSettingsModel::FilledTable(0xFF));
  EXPECT_EQ(model_.csSnapshot, std::vector<std::uint8_t>(area.begin(), area.begin() + 512));
  // 128 units: the bar stops one short of its end.
  EXPECT_EQ(lastMax_, 128);
  EXPECT_EQ(lastPosition_, 127);
  EXPECT_FALSE(state_.sequenceActive);
}

TEST_F(SettingsTest, CsAreaReadOfAnMlMountLens) {
  Connect(kMl);
  Read();
  EXPECT_EQ(controller_->LastTransferType(), kTransferCsRead);
  ASSERT_EQ(model_.CsImage.size(), 1u);
  EXPECT_EQ(model_.CsImage[0], device_->CsArea());
  EXPECT_TRUE(model_.AfImage.empty());
  EXPECT_EQ(model_.writeCounter, 0xFFFC);
  EXPECT_EQ(model_.mfSensitivityByte, 0xFF);
  EXPECT_EQ(GroupByte(model_.mode2Group, 1), 0xFC);
  EXPECT_EQ(GroupByte(model_.mode2Group, 3), 0xFD);
  EXPECT_EQ(lastPosition_, 15);
}

TEST_F(SettingsTest, ReadWithoutCapabilitiesTalksToNobody) {
  Connect(kZoom);
  auto info = model_.LensInfo();
  info.CustomSW = info.FocusCtrl = info.MFCtrl = info.AFFuncBCtrl = info.MFSensCtrl = 0;
  model_.SetLensInfo(info);
  const std::size_t before = device_->ReportsReceived();
  bool failed = true;
  EXPECT_TRUE(controller_->BothDataRead(failed, false));
  EXPECT_FALSE(failed);
  EXPECT_EQ(device_->ReportsReceived(), before);
}

struct CsWriteCase {
  std::string profile;
  std::function<void(LensSettingsModel&)> edit;
  std::set<std::size_t> changed;  // offsets in the lens memory
};

TEST_F(SettingsTest, CsWriteChangesOnlyTheEditedBytesInEveryPlace) {
  const CsWriteCase cases[] = {
      // AF speed of mode 1 (byte 0) and the manual-override level (byte 9), in both places.
      {kZoom, [](LensSettingsModel& m) { m.selectedMode = 1; m.SetAfSpeed(2); m.SetMfLevel(3); },
       {0x000, 0x009, 0xE00, 0xE09}},
      // OS mode of mode 1 (byte 5) plus the write counter (byte 0: 3 writes become 4).
      {kMl, [](LensSettingsModel& m) { m.selectedMode = 1; m.SetOsMode(2); }, {0x000, 0x005}},
  };
  for (const CsWriteCase& c : cases) {
    SCOPED_TRACE(c.profile);
    Connect(c.profile);
    Read();
    const auto before = device_->CsArea();
    c.edit(model_);
    bool failed = true;
    ASSERT_TRUE(controller_->CSDataWrite(failed));
    const auto after = device_->CsArea();
    EXPECT_EQ(Differences(before, after), c.changed);
    // The images follow the lens, so a read-back shows what was written.
    EXPECT_TRUE(std::equal(model_.CsImage[0].begin(), model_.CsImage[0].end(), after.begin()));
    EXPECT_FALSE(model_.IsChangeCSDoubleData());
  }
  EXPECT_EQ(device_->CsArea()[0], 0xFB);
}

TEST_F(SettingsTest, AfWriteChangesOnlyTheEditedZoneOfTheCurrentSet) {
  struct Case {
    std::string profile;
    std::size_t table, halfScale;  // where the current set lies in the lens memory
  };
  for (const Case& c : {Case{kZoom, 0x200, 0x800}, Case{kPrime, 0x400, 0xA00}}) {
    SCOPED_TRACE(c.profile);
    Connect(c.profile);
    Read();
    const auto before = device_->AfArea();
    // Rows 4..7, bytes 22..31: one zone of the grid.
    std::set<std::size_t> zone;
    for (std::size_t row = 4; row < 8; ++row) {
      for (std::size_t col = 22; col < 32; ++col) {
        model_.afEditBuffer[row * 32 + col] = EncodeAfValue(-5);
        zone.insert(c.table + row * 32 + col);
        zone.insert(c.halfScale + row * 32 + col);
      }
    }
    bool failed = true;
    ASSERT_TRUE(controller_->AFDataWrite(failed));
    const auto after = device_->AfArea();
    for (const std::size_t offset : Differences(before, after)) EXPECT_TRUE(zone.contains(offset)) << offset;
    for (const std::size_t offset : zone) {
      EXPECT_EQ(after[offset], offset < c.halfScale ? EncodeAfValue(-5) : HalfScaleByte(EncodeAfValue(-5))) << offset;
    }
    EXPECT_FALSE(model_.IsChangeAFData());
  }
}

TEST_F(SettingsTest, RestoreAfterFirmwareUpdateWritesTheSavedSettingsIntoErasedBlocks) {
  for (const std::string& profile : {kZoom, kMl}) {
    SCOPED_TRACE(profile);
    Connect(profile);
    bool failed = true;
    ASSERT_TRUE(controller_->BothDataRead(failed, true));
    const auto lensBefore = device_->Attached();
    // The firmware update leaves the data areas erased.
    auto erased = *lensBefore;
    std::fill(erased.afArea.begin(), erased.afArea.end(), 0xFF);
    std::fill(erased.csArea.begin(), erased.csArea.end(), 0xFF);
    device_->Mount(erased);
    ASSERT_TRUE(controller_->RestoreCustomData(failed));
    if (profile == kZoom) {
      EXPECT_EQ(controller_->LastTransferType(), kTransferRestore);
      // The shipped memory holds nothing but the record places and consistent AF tables,
      // so restoring them gives back every byte.
      EXPECT_EQ(device_->AfArea(), lensBefore->afArea);
    } else {
      EXPECT_EQ(controller_->LastTransferType(), kTransferRestoreMl);
      auto expected = lensBefore->csArea;
      expected[0] = 0xFB;  // one more write
      EXPECT_EQ(device_->CsArea(), expected);
    }
  }
}

TEST_F(SettingsTest, ResetFromFirmwareFile) {
  Connect(kZoom);
  Read();
  bool failed = true;
  ASSERT_TRUE(controller_->ResetCustomData(failed, true));
  EXPECT_EQ(controller_->LastTransferType(), kTransferResetFromFirmware);
  // Erased blocks with the file's record at both CS places: every AF table is zero.
  const auto firmware = FileBytes(kZoomFirmware);
  std::vector<std::uint8_t> expected(4096, 0xFF);
  std::copy_n(firmware.begin() + 0x7000, 512, expected.begin());
  std::copy_n(firmware.begin() + 0x7E00, 512, expected.begin() + 0xE00);
  EXPECT_EQ(device_->AfArea(), expected);
  EXPECT_EQ(model_.AfImage[0], std::vector<std::uint8_t>(expected.begin(), expected.begin() + 2048));

  Connect(kMl);
  Read();
  ASSERT_TRUE(controller_->ResetCustomData(failed, true));
  EXPECT_EQ(controller_->LastTransferType(), kTransferResetMl);
  EXPECT_EQ(device_->CsArea(), std::vector<std::uint8_t>(512, 0xFF));
  EXPECT_EQ(model_.CsImage, Image{Block(512, 0xFF)});
}

TEST_F(SettingsTest, ResetToComputedDefaultsKeepsUntouchedRecordBytes) {
  Connect(kZoom);
  Read();
  bool failed = true;
  ASSERT_TRUE(controller_->ResetCustomData(failed, false));
  const auto area = device_->AfArea();
  // Limiter 0..10, override on at level 8, AFL; bytes 10 and 11 travel unchanged.
  const std::vector<std::uint8_t> record{0xFF, 0xF5, 0xFF, 0xFF, 0xFF, 0xF5, 0xFF, 0xFF, 0x55, 0xF7, 0x5A, 0xA5, 0xFF};
  EXPECT_TRUE(std::equal(record.begin(), record.end(), area.begin()));
  EXPECT_TRUE(std::equal(record.begin(), record.end(), area.begin() + 0xE00));
  for (std::size_t i = 0x200; i < 0xE00; ++i) ASSERT_EQ(area[i], 0xFF) << i;
}

TEST_F(SettingsTest, UnplugAtARandomUnitEndsEveryWorkerWithItsFailure) {
  struct Case {
    std::string profile;
    int type;
    int units;
  };
  const Case cases[] = {
      {kZoom, kTransferBothRead, 128}, {kZoom, kTransferAfWrite, 128}, {kZoom, kTransferCsWrite, 128},
      {kZoom, kTransferReset, 128},    {kZoom, kTransferRestore, 128}, {kZoom, kTransferResetFromFirmware, 128},
      {kMl, kTransferCsRead, 16},      {kMl, kTransferRestoreMl, 16},  {kMl, kTransferResetMl, 16},
  };
  std::mt19937 random(20250218);
  for (const Case& c : cases) {
    Connect(c.profile);
    Read();
    // Reports from the start command: 1 start, then two per unit (request and reply are one).
    const auto unit = std::uniform_int_distribution<int>(1, c.units)(random);
    SCOPED_TRACE(c.profile + " type " + std::to_string(c.type) + " unit " + std::to_string(unit));
    sim::Faults faults;
    faults.disconnectAfter = static_cast<std::size_t>(unit) + 1;
    device_->SetFaults(faults);
    EXPECT_EQ(host_.Run(c.type, [&](TransferProgress& p) { return RunSettingsWorker(c.type, *dock_, model_, p); }),
              kTransferDeviceFailure);
    EXPECT_FALSE(device_->IsPlugged());
    EXPECT_FALSE(dock_->IsPolling());
  }
  // Through the controller: the failure is reported, and the lost device handed over.
  Connect(kZoom);
  Read();
  sim::Faults faults;
  faults.disconnectAfter = 40;
  device_->SetFaults(faults);
  bool failed = false;
  EXPECT_FALSE(controller_->CSDataWrite(failed));
  EXPECT_TRUE(failed);
  EXPECT_EQ(devicesLost_, 1);
  EXPECT_EQ(dock_->lastStatus(), 0);
  EXPECT_FALSE(state_.sequenceActive);
  EXPECT_NE(LogText().find("ErrNo.4031"), std::string::npos);
}

TEST_F(SettingsTest, UnitStatusFailuresAreReportedByTheWorkerThatOwnsThem) {
  struct Case {
    std::string profile;
    int type;
    std::uint8_t status;
    const char* report;  // empty: the worker reports nothing of its own
  };
  const Case cases[] = {
      {kZoom, kTransferBothRead, 0xFF, "ErrNo.7127"},
      {kMl, kTransferCsRead, 0x00, "ErrNo.6827"},
      {kZoom, kTransferCsWrite, 0x00, "ErrNo.4129"},
      {kZoom, kTransferAfWrite, 0x00, "ErrNo.3129"},
      {kZoom, kTransferAfWrite, 0xEE, "ErrNo.3127"},
      {kZoom, kTransferReset, 0x00, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.report);
    Connect(c.profile);
    Read();
    Log::Instance().Configure(true, dir_ / "case.txt");
    sim::Faults faults;
    faults.unitStatus = sim::UnitStatusFault{5, c.status};
    device_->SetFaults(faults);
    EXPECT_EQ(host_.Run(c.type, [&](TransferProgress& p) { return RunSettingsWorker(c.type, *dock_, model_, p); }),
              kTransferDeviceFailure);
    std::ifstream in(dir_ / "case.txt");
    const std::string log{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (*c.report == 0) {
      EXPECT_EQ(log, "");
    } else {
      EXPECT_NE(log.find(c.report), std::string::npos) << log;
    }
    std::filesystem::remove(dir_ / "case.txt");
  }
}

TEST_F(SettingsTest, APlaceOutsideItsBlockIsRefusedBeforeTheLensIsTouched) {
  Connect(kZoom);
  Read();
  auto info = model_.LensInfo();
  update::ParseOffsetList("1,0,700", info.af0List);  // 0x700 + 512 runs past 2048
  model_.SetLensInfo(info);
  const std::size_t before = device_->ReportsReceived();
  EXPECT_EQ(host_.Run(kTransferAfWrite,
                      [&](TransferProgress& p) { return RunSettingsWorker(kTransferAfWrite, *dock_, model_, p); }),
            kTransferDataFailure);
  EXPECT_EQ(device_->ReportsReceived(), before);
  EXPECT_NE(LogText().find("ErrNo.3134"), std::string::npos);
}

TEST_F(SettingsTest, AnEmptyMapEndsRightAfterTheStartCommand) {
  Connect(kZoom);
  auto info = model_.LensInfo();
  update::ParseBlockMap("0,0,0", info.afMap);
  model_.SetLensInfo(info);
  const std::size_t before = device_->ReportsReceived();
  EXPECT_EQ(host_.Run(kTransferBothRead,
                      [&](TransferProgress& p) { return RunSettingsWorker(kTransferBothRead, *dock_, model_, p); }),
            kTransferSuccess);
  EXPECT_EQ(device_->ReportsReceived(), before + 1);
}

TEST_F(SettingsTest, WritesNeedAReadyLens) {
  Connect(kZoom);
  Read();
  sim::Faults faults;
  faults.forcedStatus = 0x00;
  device_->SetFaults(faults);
  const auto before = device_->AfArea();
  bool failed = true;
  EXPECT_FALSE(controller_->AFDataWrite(failed));
  EXPECT_FALSE(failed);
  EXPECT_EQ(device_->AfArea(), before);
  EXPECT_NE(LogText().find("ErrNo.3033"), std::string::npos);
}

// ---- the virtual lens on its own ----

TEST(DataAreaSim, UnitRequestsOutOfSequenceAreRefused) {
  sim::VirtualDevice device(sim::LoadProfile(kSource + "/demo/devices/" + kZoom + ".json"));
  const auto link = device.Open();
  const auto ask = [&](const dock::Report& request) {
    EXPECT_EQ(link->Write(request.data(), request.size()), static_cast<int>(request.size()));
    dock::Report reply{};
    link->Read(reply.data(), reply.size(), 1000);
    return reply;
  };
  dock::BlockRequest write{dock::cmd::kAfWriteUnit, 128, 3, {}};
  write.data.fill(0x11);
  // No start command yet.
  EXPECT_EQ(dock::AckReply::Decode(ask(write.Encode())).status, 0x00);
  ask(dock::CodeRequest{dock::cmd::kAfWriteStart}.Encode());
  dock::Report done{};
  link->Read(done.data(), done.size(), 1000);  // the final 0xAA after "still working"
  EXPECT_EQ(dock::StatusReply::Decode(done).status, 0xAA);
  // Wrong unit count, a unit beyond it, a read inside a write.
  EXPECT_EQ(dock::AckReply::Decode(ask(dock::BlockRequest{dock::cmd::kAfWriteUnit, 64, 3, {}}.Encode())).status, 0x00);
  EXPECT_EQ(dock::AckReply::Decode(ask(dock::BlockRequest{dock::cmd::kAfWriteUnit, 128, 128, {}}.Encode())).status, 0x00);
  EXPECT_EQ(dock::DataUnitReply::Decode(ask(dock::WordsRequest{dock::cmd::kAfReadUnit, 128, 3}.Encode())).status, 0x00);
  const auto before = device.AfArea();
  EXPECT_EQ(dock::AckReply::Decode(ask(write.Encode())).status, 0xAA);
  const auto after = device.AfArea();
  std::set<std::size_t> unit3;
  for (std::size_t i = 96; i < 128; ++i) unit3.insert(i);
  EXPECT_EQ(Differences(before, after), unit3);
}

TEST(DataAreaSim, ProfileMemoryIsChecked) {
  const auto profile = [](const std::string& memory, std::uint8_t mount) {
    return R"({"name": "n", "device": {"productId": "0x8781", "versionBytes": [1, 0, 0, 16], "mountCode": 16},
               "attached": {"productCode": 1, "mountCode": )" + std::to_string(mount) +
           R"(, "serialNumber": "1", "versionBytes": [1, 0, 0, 16], "memory": )" + memory + "}}";
  };
  const auto good = sim::ParseProfile(
      profile(R"({"cs": {"units": 1, "fill": "0x00", "patches": [{"at": 30, "hex": "AB CD"}]}})", 0x90), "p.json");
  std::vector<std::uint8_t> expected(32, 0x00);
  expected[30] = 0xAB;
  expected[31] = 0xCD;
  EXPECT_EQ(good.attached->csArea, expected);
  for (const auto& [memory, mount] : std::vector<std::pair<std::string, std::uint8_t>>{
           {R"({"cs": {"units": 1}})", 0x10},                                        // standard lens
           {R"({"af": {"units": 1, "patches": [{"at": 31, "hex": "0102"}]}})", 0x10},  // past the end
           {R"({"af": {"units": 1, "size": 3}})", 0x10},                             // unknown field
       }) {
    EXPECT_THROW(sim::ParseProfile(profile(memory, mount), "p.json"), sim::ProfileError) << memory;
  }
}

}  // namespace
}  // namespace cbx::lens
