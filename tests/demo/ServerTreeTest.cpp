// The sample update server in demo/server must serve every shipped device profile, and every
// product information file in it must name firmware that its block map can transfer.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <iterator>
#include <string>
#include <vector>

#include "app/IniFile.h"
#include "dock/IdentificationRules.h"
#include "sim/DeviceProfile.h"

namespace fs = std::filesystem;

namespace {

const fs::path kDemo = fs::path(CALIBRIX_SOURCE_DIR) / "demo";
const fs::path kServer = kDemo / "server";

constexpr std::uint16_t kFlashUnit = 0x8011;
constexpr std::uint16_t kMountConverter = 0x8901;

std::string Value(const char* section, const char* key, const fs::path& file) {
  return cbx::ReadIniValue(section, key, "", file.string());
}

bool IsMlMount(int mountCode) { return mountCode == 0x90 || mountCode == 0x91 || mountCode == 0x92; }

// The name part of a product information file: the version as the device reports it, cut
// to major and minor for the dotted format (ml mounts keep only the tens digit of the minor).
std::string VersionFileName(std::uint32_t version, std::uint8_t formatByte, int mountCode) {
  const std::string text = cbx::dock::VersionText(version, formatByte);
  if (formatByte != cbx::dock::kVersionFormatDotted) return text;
  return IsMlMount(mountCode) ? text.substr(0, 3) + "0" : text.substr(0, 4);
}

// Server paths, relative to the server root, that the checks of one profile download.
std::vector<fs::path> FilesFor(const cbx::sim::DeviceProfile& profile) {
  using namespace cbx::dock;
  const auto& device = profile.device;
  const bool converter = device.productId == kMountConverter;
  std::vector<fs::path> files;
  if (!converter) {
    const std::string name = device.version == 0xFFFF00
                                 ? "updateInfo"
                                 : VersionFileName(device.version, device.formatByte, 0);
    files.push_back(fs::path(device.productId == kFlashUnit ? "USBDock_F" : "USBDock") /
                    LensMountText(device.mountCode) / (name + ".ini"));
  }
  if (!profile.attached) return files;

  const auto& lens = *profile.attached;
  std::string product = ProductCodeText(lens.productCode);
  std::string mount = LensMountText(lens.mountCode);
  std::uint32_t version = lens.version;
  std::uint8_t format = lens.formatByte;
  if (converter) {
    if (product == "890") product = ConverterProductText(lens.mountCode);
    mount = ConverterMountText(lens.mountCode);
    if (lens.mountCode != 0x60 && !IsMlMount(lens.mountCode)) {  // the converter answers for itself
      version = device.version;
      format = device.formatByte;
    }
  }
  char pathCode[8];
  std::snprintf(pathCode, sizeof pathCode, "%02X%02X", device.pathCode[0], device.pathCode[1]);
  const fs::path folder = fs::path(product) / mount / pathCode;
  files.push_back(folder / (VersionFileName(version, format, lens.mountCode) + ".ini"));
  files.push_back(folder / "updateInfo.ini");

  const char* picture = product.starts_with("C")            ? "CinelensImage.png"
                        : device.productId == kFlashUnit    ? "FlashImage.png"
                        : converter                         ? "AdapterImage.png"
                                                            : "lensImage.png";
  files.push_back(fs::path(product) / "Image" / picture);
  return files;
}

struct BlockMap {
  std::size_t count = 0;
  std::uint64_t total = 0;
  std::vector<std::uint64_t> address, length;
  std::size_t groups = 0;
};

BlockMap ParseBlockMap(const std::string& text) {
  std::vector<std::string> tokens;
  std::size_t start = 0;
  while (start <= text.size()) {
    const std::size_t comma = std::min(text.find(',', start), text.size());
    if (comma > start) tokens.push_back(text.substr(start, comma - start));
    start = comma + 1;
  }
  BlockMap map;
  if (tokens.size() < 3) return map;
  map.count = std::stoul(tokens[0]);
  map.total = std::stoull(tokens[2]);
  for (std::size_t i = 3; i + 2 < tokens.size(); i += 3) {
    map.address.push_back(std::stoull(tokens[i], nullptr, 16));
    map.length.push_back(std::stoull(tokens[i + 2]));
    ++map.groups;
  }
  return map;
}

}  // namespace

TEST(ServerTreeTest, EveryDeviceProfileFindsItsFiles) {
  int profiles = 0;
  for (const auto& entry : fs::directory_iterator(kDemo / "devices")) {
    if (entry.path().extension() != ".json") continue;
    ++profiles;
    const cbx::sim::DeviceProfile profile = cbx::sim::LoadProfile(entry.path().string());
    for (const fs::path& file : FilesFor(profile)) {
      EXPECT_TRUE(fs::is_regular_file(kServer / file)) << profile.id << " needs " << file;
    }
  }
  EXPECT_GT(profiles, 0);
}

TEST(ServerTreeTest, ProductFilesNameFirmwareThatFitsTheirMap) {
  for (const auto& entry : fs::recursive_directory_iterator(kServer)) {
    const fs::path relative = fs::relative(entry.path(), kServer);
    const auto depth = std::distance(relative.begin(), relative.end());
    const bool dockTree = relative.begin()->string().starts_with("USBDock");
    if (entry.path().extension() != ".ini" || depth != (dockTree ? 3 : 4)) continue;
    SCOPED_TRACE(relative.string());

    int sections = 0;
    for (const char* section : {"Lens Config", "Flash Config", "Dock Config"}) {
      const std::string fileName = Value(section, "FWFileName", entry.path());
      if (fileName.empty()) continue;
      ++sections;
      SCOPED_TRACE(section);
      const fs::path folder = entry.path().parent_path();
      const fs::path firmware = folder / Value(section, "Fwpath", entry.path()) / fileName;
      ASSERT_TRUE(fs::is_regular_file(firmware)) << firmware;
      if (!dockTree) {
        EXPECT_TRUE(fs::is_regular_file(folder / Value(section, "InfoPath", entry.path()) / "eng.htm"));
      }

      // Converters and lenses on transfer mode 2 move 256-byte blocks, everything else 32.
      const bool wideBlocks = (!dockTree && std::string(section) == "Dock Config") ||
                              Value(section, "FirmupTransCtrl", entry.path()) == "2";
      const std::uint64_t unit = wideBlocks ? 256 : 32;
      const std::uint64_t size = fs::file_size(firmware);
      const BlockMap map = ParseBlockMap(Value(section, "FW", entry.path()));
      EXPECT_GT(map.count, 0u);
      EXPECT_EQ(map.count, map.groups);
      EXPECT_LE(map.total * 32, size);
      for (std::size_t i = 0; i < map.groups; ++i) {
        EXPECT_LE(map.address[i] + map.length[i] * unit, size) << "sector " << i;
      }
    }
    EXPECT_GT(sections, 0) << "no product section";
  }
}
