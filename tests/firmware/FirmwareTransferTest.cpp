// The five firmware workers against a virtual device: what arrives, how each failure is
// numbered, and that a pulled cable ends the worker cleanly.
#include <gmock/gmock.h>

#include <random>

#include "FirmwareFixture.h"

namespace cbx::firmware::test {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Not;

constexpr int kBlockTypes[] = {lens::kTransferLensFirmware, lens::kTransferLensFirmware256,
                               lens::kTransferDockFirmware, lens::kTransferConverterFirmware};
constexpr int kAllTypes[] = {lens::kTransferLensFirmware, lens::kTransferLensFirmwareSectors,
                             lens::kTransferLensFirmware256, lens::kTransferDockFirmware,
                             lens::kTransferConverterFirmware};

// Two sectors away from the start of the file and apart from each other; block numbers
// continue across them.
update::BlockMap TwoSectors(int type) {
  const auto unit = static_cast<std::uint32_t>(UnitBytes(type));
  return Map({2 * unit, 8 * unit}, {0, 3}, {3, 2});
}

class BlockVariantTest : public FirmwareTest, public ::testing::WithParamInterface<int> {};

TEST_P(BlockVariantTest, CarriesTheFileFromTheMapAddressesAndEndsWithTheNewVersion) {
  const int type = GetParam();
  Connect(type);
  const std::size_t unit = UnitBytes(type);
  const update::BlockMap map = TwoSectors(type);
  Prepare(type, Pattern(10 * unit), map);

  ASSERT_EQ(Run(type), lens::kTransferSuccess) << LogText();

  const sim::FirmwareRecord got = device_->Firmware();
  EXPECT_TRUE(got.complete);
  EXPECT_EQ(got.refused, "");
  EXPECT_EQ(got.total, map.total);
  ASSERT_EQ(got.blocks.size(), 5u);
  for (std::size_t i = 0; i < 2; ++i) {
    for (int b = map.start[i]; b < map.start[i] + map.length[i]; ++b) {
      const auto from = file_.begin() + static_cast<std::ptrdiff_t>(map.address[i] + static_cast<std::size_t>(b - map.start[i]) * unit);
      EXPECT_EQ(got.blocks.at(static_cast<std::uint16_t>(b)), std::vector<std::uint8_t>(from, from + static_cast<std::ptrdiff_t>(unit)))
          << "block " << b;
    }
  }
  EXPECT_EQ(progress_.Max(), map.total);
  EXPECT_EQ(progress_.Position(), map.total - 1);

  if (IsLensType(type)) {
    EXPECT_EQ(lens_.rawVersion, "1.3.0");
    EXPECT_EQ(device_->Attached()->version, kNewVersion);
    EXPECT_FALSE(restartPending_);
  } else {
    EXPECT_TRUE(restartPending_);
    EXPECT_EQ(dockInfo_.dockRawVersion, "2.0.0");
    EXPECT_EQ(device_->Profile().device.version, kNewVersion);
  }
  if (type == lens::kTransferConverterFirmware) {
    // The worker found the restarted converter again and it answers.
    EXPECT_TRUE(dock_->IsReady());
    EXPECT_EQ(dock_->deviceKind(), dock::DeviceKind::MountConverter);
    int status = 0;
    EXPECT_TRUE(dock_->RequestStatus(status));
  } else if (type == lens::kTransferDockFirmware) {
    // The dock went away; finding it again is the controller's connect thread's work.
    int status = 0;
    EXPECT_FALSE(dock_->RequestStatus(status));
  }
}

INSTANTIATE_TEST_SUITE_P(Firmware, BlockVariantTest, ::testing::ValuesIn(kBlockTypes));

TEST_F(FirmwareTest, SectorTableVariantSendsTheTableThenTheWholeFileInPackets) {
  Connect(lens::kTransferLensFirmwareSectors);
  lens_.transferMethod = 1;
  Prepare(lens::kTransferLensFirmwareSectors, Pattern(100), Map({0x1000, 0x2000}, {0, 4}, {4, 0x1000}));

  ASSERT_EQ(Run(lens::kTransferLensFirmwareSectors), lens::kTransferSuccess) << LogText();

  const sim::SectorTableRecord table = device_->SectorTable();
  EXPECT_TRUE(table.Complete());
  EXPECT_THAT(table.entries, ElementsAre(dock::SectorEntry{0x1000, 4 * 32}, dock::SectorEntry{0x2000, 0x20000}));
  const sim::FirmwareRecord got = device_->Firmware();
  EXPECT_TRUE(got.complete);
  EXPECT_EQ(got.total, 2);
  EXPECT_THAT(got.packetSizes, ElementsAre(56u, 44u));
  EXPECT_EQ(got.packetData, file_);
  EXPECT_EQ(progress_.Max(), 100);
  EXPECT_EQ(progress_.Position(), 100);
  EXPECT_EQ(lens_.rawVersion, "1.3.0");
}

class SizeCheckTest : public FirmwareTest, public ::testing::WithParamInterface<int> {};

// A missing file and one shorter than the map are refused before the device hears anything.
TEST_P(SizeCheckTest, FileErrorsComeBeforeAnyCommand) {
  const int type = GetParam();
  Connect(type);
  const update::BlockMap map = Map({0}, {0}, {4});
  struct Case {
    std::size_t fileSize;  // 0 with `missing` for no file at all
    bool missing;
    int error;
  };
  // The size rule counts 32-byte units, also for 256-byte blocks; the sector-table variant
  // refuses only an empty file.
  const std::size_t tooShort = type == lens::kTransferLensFirmwareSectors ? 0 : 4 * 32 - 1;
  for (const Case c : {Case{0, true, 16}, Case{tooShort, false, 23}}) {
    Prepare(type, Pattern(c.fileSize), map);
    if (c.missing) lens_.fwLocalPath = dockInfo_.dockFwLocalPath = dir_ / "absent.bin";
    EXPECT_EQ(Run(type), lens::kTransferDataFailure);
    EXPECT_THAT(LogText(), HasSubstr(Err(Function(type), c.error)));
  }
  EXPECT_EQ(device_->ReportsReceived(), 0u);
}

INSTANTIATE_TEST_SUITE_P(Firmware, SizeCheckTest, ::testing::ValuesIn(kAllTypes));

TEST_F(FirmwareTest, A256ByteBlockRunningPastTheEndIsAShortRead) {
  Connect(lens::kTransferLensFirmware256);
  // Exactly total x 32 bytes: enough for the size rule, one 256-byte block only.
  Prepare(lens::kTransferLensFirmware256, Pattern(8 * 32), Map({0}, {0}, {8}));
  EXPECT_EQ(Run(lens::kTransferLensFirmware256), lens::kTransferDataFailure);
  EXPECT_THAT(LogText(), HasSubstr(Err(11, 28)));
  EXPECT_EQ(device_->Firmware().blocks.size(), 1u);
}

class AckStatusTest : public FirmwareTest, public ::testing::WithParamInterface<int> {};

TEST_P(AckStatusTest, NotFinishedAcknowledgementIsAnUpdateStatusError) {
  const int type = GetParam();
  Connect(type);
  Prepare(type, Pattern(10 * UnitBytes(type)), TwoSectors(type));
  sim::Faults faults;
  faults.firmwareStatus = sim::UnitStatusFault{3, 0x00};
  device_->SetFaults(faults);

  EXPECT_EQ(Run(type), CommandFailure(type));
  EXPECT_THAT(LogText(), HasSubstr(Err(Function(type), 29)));
  EXPECT_FALSE(device_->Firmware().complete);
  EXPECT_FALSE(restartPending_);
  EXPECT_EQ(lens_.rawVersion, "");
}

INSTANTIATE_TEST_SUITE_P(Firmware, AckStatusTest, ::testing::ValuesIn(kAllTypes));

class UnplugTest : public FirmwareTest, public ::testing::WithParamInterface<int> {};

// The cable goes at a random report from the start command to the last data request; the
// worker ends with its command-failure result and leaves no thread behind.
TEST_P(UnplugTest, PulledCableEndsTheWorkerWithItsFailureResult) {
  const int type = GetParam();
  const std::size_t unit = UnitBytes(type);
  const std::size_t reportsPerBlock = unit == 256 ? 5 : 1;
  const std::size_t dataReports =
      type == lens::kTransferLensFirmwareSectors ? (10 * unit + 55) / 56 : 5 * reportsPerBlock;
  std::mt19937 random(std::random_device{}());
  const auto at = std::uniform_int_distribution<std::size_t>(1, 1 + dataReports)(random);
  SCOPED_TRACE("unplugged at report " + std::to_string(at));

  Connect(type);
  Prepare(type, Pattern(10 * unit), TwoSectors(type));
  const int threadsBefore = Threads();
  sim::Faults faults;
  faults.disconnectAfter = at;
  device_->SetFaults(faults);

  lens::TransferHost host;
  const int result = host.Run(type, [&](lens::TransferProgress&) { return Run(type); }, progress_);

  EXPECT_EQ(result, CommandFailure(type));
  EXPECT_THAT(LogText(), Not(HasSubstr(Err(Function(type), 30))));
  EXPECT_FALSE(device_->IsPlugged());
  EXPECT_FALSE(restartPending_);
  EXPECT_EQ(Threads(), threadsBefore);
}

INSTANTIATE_TEST_SUITE_P(Firmware, UnplugTest, ::testing::ValuesIn(kAllTypes));


// The virtual device refuses requests out of sequence with a failure status, so that a
// host numbering wrongly fails on the wire.
TEST(FirmwareDeviceTest, OutOfSequenceRequestsAreRefused) {
  const dock::Unit data{};
  const auto block = [&](std::uint16_t total, std::uint16_t b) {
    return dock::BlockRequest{dock::cmd::kLensBlock, total, b, data}.Encode();
  };
  const struct {
    const char* what;
    std::vector<dock::Report> sent;  // the last one is the refused one
  } cases[] = {
      {"block without start", {block(4, 0)}},
      {"block sent twice", {dock::CodeRequest{dock::cmd::kLensUpdateStart}.Encode(), block(4, 1), block(4, 1)}},
      {"total changed", {dock::CodeRequest{dock::cmd::kLensUpdateStart}.Encode(), block(4, 0), block(5, 1)}},
      {"block beyond the total", {dock::CodeRequest{dock::cmd::kLensUpdateStart}.Encode(), block(4, 4)}},
      {"dock block after a lens start",
       {dock::CodeRequest{dock::cmd::kLensUpdateStart}.Encode(),
        dock::BlockRequest{dock::cmd::kDockBlock, 4, 0, data}.Encode()}},
      {"packet without a sector table", {dock::DataPacket{dock::cmd::kLensPacket, 1, 0, {1, 2, 3}}.Encode()}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    sim::VirtualDevice device(DockProfile());
    const Host host{device.Open()};
    std::optional<dock::Report> reply;
    for (const dock::Report& r : c.sent) {
      ASSERT_TRUE(host.Send(r));
      // Drain everything a start command answers.
      do reply = host.Next(100); while (reply && dock::CodeOf(*reply) == dock::cmd::kLensUpdateStartReply &&
                                         dock::StatusReply::Decode(*reply).status != dock::kStatusDone);
    }
    ASSERT_TRUE(reply.has_value());
    EXPECT_EQ(dock::AckReply::Decode(*reply).status, sim::kFirmwareRefused);
    EXPECT_NE(device.Firmware().refused, "");
  }
}

}  // namespace
}  // namespace cbx::firmware::test
