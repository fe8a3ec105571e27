#include <gtest/gtest.h>

#include "dock/DockDevice.h"
#include "dock/IdentificationRules.h"
#include "ScriptedHid.h"

namespace cbx::dock {
namespace {

using test::ScriptedBackend;
using test::ScriptedDevice;

TEST(IdentificationRules, VersionTextFollowsTheFormatByte) {
  const struct {
    std::uint32_t version;
    std::uint8_t format;
    const char* text;
  } cases[] = {
      {0x10230045, 0xAA, "1.02.3004.5"},
      {0x10230045, 0x00, "1.0.23.0045"},
      {0x00FFFF00, 0xAA, "0.0F.FFF0.0"},
      {0xABCDEF01, 0x55, "A.B.CD.EF01"},
  };
  for (const auto& c : cases) EXPECT_EQ(VersionText(c.version, c.format), c.text);
  EXPECT_EQ(DeviceVersionDisplay("0.0F.FFF0.0", 0xAA), "f.ff");
  EXPECT_EQ(DeviceVersionDisplay("1.02.3004.5", 0xAA), "1.02");
  EXPECT_EQ(DeviceVersionDisplay("1.0", 0xAA), "1.0");
  EXPECT_EQ(DeviceVersionDisplay("1.02.3004.5", 0x00), "");
}

TEST(IdentificationRules, MountTables) {
  const struct {
    int code;
    const char* lens;
    const char* converter;
  } cases[] = {
      {0x10, "KV", ""}, {0x11, "KV", ""},   {0x22, "EO", ""},      {0x31, "NA", ""},
      {0x40, "PA", ""}, {0x52, "SO", ""},   {0x70, "FT or mFT", ""}, {0x90, "TL", "TL"},
      {0xA0, "EM", ""}, {0x60, "", ""},     {0x61, "", "SE"},      {0x62, "", "SE"},
      {0x71, "", "mFT-KV"}, {0x72, "", "mFT-EO"}, {0x91, "", "TL"}, {0x92, "", "TL"},
      {0x13, "", ""},   {0xFF, "", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(LensMountText(c.code), c.lens) << std::hex << c.code;
    EXPECT_EQ(ConverterMountText(c.code), c.converter) << std::hex << c.code;
  }
}

TEST(IdentificationRules, ConverterRenameAndTeleconverterSuffix) {
  const std::pair<int, const char*> renames[] = {{0x61, "89S"}, {0x72, "89S"}, {0x91, "89S"}, {0x62, "89E"},
                                                 {0x71, "89E"}, {0x92, "89E"}, {0x90, "TL"},  {0x10, ""}};
  for (const auto& [mount, text] : renames) EXPECT_EQ(ConverterProductText(mount), text);
  const std::pair<int, const char*> suffixes[] = {{0x11, " (1.4x)"}, {0x51, " (1.4x)"}, {0x42, " (2x)"},
                                                  {0x13, ""}, {0x61, ""}, {0x02, ""}, {0x10, ""}};
  for (const auto& [code, text] : suffixes) EXPECT_EQ(TeleconverterSuffix(code), text) << code;
  EXPECT_EQ(ProductCodeText(0x04A1), "4A1");
  EXPECT_EQ(ProductCodeText(0), "0");
}

// A device that answers identification requests with fixed replies.
class IdentificationReadTest : public ::testing::Test {
 protected:
  void Open(std::uint16_t productId, DeviceKind kind) {
    backend_ = std::make_shared<ScriptedBackend>();
    device_ = backend_->Add(std::make_shared<ScriptedDevice>(productId, [this](const Report& r) {
      std::vector<Report> out;
      switch (CodeOf(r)) {
        case cmd::kProductCode: out.push_back(product.Encode()); break;
        case cmd::kSerialNumber: out.push_back(serial.Encode()); break;
        case cmd::kFirmwareVersion: out.push_back(firmware.Encode()); break;
        case cmd::kDeviceVersion: out.push_back(device.Encode()); break;
        case cmd::kPathCode: out.push_back(path.Encode()); break;
        default: break;
      }
      return out;
    }));
    dock_ = std::make_unique<DockDevice>(backend_);
    bool r = false, w = false;
    ASSERT_TRUE(dock_->FindDevice(productId, r, w));
    dock_->SetDeviceKind(kind);
    dock_->SetReadTimeoutMs(200);
  }

  ProductCodeReply product{0x04A1, 0x11};
  SerialNumberReply serial{{'1', '2', '3', '4', '5', '6', '7', '8'}};
  FirmwareVersionReply firmware{0x10230045, 0xAA};
  DeviceVersionReply device{0x00FFFF00, 0x10, 0xAA, 0x06};
  PathCodeReply path{0x02, 0x3C};
  std::shared_ptr<ScriptedBackend> backend_;
  std::shared_ptr<ScriptedDevice> device_;
  std::unique_ptr<DockDevice> dock_;
};

TEST_F(IdentificationReadTest, LensOnADock) {
  Open(kProductLensDock, DeviceKind::LensDock);
  std::string productText, mountText, serialText, version;
  int mountCode = 0;
  ASSERT_TRUE(dock_->ReadProductCode(productText, mountText, mountCode));
  EXPECT_EQ(productText, "4A1");
  EXPECT_EQ(mountText, "KV");
  EXPECT_EQ(mountCode, 0x11);
  ASSERT_TRUE(dock_->ReadSerialNumber(serialText));
  // The wire carries the serial number last character first.
  EXPECT_EQ(serialText, "12345678");
  EXPECT_EQ(device_->Written().size(), 2u);
  Report raw = serial.Encode();
  EXPECT_EQ(raw[14], '1');
  EXPECT_EQ(raw[7], '8');
  std::uint8_t format = 0;
  ASSERT_TRUE(dock_->ReadFirmwareVersion(version, format, mountCode));
  EXPECT_EQ(version, "1.02.3004.5");
  EXPECT_EQ(format, 0xAA);
  int pathClass = -1;
  std::string pathText;
  ASSERT_TRUE(dock_->ReadPathCode(pathClass, pathText));
  EXPECT_EQ(pathClass, 2);
  EXPECT_EQ(pathText, "023C");
}

TEST_F(IdentificationReadTest, SerialNumberEndsAtANul) {
  serial = SerialNumberReply{{'A', 'B', '\0', 'C', 'D', 'E', 'F', 'G'}};
  Open(kProductLensDock, DeviceKind::LensDock);
  std::string text;
  ASSERT_TRUE(dock_->ReadSerialNumber(text));
  EXPECT_EQ(text, "AB");
}

TEST_F(IdentificationReadTest, UnlistedMountFailsWithCode255) {
  product = {0x04A1, 0x60};
  Open(kProductLensDock, DeviceKind::LensDock);
  std::string productText, mountText;
  int mountCode = 0;
  EXPECT_FALSE(dock_->ReadProductCode(productText, mountText, mountCode));
  EXPECT_EQ(mountCode, 255);
  EXPECT_FALSE(dock_->ReadProductCodeOnConverter(productText, mountText, mountCode));
  EXPECT_EQ(mountCode, 255);
}

TEST_F(IdentificationReadTest, ConverterRenamesProduct890ByMount) {
  const std::pair<int, const char*> cases[] = {{0x61, "89S"}, {0x62, "89E"}, {0x90, "TL"}};
  for (const auto& [mount, text] : cases) {
    product = {0x0890, static_cast<std::uint8_t>(mount)};
    Open(kProductMountConverter, DeviceKind::MountConverter);
    std::string productText, mountText;
    int mountCode = 0;
    ASSERT_TRUE(dock_->ReadProductCodeOnConverter(productText, mountText, mountCode));
    EXPECT_EQ(productText, text);
  }
  // 0x71 reads on the converter table only.
  product = {0x0890, 0x71};
  Open(kProductMountConverter, DeviceKind::MountConverter);
  std::string productText, mountText;
  int mountCode = 0;
  EXPECT_TRUE(dock_->ReadProductCodeOnConverter(productText, mountText, mountCode));
  EXPECT_EQ(mountText, "mFT-KV");
  EXPECT_FALSE(dock_->ReadProductCode(productText, mountText, mountCode));
}

TEST_F(IdentificationReadTest, FirmwareVersionOnAConverterDependsOnTheMount) {
  const std::pair<int, std::uint16_t> cases[] = {{0x91, cmd::kFirmwareVersion}, {0x61, cmd::kDeviceVersion},
                                                 {0x60, cmd::kFirmwareVersion}, {0x72, cmd::kDeviceVersion}};
  for (const auto& [mount, request] : cases) {
    Open(kProductMountConverter, DeviceKind::MountConverter);
    std::string version;
    std::uint8_t format = 0;
    ASSERT_TRUE(dock_->ReadFirmwareVersion(version, format, mount));
    EXPECT_EQ(CodeOf(device_->Written().back()), request) << std::hex << mount;
    EXPECT_EQ(version, request == cmd::kDeviceVersion ? "0.0F.FFF0.0" : "1.02.3004.5");
  }
  Open(kProductLensDock, DeviceKind::LensDock);
  std::string version;
  std::uint8_t format = 0;
  ASSERT_TRUE(dock_->ReadFirmwareVersion(version, format, 0x61));
  EXPECT_EQ(CodeOf(device_->Written().back()), cmd::kFirmwareVersion);
}

TEST_F(IdentificationReadTest, DeviceVersionOfTheUsbDevice) {
  Open(kProductLensDock, DeviceKind::LensDock);
  std::string version, mountText;
  int mountCode = 0;
  std::uint32_t raw = 0;
  std::uint8_t format = 0, capability = 0;
  ASSERT_TRUE(dock_->ReadDeviceVersion(version, mountText, mountCode, raw, format, capability));
  EXPECT_EQ(version, "0.0F.FFF0.0");
  EXPECT_EQ(DeviceVersionDisplay(version, format), "f.ff");
  EXPECT_EQ(mountText, "KV");
  EXPECT_EQ(raw, 0x00FFFF00u);
  EXPECT_EQ(capability, 0x06);
  // The same answer is no converter mount: the version is filled, the read fails.
  capability = 0;
  EXPECT_FALSE(dock_->ReadDeviceVersionOnConverter(version, mountText, mountCode, raw, format, capability));
  EXPECT_EQ(mountCode, 255);
  EXPECT_EQ(raw, 0x00FFFF00u);
  EXPECT_EQ(capability, 0);
}

TEST_F(IdentificationReadTest, FailedReadLeavesOutValues) {
  Open(kProductLensDock, DeviceKind::LensDock);
  device_->SetResponder(nullptr);
  std::string productText = "keep", mountText = "keep", serialText = "keep";
  int mountCode = 7;
  EXPECT_FALSE(dock_->ReadProductCode(productText, mountText, mountCode));
  EXPECT_FALSE(dock_->ReadSerialNumber(serialText));
  EXPECT_EQ(productText, "keep");
  EXPECT_EQ(serialText, "keep");
  EXPECT_EQ(mountCode, 7);
}

}  // namespace
}  // namespace cbx::dock
