// A host and a virtual device for the firmware tests: firmware files with recognisable
// bytes, block maps, and the numbered reports the workers wrote.
#pragma once

#include <gtest/gtest.h>

#include <thread>

#include <cstdint>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "app/Log.h"
#include "dock/DockDevice.h"
#include "firmware/FirmwareTransfer.h"
#include "sim/SimBackend.h"
#include "sim/SimTestSupport.h"
#include "sim/VirtualDevice.h"
#include "support/TempDir.h"
#include "support/ThreadCount.h"

namespace cbx::firmware::test {

using namespace cbx::test;

inline constexpr std::uint32_t kNewVersion = 0x10300002;

// Bytes that differ from block to block, so a block sent from the wrong place shows.
inline std::vector<std::uint8_t> Pattern(std::size_t size) {
  std::vector<std::uint8_t> bytes(size);
  for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<std::uint8_t>((i * 131 + i / 251) & 0xFF);
  return bytes;
}

inline update::BlockMap Map(std::vector<std::uint32_t> address, std::vector<int> start, std::vector<int> length) {
  update::BlockMap map;
  map.count = static_cast<int>(address.size());
  for (const int l : length) map.total += l;
  map.address = std::move(address);
  map.start = std::move(start);
  map.length = std::move(length);
  return map;
}

inline bool IsLensType(int type) {
  return type == lens::kTransferLensFirmware || type == lens::kTransferLensFirmwareSectors ||
         type == lens::kTransferLensFirmware256;
}
inline std::size_t UnitBytes(int type) {
  return type == lens::kTransferLensFirmware256 || type == lens::kTransferConverterFirmware ? 256 : 32;
}
// The result a command failure ends with, and the function number it is reported under.
inline int CommandFailure(int type) {
  return type == lens::kTransferLensFirmware || type == lens::kTransferLensFirmwareSectors ? 1 : 2;
}
inline int Function(int type) {
  return type == lens::kTransferLensFirmware || type == lens::kTransferLensFirmwareSectors ? 21 : 11;
}


class FirmwareTest : public ::testing::Test {
 protected:
  void SetUp() override { Log::Instance().Configure(true, dir_ / "CBXLog.txt"); }
  void TearDown() override { Log::Instance().Configure(false, ""); }

  // A device of the kind the transfer type is for, connected and ready.
  void Connect(int type, std::uint16_t productIdAfterRestart = 0) {
    sim::DeviceProfile p = DockProfile();
    if (type == lens::kTransferConverterFirmware) p.device.productId = dock::kProductMountConverter;
    p.behaviour.workingReports = 1;
    p.behaviour.restartMs = 50;
    p.behaviour.versionAfterUpdate = kNewVersion;
    if (productIdAfterRestart != 0) p.behaviour.productIdAfterRestart = productIdAfterRestart;
    device_ = std::make_shared<sim::VirtualDevice>(p);
    std::shared_ptr<dock::HidBackend> backend =
        std::make_shared<sim::SimBackend>(std::vector<std::shared_ptr<sim::VirtualDevice>>{device_});
    if (wrap_) backend = wrap_(std::move(backend));
    dock_ = std::make_unique<dock::DockDevice>(std::move(backend));
    bool r = false, w = false;
    ASSERT_TRUE(dock_->FindDevice(p.device.productId, r, w));
    ASSERT_TRUE(dock_->IsReady());
  }

  // Puts the file and the map where the worker of this type looks for them.
  void Prepare(int type, const std::vector<std::uint8_t>& file, const update::BlockMap& map) {
    file_ = file;
    const std::string path = dir_.Write("fw.bin", std::string(file.begin(), file.end()));
    lens_.fwLocalPath = dockInfo_.dockFwLocalPath = path;
    lens_.fwMap = dockInfo_.dockFwMap = map;
    lens_.Fwversion = "1.3.0";
    dockInfo_.dockFwversion = "2.0.0";
    (void)type;
  }

  int Run(int type) {
    if (IsLensType(type)) return LensFWUpdateThread(type, *dock_, lens_, progress_);
    return DockFWUpdateThread(type, *dock_, dockInfo_, restartPending_, progress_, kQuickReconnect);
  }

  std::string LogText() const {
    std::ifstream in(dir_ / "CBXLog.txt", std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
  }
  // "ErrNo.<function*100+error>"
  static std::string Err(int function, int error) { return "ErrNo." + std::to_string(function * 100 + error); }

  static constexpr ReconnectTiming kQuickReconnect{std::chrono::milliseconds(100), std::chrono::milliseconds(50), 6};

  // Puts a test's own link between the host and the virtual device.
  std::function<std::shared_ptr<dock::HidBackend>(std::shared_ptr<dock::HidBackend>)> wrap_;
  TempDir dir_;
  std::shared_ptr<sim::VirtualDevice> device_;
  std::unique_ptr<dock::DockDevice> dock_;
  update::CLensUpdateInfoData lens_;
  update::DockUpdateInfo dockInfo_;
  std::atomic<bool> restartPending_{false};
  lens::TransferProgress progress_;
  std::vector<std::uint8_t> file_;
};

}  // namespace cbx::firmware::test
