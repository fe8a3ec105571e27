#include "dock/Protocol.h"

#include <algorithm>
#include <cstdio>

namespace cbx::dock {

namespace {

Report NewReport(std::uint16_t code) {
  Report r{};
  PutWord(r, 1, code);
  return r;
}

}  // namespace

std::optional<std::uint16_t> ResponseCodeFor(std::uint16_t requestCode) {
  switch (requestCode) {
    case cmd::kLensBlock: return cmd::kLensBlockAck;
    case cmd::kDockBlock: return cmd::kDockBlockAck;
    case cmd::kLensPacket: return cmd::kLensPacketAck;
    case cmd::kLensSubPacket: return cmd::kLensSubPacketAck;
    case cmd::kAfWriteUnit: return cmd::kAfWriteUnitAck;
    case cmd::kCsWriteUnit: return cmd::kCsWriteUnitAck;
    case cmd::kDockUpdateEnd: return std::nullopt;
    case cmd::kStatus: case cmd::kProductCode: case cmd::kSerialNumber:
    case cmd::kFirmwareVersion: case cmd::kDeviceVersion: case cmd::kPathCode:
    case cmd::kLensUpdateStart: case cmd::kDockUpdateStart: case cmd::kDockSubPacket:
    case cmd::kSectorTable: case cmd::kAfReadStart: case cmd::kAfReadUnit:
    case cmd::kAfWriteStart: case cmd::kCsReadStart: case cmd::kCsReadUnit:
    case cmd::kCsWriteStart:
      return static_cast<std::uint16_t>(requestCode + 1);
    default:
      return std::nullopt;
  }
}

bool IsValidStatusByte(std::uint8_t status) {
  return status == kStatusNotFinished || status == kStatusDone || status == kStatusWorking ||
         status == kStatusBusy || status == kStatusAccepted;
}

std::uint16_t CodeOf(const Report& report) { return WordAt(report, 1); }

std::uint16_t WordAt(const Report& report, std::size_t offset) {
  return static_cast<std::uint16_t>(report[offset] | (report[offset + 1] << 8));
}

void PutWord(Report& report, std::size_t offset, std::uint16_t value) {
  report[offset] = static_cast<std::uint8_t>(value & 0xFF);
  report[offset + 1] = static_cast<std::uint8_t>(value >> 8);
}

std::uint32_t DwordAt(const Report& report, std::size_t offset) {
  return static_cast<std::uint32_t>(report[offset]) | (static_cast<std::uint32_t>(report[offset + 1]) << 8) |
         (static_cast<std::uint32_t>(report[offset + 2]) << 16) |
         (static_cast<std::uint32_t>(report[offset + 3]) << 24);
}

void PutDword(Report& report, std::size_t offset, std::uint32_t value) {
  for (std::size_t i = 0; i < 4; ++i) report[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

Report CodeRequest::Encode() const { return NewReport(code); }
CodeRequest CodeRequest::Decode(const Report& r) { return {CodeOf(r)}; }

Report WordsRequest::Encode() const {
  Report r = NewReport(code);
  PutWord(r, 3, wordA);
  PutWord(r, 5, wordB);
  return r;
}
WordsRequest WordsRequest::Decode(const Report& r) { return {CodeOf(r), WordAt(r, 3), WordAt(r, 5)}; }

Report BlockRequest::Encode() const {
  Report r = NewReport(code);
  PutWord(r, 3, wordA);
  PutWord(r, 5, wordB);
  std::copy(data.begin(), data.end(), r.begin() + 7);
  return r;
}
BlockRequest BlockRequest::Decode(const Report& r) {
  BlockRequest q{CodeOf(r), WordAt(r, 3), WordAt(r, 5), {}};
  std::copy_n(r.begin() + 7, kUnitSize, q.data.begin());
  return q;
}

Report SubPacketRequest::Encode() const {
  Report r = NewReport(code);
  PutWord(r, 3, wordA);
  PutWord(r, 7, wordB);
  PutWord(r, 11, wordC);
  std::copy_n(data.begin(), std::min(data.size(), kSubPacketMax), r.begin() + 13);
  return r;
}
SubPacketRequest SubPacketRequest::Decode(const Report& r) {
  SubPacketRequest q{CodeOf(r), WordAt(r, 3), WordAt(r, 7), WordAt(r, 11), {}};
  q.data.assign(r.begin() + 13, r.begin() + 13 + kSubPacketMax);
  return q;
}

Report SectorTableChunk::Encode() const {
  Report r = NewReport(cmd::kSectorTable);
  r[3] = totalEntries;
  const std::size_t n = std::min(entries.size(), kSectorEntriesPerChunk);
  for (std::size_t i = 0; i < n; ++i) {
    PutDword(r, 4 + 8 * i, entries[i].start);
    PutDword(r, 8 + 8 * i, entries[i].lengthBytes);
  }
  return r;
}
SectorTableChunk SectorTableChunk::Decode(const Report& r, std::size_t entriesInChunk) {
  SectorTableChunk c;
  c.totalEntries = r[3];
  const std::size_t n = std::min(entriesInChunk, kSectorEntriesPerChunk);
  for (std::size_t i = 0; i < n; ++i) c.entries.push_back({DwordAt(r, 4 + 8 * i), DwordAt(r, 8 + 8 * i)});
  return c;
}

Report DataPacket::Encode() const {
  Report r = NewReport(code);
  PutWord(r, 3, wordA);
  PutWord(r, 5, wordB);
  const std::size_t n = std::min(data.size(), kPacketDataMax);
  r[7] = static_cast<std::uint8_t>(n);
  std::copy_n(data.begin(), n, r.begin() + 8);
  return r;
}
DataPacket DataPacket::Decode(const Report& r) {
  DataPacket p{CodeOf(r), WordAt(r, 3), WordAt(r, 5), {}};
  const std::size_t n = std::min<std::size_t>(r[7], kPacketDataMax);
  p.data.assign(r.begin() + 8, r.begin() + 8 + static_cast<std::ptrdiff_t>(n));
  return p;
}

Report StatusReply::Encode() const {
  Report r = NewReport(code);
  r[3] = status;
  return r;
}
StatusReply StatusReply::Decode(const Report& r) { return {CodeOf(r), r[3]}; }

Report AckReply::Encode() const {
  Report r = NewReport(code);
  PutWord(r, 3, word1);
  PutWord(r, 5, word2);
  r[7] = status;
  return r;
}
AckReply AckReply::Decode(const Report& r) { return {CodeOf(r), WordAt(r, 3), WordAt(r, 5), r[7]}; }

Report SubPacketAckReply::Encode() const {
  Report r = NewReport(code);
  PutWord(r, 3, word1);
  PutWord(r, 7, word2);
  PutWord(r, 11, word3);
  r[9] = accept;
  r[13] = status;
  return r;
}
SubPacketAckReply SubPacketAckReply::Decode(const Report& r) {
  return {CodeOf(r), WordAt(r, 3), WordAt(r, 7), WordAt(r, 11), r[9], r[13]};
}

Report DataUnitReply::Encode() const {
  Report r = NewReport(code);
  PutWord(r, 3, word1);
  PutWord(r, 5, word2);
  std::copy(data.begin(), data.end(), r.begin() + 7);
  r[39] = status;
  return r;
}
DataUnitReply DataUnitReply::Decode(const Report& r) {
  DataUnitReply a{CodeOf(r), WordAt(r, 3), WordAt(r, 5), {}, r[39]};
  std::copy_n(r.begin() + 7, kUnitSize, a.data.begin());
  return a;
}

Report ProductCodeReply::Encode() const {
  Report r = NewReport(cmd::kProductCodeReply);
  PutWord(r, 3, productCode);
  r[5] = mountCode;
  return r;
}
ProductCodeReply ProductCodeReply::Decode(const Report& r) { return {WordAt(r, 3), r[5]}; }

Report SerialNumberReply::Encode() const {
  Report r = NewReport(cmd::kSerialNumberReply);
  for (std::size_t i = 0; i < 8; ++i) r[14 - i] = static_cast<std::uint8_t>(text[i]);
  return r;
}
SerialNumberReply SerialNumberReply::Decode(const Report& r) {
  SerialNumberReply s;
  for (std::size_t i = 0; i < 8; ++i) s.text[i] = static_cast<char>(r[14 - i]);
  return s;
}

Report FirmwareVersionReply::Encode() const {
  Report r = NewReport(cmd::kFirmwareVersionReply);
  PutDword(r, 3, version);
  r[7] = format;
  return r;
}
FirmwareVersionReply FirmwareVersionReply::Decode(const Report& r) { return {DwordAt(r, 3), r[7]}; }

Report DeviceVersionReply::Encode() const {
  Report r = NewReport(cmd::kDeviceVersionReply);
  PutDword(r, 3, version);
  r[7] = mountCode;
  r[8] = format;
  r[9] = capability;
  return r;
}
DeviceVersionReply DeviceVersionReply::Decode(const Report& r) {
  return {DwordAt(r, 3), r[7], r[8], r[9]};
}

Report PathCodeReply::Encode() const {
  Report r = NewReport(cmd::kPathCodeReply);
  r[3] = byte3;
  r[4] = byte4;
  return r;
}
PathCodeReply PathCodeReply::Decode(const Report& r) { return {r[3], r[4]}; }

std::string DescribeReport(const Report& r, std::size_t bytes) {
  char head[16];
  std::snprintf(head, sizeof head, "0x%04X", static_cast<unsigned>(CodeOf(r)));
  std::string out = head;
  for (std::size_t i = 3; i < std::min(bytes, kReportSize); ++i) {
    char b[4];
    std::snprintf(b, sizeof b, " %02x", static_cast<unsigned>(r[i]));
    out += b;
  }
  return out;
}

}  // namespace cbx::dock
