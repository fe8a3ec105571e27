// Device profiles: what a virtual USB device is (identity, version, mount, capability), what
// is attached to it and how it behaves. Profiles are JSON files; the format is described in
// demo/devices/README.md.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace cbx::sim {

// A profile that cannot be used. The message names the file and the offending field.
class ProfileError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The device mounted on the USB device: a lens, or a flash on the flash unit.
struct AttachedProfile {
  std::uint16_t productCode = 0;
  std::uint8_t mountCode = 0;
  std::string serialNumber;      // up to 8 ASCII characters; shorter ones end early on the wire
  std::uint32_t version = 0;     // B0 is the low byte
  std::uint8_t formatByte = 0xAA;
  std::uint8_t status = 0xAA;    // what 0x0101 answers while it is mounted
  // The lens's data areas, 32-byte units end to end; empty when the lens has no such area.
  // A standard lens keeps its CS record inside the AF area, so only ml-mount lenses have a
  // CS area of their own. Writes from the host change these bytes.
  std::vector<std::uint8_t> afArea{};
  std::vector<std::uint8_t> csArea{};
};

// The USB device itself: lens dock, mount converter or flash unit.
struct UsbDeviceProfile {
  std::uint16_t vendorId = 0;
  std::uint16_t productId = 0;
  std::uint32_t version = 0;
  std::uint8_t formatByte = 0xAA;
  std::uint8_t mountCode = 0;
  std::uint8_t capability = 0;
  std::array<std::uint8_t, 2> pathCode{};  // bytes 3 and 4 of the 0x0406 reply
  std::size_t reportLength = 65;      // both directions; anything else models a wrong device
};

enum class SectorTableAnswers { Every, First };

struct BehaviourProfile {
  int workingReports = 1;  // 0x00 replies before the final 0xAA of a waited start command
  SectorTableAnswers sectorTableAnswers = SectorTableAnswers::Every;
  int restartMs = 1500;    // how long the device stays away after the end of a dock update
  std::optional<std::uint16_t> productIdAfterRestart;
  // The version the device that took a complete firmware image reports afterwards.
  std::optional<std::uint32_t> versionAfterUpdate;
};

struct DeviceProfile {
  std::string id;      // the file name without ".json"; "sim:<id>" is the device path
  std::string name;    // what the profile models, for people
  std::string source;  // the file it came from, for messages
  UsbDeviceProfile device;
  std::optional<AttachedProfile> attached;
  std::uint8_t emptyStatus = 0x00;  // what 0x0101 answers with nothing mounted
  BehaviourProfile behaviour;
};

// Reads a profile from a file path, or from "<program folder>/devices/<name>.json" when
// given a bare name. Throws ProfileError.
DeviceProfile LoadProfile(const std::string& fileOrName);

// Parses profile text; `source` names it in messages and gives the id. Throws ProfileError.
DeviceProfile ParseProfile(const std::string& jsonText, const std::string& source);

// The folder that bare profile names are looked up in.
std::string ProfileFolder();

// Names of the profiles in ProfileFolder(), sorted.
std::vector<std::string> ShippedProfileNames();

}  // namespace cbx::sim
