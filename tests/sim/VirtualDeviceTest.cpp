#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "SimTestSupport.h"
#include "sim/SimBackend.h"
#include "sim/VirtualDevice.h"

namespace cbx::sim {
namespace {

using dock::Report;
using test::DockProfile;
using test::Host;
namespace cmd = dock::cmd;

TEST(VirtualDevice, AnswersIdentificationAndStatusAboutWhatIsMounted) {
  VirtualDevice device(LoadProfile("zoom-lens-dock"));
  std::mutex traceMutex;
  std::vector<std::string> trace;
  device.SetTrace([&](const std::string& line) {
    std::lock_guard lock(traceMutex);
    trace.push_back(line);
  });
  const Host host{device.Open()};
  ASSERT_TRUE(host.link);

  auto status = host.Ask(cmd::kStatus);
  ASSERT_TRUE(status);
  EXPECT_EQ(dock::CodeOf(*status), cmd::kStatusReply);
  EXPECT_EQ(dock::StatusReply::Decode(*status).status, 0xAA);

  const auto product = dock::ProductCodeReply::Decode(*host.Ask(cmd::kProductCode));
  EXPECT_EQ(product.productCode, 0x04A1);
  EXPECT_EQ(product.mountCode, 0x10);
  const auto serial = dock::SerialNumberReply::Decode(*host.Ask(cmd::kSerialNumber));
  EXPECT_EQ(std::string(serial.text.begin(), serial.text.end()), "12345678");
  const auto lensVersion = dock::FirmwareVersionReply::Decode(*host.Ask(cmd::kFirmwareVersion));
  EXPECT_EQ(lensVersion.version, 0x10200001u);
  EXPECT_EQ(lensVersion.format, 0xAA);
  const auto dockVersion = dock::DeviceVersionReply::Decode(*host.Ask(cmd::kDeviceVersion));
  EXPECT_EQ(dockVersion.version, 0x10230045u);
  EXPECT_EQ(dockVersion.mountCode, 0x10);
  EXPECT_EQ(dockVersion.format, 0xAA);
  EXPECT_EQ(dockVersion.capability, 0x06);
  const auto path = dock::PathCodeReply::Decode(*host.Ask(cmd::kPathCode));
  EXPECT_EQ(path.byte3, 0x01);
  EXPECT_EQ(path.byte4, 0x23);

  device.Unmount();
  EXPECT_EQ(dock::StatusReply::Decode(*host.Ask(cmd::kStatus)).status, 0x00);
  EXPECT_EQ(dock::ProductCodeReply::Decode(*host.Ask(cmd::kProductCode)).mountCode, 0x00);
  device.Mount(*LoadProfile("recovery-lens").attached);
  EXPECT_EQ(dock::StatusReply::Decode(*host.Ask(cmd::kStatus)).status, 0xCC);

  // A device may speak unasked; the host reads it in order.
  EXPECT_TRUE(device.SendReport(dock::StatusReply{cmd::kStatusReply, 0xEE}.Encode()));
  EXPECT_EQ(dock::StatusReply::Decode(*host.Next()).status, 0xEE);

  std::lock_guard lock(traceMutex);
  ASSERT_GE(trace.size(), 3u);
  EXPECT_EQ(trace[1].rfind("-> 0x0101", 0), 0u) << trace[1];
  EXPECT_EQ(trace[2].rfind("<- 0x0102 aa", 0), 0u) << trace[2];
}

TEST(VirtualDevice, StartCommandsReportWorkingThenDone) {
  DeviceProfile profile = DockProfile();
  profile.behaviour.workingReports = 2;
  VirtualDevice device(profile);
  const Host host{device.Open()};
  for (std::uint16_t code : {cmd::kLensUpdateStart, cmd::kDockUpdateStart, cmd::kAfReadStart, cmd::kAfWriteStart,
                             cmd::kCsReadStart, cmd::kCsWriteStart}) {
    SCOPED_TRACE(code);
    ASSERT_TRUE(host.Send(dock::CodeRequest{code}.Encode()));
    for (int expected : {0x00, 0x00, 0xAA}) {
      const auto reply = host.Next();
      ASSERT_TRUE(reply);
      EXPECT_EQ(dock::CodeOf(*reply), code + 1);
      EXPECT_EQ(dock::StatusReply::Decode(*reply).status, expected);
    }
  }
  EXPECT_FALSE(host.Next(50)) << "nothing after the final 0xAA";
}

TEST(VirtualDevice, SectorTableIsRecordedAndAnsweredPerProfile) {
  struct Case {
    SectorTableAnswers answers;
    std::size_t entries;
    std::vector<bool> answered;  // per chunk
  };
  const Case cases[] = {
      {SectorTableAnswers::Every, 3, {true}},
      {SectorTableAnswers::Every, 7, {true, true}},  // the second chunk carries no entries
      {SectorTableAnswers::Every, 9, {true, true}},
      {SectorTableAnswers::First, 9, {true, false}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.entries << " entries, answers " << static_cast<int>(c.answers));
    DeviceProfile profile = DockProfile();
    profile.behaviour.sectorTableAnswers = c.answers;
    VirtualDevice device(profile);
    const Host host{device.Open()};
    std::vector<dock::SectorEntry> table;
    for (std::uint32_t i = 0; i < c.entries; ++i) table.push_back({0x10000 * (i + 1), 0x20000 + i});

    const std::size_t chunks = c.entries / 7 + 1;
    ASSERT_EQ(chunks, c.answered.size());
    for (std::size_t k = 0; k < chunks; ++k) {
      dock::SectorTableChunk chunk;
      chunk.totalEntries = static_cast<std::uint8_t>(c.entries);
      for (std::size_t i = k * 7; i < std::min(c.entries, k * 7 + 7); ++i) chunk.entries.push_back(table[i]);
      ASSERT_TRUE(host.Send(chunk.Encode()));
      if (!c.answered[k]) continue;
      for (int expected : {0xCC, 0xAA}) {
        const auto reply = host.Next();
        ASSERT_TRUE(reply);
        EXPECT_EQ(dock::CodeOf(*reply), cmd::kSectorTableReply);
        EXPECT_EQ(dock::StatusReply::Decode(*reply).status, expected);
      }
    }
    EXPECT_FALSE(host.Next(50));
    const SectorTableRecord record = device.SectorTable();
    EXPECT_TRUE(record.Complete());
    EXPECT_EQ(record.totalEntries, c.entries);
    EXPECT_EQ(record.entries, table);
  }
}

TEST(VirtualDevice, UnplugFailsTheConnectionAndWakesAWaitingRead) {
  VirtualDevice device(DockProfile());
  const Host host{device.Open()};
  ASSERT_TRUE(host.link);
  EXPECT_EQ(device.Open(), nullptr) << "one host at a time";

  std::atomic<int> readResult{1000};
  std::thread reader([&] {
    std::uint8_t buffer[65];
    readResult = host.link->Read(buffer, sizeof buffer, test::kPatienceMs);
  });
  device.Unplug();
  reader.join();
  EXPECT_EQ(readResult, -1);
  EXPECT_FALSE(host.Send(dock::CodeRequest{cmd::kStatus}.Encode()));
  EXPECT_EQ(device.Open(), nullptr);

  device.Plug();
  EXPECT_FALSE(host.Send(dock::CodeRequest{cmd::kStatus}.Encode())) << "an old connection stays dead";
  const Host again{device.Open()};
  ASSERT_TRUE(again.link);
  EXPECT_TRUE(again.Ask(cmd::kStatus));
  EXPECT_EQ(again.link->Write(std::vector<std::uint8_t>(64).data(), 64), -1) << "reports are 65 bytes";
}

TEST(VirtualDevice, EndOfDockUpdateRestartsAsAnotherProduct) {
  DeviceProfile profile = DockProfile();
  profile.behaviour.restartMs = 1000;
  profile.behaviour.productIdAfterRestart = dock::kProductMountConverter;
  auto device = std::make_shared<VirtualDevice>(profile);
  SimBackend backend({device});
  const Host host{device->Open()};

  ASSERT_TRUE(host.Send(dock::CodeRequest{cmd::kDockUpdateEnd}.Encode()));
  std::uint8_t buffer[65];
  EXPECT_EQ(host.link->Read(buffer, sizeof buffer, test::kPatienceMs), -1) << "no reply, the device is gone";
  EXPECT_EQ(device->Open(), nullptr);
  EXPECT_FALSE(backend.FindAndOpen(dock::DockVendorId(), dock::kProductMountConverter));

  ASSERT_TRUE(test::Eventually([&] { return device->IsPlugged(); }));
  EXPECT_EQ(device->ProductId(), dock::kProductMountConverter);
  EXPECT_FALSE(backend.FindAndOpen(dock::DockVendorId(), dock::kProductLensDock));
  const auto found = backend.FindAndOpen(dock::DockVendorId(), dock::kProductMountConverter);
  ASSERT_TRUE(found);
  EXPECT_TRUE(Host{found->connection}.Ask(cmd::kStatus));
}

Faults MakeFaults(ReplyFault reply, std::optional<std::uint16_t> code = {}, std::optional<std::uint8_t> status = {}) {
  Faults f;
  f.reply = reply;
  f.replyFaultCode = code;
  f.forcedStatus = status;
  return f;
}

TEST(VirtualDevice, FaultsChangeOrWithholdAnswers) {
  struct Case {
    const char* what;
    Faults faults;
    std::uint16_t request;
    std::optional<std::uint16_t> replyCode;  // nothing: no reply
    std::uint8_t byte3;
  };
  const Case cases[] = {
      {"silent to all", MakeFaults(ReplyFault::Silent), cmd::kStatus, std::nullopt, 0},
      {"silent to one", MakeFaults(ReplyFault::Silent, cmd::kProductCode), cmd::kProductCode, std::nullopt, 0},
      {"silent to another", MakeFaults(ReplyFault::Silent, cmd::kProductCode), cmd::kStatus, cmd::kStatusReply, 0xAA},
      {"wrong code", MakeFaults(ReplyFault::WrongCode), cmd::kProductCode, cmd::kStatusReply, 0xA1},
      {"wrong code on status", MakeFaults(ReplyFault::WrongCode), cmd::kStatus, cmd::kProductCodeReply, 0xAA},
      {"forced status", MakeFaults(ReplyFault::None, std::nullopt, 0xEE), cmd::kStatus, cmd::kStatusReply, 0xEE},
      {"unknown command", Faults{}, std::uint16_t{0x0999}, std::nullopt, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    VirtualDevice device(DockProfile());
    device.SetFaults(c.faults);
    const Host host{device.Open()};
    ASSERT_TRUE(host.Send(dock::CodeRequest{c.request}.Encode()));
    const auto reply = host.Next(c.replyCode ? test::kPatienceMs : 100);
    ASSERT_EQ(reply.has_value(), c.replyCode.has_value());
    if (reply) {
      EXPECT_EQ(dock::CodeOf(*reply), *c.replyCode);
      EXPECT_EQ((*reply)[3], c.byte3);
    }
    device.SetFaults(Faults{});
    EXPECT_EQ(dock::StatusReply::Decode(*host.Ask(cmd::kStatus)).status, 0xAA) << "back to normal";
  }

  VirtualDevice device(DockProfile());
  const Host host{device.Open()};
  ASSERT_TRUE(host.Send(dock::CodeRequest{std::uint16_t{0x0999}}.Encode()));
  ASSERT_EQ(device.UnhandledReports().size(), 1u);
  EXPECT_EQ(dock::CodeOf(device.UnhandledReports()[0]), 0x0999);

  Faults pullCable;
  pullCable.disconnectAfter = 2;
  device.SetFaults(pullCable);
  EXPECT_TRUE(host.Ask(cmd::kStatus));
  EXPECT_FALSE(host.Ask(cmd::kStatus)) << "the second report pulls the cable";
  EXPECT_FALSE(device.IsPlugged());
  EXPECT_FALSE(device.GetFaults().disconnectAfter) << "the fault fires once";
  device.Plug();
  EXPECT_TRUE(Host{device.Open()}.Ask(cmd::kStatus));
}

TEST(SimBackend, FindsPluggedDevicesByVendorAndProduct) {
  auto dock = std::make_shared<VirtualDevice>(LoadProfile("zoom-lens-dock"));
  auto flash = std::make_shared<VirtualDevice>(LoadProfile("flash-unit"), /*plugged=*/false);
  SimBackend backend({dock, flash});
  EXPECT_EQ(backend.Describe(), "sim:zoom-lens-dock,flash-unit");

  EXPECT_FALSE(backend.FindAndOpen(dock::DockVendorId(), dock::kProductFlash)) << "unplugged";
  EXPECT_FALSE(backend.FindAndOpen(static_cast<std::uint16_t>(dock::DockVendorId() + 1), dock::kProductLensDock));
  auto found = backend.FindAndOpen(dock::DockVendorId(), dock::kProductLensDock);
  ASSERT_TRUE(found);
  EXPECT_EQ(found->devicePath, "sim:zoom-lens-dock");
  EXPECT_EQ(found->inputReportLength, 65u);
  EXPECT_EQ(found->outputReportLength, 65u);
  ASSERT_TRUE(found->connection);
  const auto busy = backend.FindAndOpen(dock::DockVendorId(), dock::kProductLensDock);
  ASSERT_TRUE(busy);
  EXPECT_EQ(busy->connection, nullptr) << "held by the first host";

  flash->Plug();
  EXPECT_TRUE(backend.FindAndOpen(dock::DockVendorId(), dock::kProductFlash));
}

}  // namespace
}  // namespace cbx::sim
