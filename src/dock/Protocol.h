// Every report of the dock protocol, declared once: the host (DockDevice) and the virtual
// devices (src/sim) both build and parse reports only through these types.
//
// A report is 65 bytes: byte 0 the HID report number (always 0), bytes 1-2 the command
// code (low byte first), the rest depends on the command; unused bytes are 0.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace cbx::dock {

inline constexpr std::size_t kReportSize = 65;
using Report = std::array<std::uint8_t, kReportSize>;

// Command codes: requests and the response code each one expects.
namespace cmd {
inline constexpr std::uint16_t kStatus = 0x0101, kStatusReply = 0x0102;
inline constexpr std::uint16_t kProductCode = 0x0201, kProductCodeReply = 0x0202;
inline constexpr std::uint16_t kSerialNumber = 0x0301, kSerialNumberReply = 0x0302;
inline constexpr std::uint16_t kFirmwareVersion = 0x0401, kFirmwareVersionReply = 0x0402;
inline constexpr std::uint16_t kDeviceVersion = 0x0403, kDeviceVersionReply = 0x0404;
inline constexpr std::uint16_t kPathCode = 0x0405, kPathCodeReply = 0x0406;
inline constexpr std::uint16_t kLensUpdateStart = 0x0501, kLensUpdateStartReply = 0x0502;
inline constexpr std::uint16_t kLensBlock = 0x0503, kLensBlockAck = 0x0505;
inline constexpr std::uint16_t kDockUpdateStart = 0x0506, kDockUpdateStartReply = 0x0507;
inline constexpr std::uint16_t kDockBlock = 0x0508, kDockBlockAck = 0x050A;
inline constexpr std::uint16_t kDockUpdateEnd = 0x050B;  // no reply: the device restarts
inline constexpr std::uint16_t kDockSubPacket = 0x050C, kDockSubPacketAck = 0x050D;
inline constexpr std::uint16_t kSectorTable = 0x0511, kSectorTableReply = 0x0512;
inline constexpr std::uint16_t kLensPacket = 0x0513, kLensPacketAck = 0x0515;
inline constexpr std::uint16_t kLensSubPacket = 0x0514, kLensSubPacketAck = 0x0516;
inline constexpr std::uint16_t kAfReadStart = 0x0601, kAfReadStartReply = 0x0602;
inline constexpr std::uint16_t kAfReadUnit = 0x0603, kAfReadUnitReply = 0x0604;
inline constexpr std::uint16_t kAfWriteStart = 0x0605, kAfWriteStartReply = 0x0606;
inline constexpr std::uint16_t kAfWriteUnit = 0x0607, kAfWriteUnitAck = 0x060A;
inline constexpr std::uint16_t kCsReadStart = 0x0701, kCsReadStartReply = 0x0702;
inline constexpr std::uint16_t kCsReadUnit = 0x0703, kCsReadUnitReply = 0x0704;
inline constexpr std::uint16_t kCsWriteStart = 0x0705, kCsWriteStartReply = 0x0706;
inline constexpr std::uint16_t kCsWriteUnit = 0x0707, kCsWriteUnitAck = 0x070A;
}  // namespace cmd

// The response code a request expects; nothing for 0x050B and for unknown codes.
std::optional<std::uint16_t> ResponseCodeFor(std::uint16_t requestCode);

// Status bytes. kStatusNoAnswer never comes from a device: it marks "no valid answer".
inline constexpr std::uint8_t kStatusNotFinished = 0x00;
inline constexpr std::uint8_t kStatusDone = 0xAA;
inline constexpr std::uint8_t kStatusWorking = 0xCC;
inline constexpr std::uint8_t kStatusBusy = 0xEE;
inline constexpr std::uint8_t kStatusAccepted = 0xFF;
inline constexpr int kStatusNoAnswer = 1;

// True for the five bytes a status reply may carry.
bool IsValidStatusByte(std::uint8_t status);

inline constexpr std::size_t kUnitSize = 32;         // data-area units and firmware blocks
inline constexpr std::size_t kSubPacketMax = 52;     // Q3 payload
inline constexpr std::size_t kPacketDataMax = 56;    // Q5 payload
inline constexpr std::size_t kSectorEntriesPerChunk = 7;

using Unit = std::array<std::uint8_t, kUnitSize>;

std::uint16_t CodeOf(const Report& report);
std::uint16_t WordAt(const Report& report, std::size_t offset);
void PutWord(Report& report, std::size_t offset, std::uint16_t value);
std::uint32_t DwordAt(const Report& report, std::size_t offset);
void PutDword(Report& report, std::size_t offset, std::uint32_t value);

// ---- Requests ----

// Q0: the code alone.
struct CodeRequest {
  std::uint16_t code = 0;
  Report Encode() const;
  static CodeRequest Decode(const Report& r);
};

// Q1: word A (total units) at 3, word B (unit index) at 5.
struct WordsRequest {
  std::uint16_t code = 0, wordA = 0, wordB = 0;
  Report Encode() const;
  static WordsRequest Decode(const Report& r);
};

// Q2: words at 3 and 5, 32 data bytes at 7.
struct BlockRequest {
  std::uint16_t code = 0, wordA = 0, wordB = 0;
  Unit data{};
  Report Encode() const;
  static BlockRequest Decode(const Report& r);
};

// Q3: word A at 3, word B at 7, word C at 11, up to 52 data bytes from 13. The length is
// not on the wire; a decoded request carries all 52 bytes.
struct SubPacketRequest {
  std::uint16_t code = 0, wordA = 0, wordB = 0, wordC = 0;
  std::vector<std::uint8_t> data;
  Report Encode() const;
  static SubPacketRequest Decode(const Report& r);
};

// One sector of a firmware image: start address and length in bytes.
struct SectorEntry {
  std::uint32_t start = 0;
  std::uint32_t lengthBytes = 0;
  bool operator==(const SectorEntry&) const = default;
};

// Q4: byte 3 the entry count of the whole table, then up to 7 entries of 8 bytes.
struct SectorTableChunk {
  std::uint8_t totalEntries = 0;
  std::vector<SectorEntry> entries;
  Report Encode() const;
  // The chunk's own entry count is not on the wire; the receiver knows it from the
  // total and the chunk's index.
  static SectorTableChunk Decode(const Report& r, std::size_t entriesInChunk);
};

// Q5: words at 3 and 5, byte 7 the data length, data from 8 (at most 56 bytes).
struct DataPacket {
  std::uint16_t code = cmd::kLensPacket, wordA = 0, wordB = 0;
  std::vector<std::uint8_t> data;
  Report Encode() const;
  static DataPacket Decode(const Report& r);
};

// ---- Responses ----

// A0: byte 3 the status.
struct StatusReply {
  std::uint16_t code = 0;
  std::uint8_t status = 0;
  Report Encode() const;
  static StatusReply Decode(const Report& r);
};

// A1: echoed words at 3 and 5, status at 7.
struct AckReply {
  std::uint16_t code = 0, word1 = 0, word2 = 0;
  std::uint8_t status = 0;
  Report Encode() const;
  static AckReply Decode(const Report& r);
};

// A2: echoed words at 3, 7 and 11, the acceptance byte at 9, the status at 13.
struct SubPacketAckReply {
  std::uint16_t code = 0, word1 = 0, word2 = 0, word3 = 0;
  std::uint8_t accept = 0;
  std::uint8_t status = 0;
  Report Encode() const;
  static SubPacketAckReply Decode(const Report& r);
};

// A3: echoed words at 3 and 5, 32 data bytes at 7, status at 39.
struct DataUnitReply {
  std::uint16_t code = 0, word1 = 0, word2 = 0;
  Unit data{};
  std::uint8_t status = 0;
  Report Encode() const;
  static DataUnitReply Decode(const Report& r);
};

// 0x0202: product code at 3 (word), mount code at 5.
struct ProductCodeReply {
  std::uint16_t productCode = 0;
  std::uint8_t mountCode = 0;
  Report Encode() const;
  static ProductCodeReply Decode(const Report& r);
};

// 0x0302: eight characters at 7-14, stored last character first (byte 14 is the first).
struct SerialNumberReply {
  std::array<char, 8> text{};  // in reading order
  Report Encode() const;
  static SerialNumberReply Decode(const Report& r);
};

// 0x0402: version B0..B3 at 3-6, format byte at 7.
struct FirmwareVersionReply {
  std::uint32_t version = 0;  // B0 is the low byte
  std::uint8_t format = 0;
  Report Encode() const;
  static FirmwareVersionReply Decode(const Report& r);
};

// 0x0404: version at 3-6, mount code at 7, format byte at 8, capability bits at 9.
struct DeviceVersionReply {
  std::uint32_t version = 0;
  std::uint8_t mountCode = 0;
  std::uint8_t format = 0;
  std::uint8_t capability = 0;
  Report Encode() const;
  static DeviceVersionReply Decode(const Report& r);
};

// 0x0406: bytes 3 and 4 (byte 3 is also the path-code class).
struct PathCodeReply {
  std::uint8_t byte3 = 0, byte4 = 0;
  Report Encode() const;
  static PathCodeReply Decode(const Report& r);
};

// "0x0102 aa 00 ..." style one-line dump for traces.
std::string DescribeReport(const Report& r, std::size_t bytes = 16);

}  // namespace cbx::dock
