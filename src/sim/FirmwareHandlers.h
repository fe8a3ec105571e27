// What a virtual device takes in during a firmware update: blocks by number, 256-byte
// blocks assembled from their sub-packets, or the lens's numbered packets after a sector
// table. Out-of-sequence requests are refused with a failure status, so a host that numbers
// wrongly is caught on the wire, not only afterwards.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "sim/DataAreaHandlers.h"

namespace cbx::sim {

enum class FirmwareVariant { None, Lens32, Lens256, LensPackets, Dock32, Dock256 };

// FNV-1a over the data bytes in the order they arrived; lets a test compare an image it
// did not keep.
inline constexpr std::uint64_t kFirmwareChecksumSeed = 14695981039346656037ull;
std::uint64_t FirmwareChecksum(std::span<const std::uint8_t> bytes, std::uint64_t seed = kFirmwareChecksumSeed);

struct FirmwareRecord {
  FirmwareVariant variant = FirmwareVariant::None;
  std::uint16_t startCode = 0;  // the start command that opened the update; 0 for packets
  std::uint16_t total = 0;      // word A of the data requests: blocks, or packets
  // Kept data (unless the device was told not to keep it): whole blocks by number, and the
  // packets' bytes end to end with each packet's length.
  std::map<std::uint16_t, std::vector<std::uint8_t>> blocks;
  std::vector<std::uint8_t> packetData;
  std::vector<std::size_t> packetSizes;
  std::size_t unitsDone = 0;  // whole blocks or packets taken
  std::uint64_t bytes = 0;
  std::uint64_t checksum = kFirmwareChecksumSeed;
  bool complete = false;  // every block or packet of the total has arrived (256-byte blocks: 8 units each)
  std::string refused;    // why the last refused request was refused; empty when none was
};

struct FirmwareSession {
  FirmwareRecord record;
  bool keepData = true;  // false for images too large to hold: only counts and checksum
  // Answers one firmware data request (block, sub-packet or packet) with another status.
  std::optional<UnitStatusFault> fault;
  std::vector<bool> seen;  // block numbers taken, so that none is taken twice
  // The block whose sub-packets are arriving, and the sub-packet expected next.
  std::optional<std::uint16_t> openBlock;
  std::uint16_t nextSubPacket = 0;
  std::vector<std::uint8_t> partial;
};

// The status a refused firmware request is answered with.
inline constexpr std::uint8_t kFirmwareRefused = 0x00;

}  // namespace cbx::sim
