#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <set>
#include <string>

#include "dock/DockConfig.h"
#include "sim/DeviceProfile.h"
#include "support/TempDir.h"

namespace cbx::sim {
namespace {

TEST(DeviceProfile, EveryShippedProfileLoadsByPathAndByName) {
  struct Expect {
    std::string id;
    std::uint16_t productId;
    std::uint8_t deviceMount;
    std::optional<std::uint16_t> productCode;  // nothing: no attached device
    std::uint8_t status;                       // 0x0101 answer
  };
  const Expect table[] = {
      {"zoom-lens-dock", 0x8781, 0x10, 0x04A1, 0xAA},
      {"teleconverter-prime", 0x8781, 0x10, 0x0A27, 0xAA},
      {"ml-mount-lens", 0x8781, 0x90, 0x0B15, 0xAA},
      {"cine-lens", 0x8781, 0x20, 0x0C12, 0xAA},
      {"mount-converter", 0x8901, 0x61, 0x0890, 0xAA},
      {"flash-unit", 0x8011, 0x10, 0x0F31, 0xAA},
      {"unreadable-version-dock", 0x8781, 0x10, 0x04A1, 0xAA},
      {"empty-dock", 0x8781, 0x10, std::nullopt, 0x00},
      {"recovery-lens", 0x8781, 0x10, 0x04A1, 0xCC},
  };
  std::set<std::string> shipped;
  for (const auto& entry : std::filesystem::directory_iterator(CALIBRIX_DEVICES_SOURCE_DIR)) {
    if (entry.path().extension() != ".json") continue;
    shipped.insert(entry.path().stem().string());
    EXPECT_NO_THROW(LoadProfile(entry.path().string())) << entry.path();
  }
  const std::vector<std::string> names = ShippedProfileNames();
  EXPECT_EQ(std::set<std::string>(names.begin(), names.end()), shipped) << "build copy out of date";

  for (const Expect& e : table) {
    SCOPED_TRACE(e.id);
    ASSERT_TRUE(shipped.count(e.id));
    const DeviceProfile p = LoadProfile(e.id);
    EXPECT_EQ(p.id, e.id);
    EXPECT_FALSE(p.name.empty());
    EXPECT_EQ(p.device.vendorId, dock::DockVendorId());
    EXPECT_EQ(p.device.productId, e.productId);
    EXPECT_EQ(p.device.mountCode, e.deviceMount);
    EXPECT_EQ(p.device.reportLength, 65u);
    ASSERT_EQ(p.attached.has_value(), e.productCode.has_value());
    EXPECT_EQ(p.attached ? p.attached->status : p.emptyStatus, e.status);
    if (!p.attached) continue;
    EXPECT_EQ(p.attached->productCode, *e.productCode);
    EXPECT_EQ(p.attached->serialNumber.size(), 8u);
    EXPECT_EQ(p.attached->formatByte, 0xAA);
  }
  EXPECT_EQ(LoadProfile("unreadable-version-dock").device.version, 0x00FFFF00u);
  EXPECT_EQ(LoadProfile("teleconverter-prime").attached->mountCode, 0x11);
  EXPECT_EQ(LoadProfile("mount-converter").attached->mountCode, 0x61);
}

TEST(DeviceProfile, ReadsNumbersEitherWayAndFillsDefaults) {
  const DeviceProfile p = ParseProfile(R"({
      "name": "minimal",
      "device": { "productId": 34689, "vendorId": "0x1234", "versionBytes": [1, "0x02", "3", "0xff"],
                  "mountCode": "0x10" },
      "attached": { "productCode": "0x4a1", "mountCode": 16, "serialNumber": "1234", "versionBytes": [0, 0, 0, 0] },
      "behaviour": { "sectorTableAnswers": "first", "productIdAfterRestart": "0x8901" } })",
                                       "/some/where/minimal.json");
  EXPECT_EQ(p.id, "minimal");
  EXPECT_EQ(p.device.productId, 0x8781);
  EXPECT_EQ(p.device.vendorId, 0x1234);
  EXPECT_EQ(p.device.version, 0xFF030201u);
  EXPECT_EQ(p.device.formatByte, 0xAA);
  EXPECT_EQ(p.device.capability, 0);
  EXPECT_EQ(p.device.reportLength, 65u);
  ASSERT_TRUE(p.attached);
  EXPECT_EQ(p.attached->productCode, 0x04A1);
  EXPECT_EQ(p.attached->serialNumber, "1234");
  EXPECT_EQ(p.attached->status, 0xAA);
  EXPECT_EQ(p.emptyStatus, 0x00);
  EXPECT_EQ(p.behaviour.workingReports, 1);
  EXPECT_EQ(p.behaviour.sectorTableAnswers, SectorTableAnswers::First);
  EXPECT_EQ(p.behaviour.restartMs, 1500);
  EXPECT_EQ(p.behaviour.productIdAfterRestart, 0x8901);
}

TEST(DeviceProfile, ErrorsNameTheFileAndTheField) {
  const std::string device = R"("device": {"productId": "0x8781", "versionBytes": [0,0,0,0], "mountCode": 16})";
  struct Case {
    std::string json;
    std::string field;  // expected in the message
  };
  const Case cases[] = {
      {"{", "not valid JSON"},
      {R"({"device": {"productId": 1, "versionBytes": [0,0,0,0], "mountCode": 1}})", "name: missing"},
      {R"({"name": "x", "device": {"versionBytes": [0,0,0,0], "mountCode": 1}})", "device.productId: missing"},
      {R"({"name": "x", "device": {"productId": "0x1FFFF", "versionBytes": [0,0,0,0], "mountCode": 1}})",
       "device.productId: expected a number up to 65535"},
      {R"({"name": "x", "device": {"productId": "0xZZ", "versionBytes": [0,0,0,0], "mountCode": 1}})",
       "device.productId"},
      {R"({"name": "x", "device": {"productId": -1, "versionBytes": [0,0,0,0], "mountCode": 1}})",
       "device.productId"},
      {R"({"name": "x", "device": {"productId": 1, "versionBytes": [0,0,0], "mountCode": 1}})",
       "device.versionBytes: expected four bytes"},
      {R"({"name": "x", "device": {"productId": 1, "versionBytes": [0,0,256,0], "mountCode": 1}})",
       "device.versionBytes[2]"},
      {R"({"name": "x", "device": {"productId": 1, "versionBytes": [0,0,0,0], "mountCode": 1, "mountcode": 2}})",
       "device.mountcode: unknown field"},
      {R"({"name": "x", )" + device + R"(, "attached": {"productCode": 1, "mountCode": 1, "serialNumber": "123456789",
          "versionBytes": [0,0,0,0]}})",
       "attached.serialNumber"},
      {R"({"name": "x", )" + device + R"(, "behaviour": {"sectorTableAnswers": "some"}})",
       "behaviour.sectorTableAnswers"},
      {R"({"name": "x", )" + device + R"(, "emptyStatus": true})", "emptyStatus"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.json);
    try {
      ParseProfile(c.json, "bad.json");
      ADD_FAILURE() << "accepted";
    } catch (const ProfileError& e) {
      const std::string message = e.what();
      EXPECT_EQ(message.rfind("bad.json: ", 0), 0u) << message;
      EXPECT_NE(message.find(c.field), std::string::npos) << message;
    }
  }
}

TEST(DeviceProfile, UnknownNamesAndUnreadableFilesAreErrors) {
  test::TempDir dir;
  EXPECT_THROW(LoadProfile("no-such-profile"), ProfileError);
  EXPECT_THROW(LoadProfile(dir / "missing.json"), ProfileError);
  const std::string broken = dir.Write("broken.json", "[]");
  try {
    LoadProfile(broken);
    ADD_FAILURE() << "accepted";
  } catch (const ProfileError& e) {
    EXPECT_NE(std::string(e.what()).find(broken), std::string::npos) << e.what();
  }
}

}  // namespace
}  // namespace cbx::sim
