// The transfer operations of the command protocol.
#include <algorithm>

#include "dock/DockDevice.h"

namespace cbx::dock {

namespace {

bool IsAckStatus(std::uint8_t status) {
  return status == kStatusNotFinished || status == kStatusDone || status == kStatusAccepted;
}

}  // namespace

bool DockDevice::SendWords(std::uint16_t code, std::uint16_t wordA, std::uint16_t wordB) {
  return WriteReport(WordsRequest{code, wordA, wordB}.Encode());
}

bool DockDevice::SendBlock(std::uint16_t code, std::uint16_t wordA, std::uint16_t wordB, const Unit& data) {
  return WriteReport(BlockRequest{code, wordA, wordB, data}.Encode());
}

bool DockDevice::SendSubPacket(std::uint16_t code, std::uint16_t wordA, std::uint16_t wordB,
                               std::uint16_t wordC, std::span<const std::uint8_t> data) {
  if (data.size() > kSubPacketMax) return false;
  return WriteReport(SubPacketRequest{code, wordA, wordB, wordC, {data.begin(), data.end()}}.Encode());
}

bool DockDevice::ReadAck(std::uint16_t expectedCode, int& status, std::uint16_t& word1,
                         std::uint16_t& word2) {
  status = kStatusNoAnswer;
  Report reply;
  if (!ReadResponse(expectedCode, reply)) return false;
  const AckReply ack = AckReply::Decode(reply);
  word1 = ack.word1;
  word2 = ack.word2;
  if (!IsAckStatus(ack.status)) return false;
  status = ack.status;
  return true;
}

bool DockDevice::ReadSubPacketAck(std::uint16_t expectedCode, int& status, std::uint16_t& word1,
                                  std::uint16_t& word2, std::uint16_t& word3) {
  status = kStatusNoAnswer;
  Report reply;
  if (!ReadResponse(expectedCode, reply)) return false;
  const SubPacketAckReply ack = SubPacketAckReply::Decode(reply);
  word1 = ack.word1;
  word2 = ack.word2;
  word3 = ack.word3;
  // The device marks an accepted sub-packet in byte 9; byte 13 is the caller's to judge.
  if (!IsAckStatus(ack.accept)) return false;
  status = ack.status;
  return true;
}

bool DockDevice::ReadBlock(std::uint16_t expectedCode, std::uint16_t& word1, std::uint16_t& word2,
                           Unit& data, int& status) {
  status = kStatusNoAnswer;
  Report reply;
  if (!ReadResponse(expectedCode, reply)) return false;
  const DataUnitReply unit = DataUnitReply::Decode(reply);
  word1 = unit.word1;
  word2 = unit.word2;
  data = unit.data;
  if (unit.status != kStatusNotFinished && unit.status != kStatusDone) return false;
  status = unit.status;
  return true;
}

// Reads status replies until 0xAA. 0x00 (and 0xCC for the sector table) mean "still
// working"; such answers are taken for at most the still-working limit.
bool DockDevice::ReadWaitedStatus(std::uint16_t responseCode, int& status, bool firstReadMayTimeOut) {
  const auto deadline = std::chrono::steady_clock::now() + stillWorkingLimit_.load();
  const bool sectorTable = responseCode == cmd::kSectorTableReply;
  bool first = true;
  while (true) {
    status = kStatusNoAnswer;
    Report reply;
    const int timeout = first && firstReadMayTimeOut ? sectorGraceMs_.load() : readTimeoutMs_.load();
    const ReadResult result = ReadReport(reply, timeout);
    if (result == ReadResult::kTimeout && first && firstReadMayTimeOut) return true;  // no answer expected
    first = false;
    if (result != ReadResult::kOk || CodeOf(reply) != responseCode) return false;
    const std::uint8_t value = StatusReply::Decode(reply).status;
    if (value == kStatusDone) {
      status = value;
      return true;
    }
    const bool working = value == kStatusNotFinished || (sectorTable && value == kStatusWorking);
    if (!working || std::chrono::steady_clock::now() > deadline) return false;
  }
}

bool DockDevice::CommandAndWait(std::uint16_t requestCode, std::uint16_t responseCode, int& status) {
  status = kStatusNoAnswer;
  if (!SendCommand(requestCode)) return false;
  return ReadWaitedStatus(responseCode, status, false);
}

bool DockDevice::SendSectorTable(int& status, std::span<const std::uint32_t> startAddresses,
                                 std::span<const std::uint32_t> lengthUnits) {
  status = kStatusNoAnswer;
  const std::size_t count = std::min(startAddresses.size(), lengthUnits.size());
  const std::size_t chunks = count / kSectorEntriesPerChunk + 1;
  for (std::size_t k = 0; k < chunks; ++k) {
    if (!IsReady()) return false;
    SectorTableChunk chunk;
    chunk.totalEntries = static_cast<std::uint8_t>(count);
    for (std::size_t i = k * kSectorEntriesPerChunk; i < std::min(count, (k + 1) * kSectorEntriesPerChunk); ++i) {
      // The length travels as bytes: units shifted left by 5, low 32 bits.
      const auto bytes = static_cast<std::uint32_t>(static_cast<std::uint64_t>(lengthUnits[i]) << 5);
      chunk.entries.push_back({startAddresses[i], bytes});
    }
    if (!WriteReport(chunk.Encode())) {
      status = kStatusNoAnswer;
      return false;
    }
    if (!ReadWaitedStatus(cmd::kSectorTableReply, status, k > 0)) {
      status = kStatusNoAnswer;
      return false;
    }
  }
  status = kStatusDone;
  return true;
}

}  // namespace cbx::dock
