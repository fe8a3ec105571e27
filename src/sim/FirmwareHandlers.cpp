// The firmware side of DeviceResponder: start commands, data requests and the closing
// 0x050B of the five update variants.
#include "sim/FirmwareHandlers.h"

#include <algorithm>
#include <array>

#include "sim/DeviceResponder.h"

namespace cbx::sim {

namespace {

namespace cmd = dock::cmd;

// Sub-packet s of a 256-byte block carries this many bytes; the length is not on the wire.
constexpr std::array<std::size_t, 5> kSubPacketSizes = {52, 52, 52, 52, 48};
constexpr std::size_t kBlock256 = 256;

FirmwareVariant VariantOf(std::uint16_t dataCode) {
  switch (dataCode) {
    case cmd::kLensBlock: return FirmwareVariant::Lens32;
    case cmd::kLensSubPacket: return FirmwareVariant::Lens256;
    case cmd::kDockBlock: return FirmwareVariant::Dock32;
    case cmd::kDockSubPacket: return FirmwareVariant::Dock256;
    default: return FirmwareVariant::LensPackets;
  }
}

std::uint16_t StartCodeFor(FirmwareVariant v) {
  return v == FirmwareVariant::Dock32 || v == FirmwareVariant::Dock256 ? cmd::kDockUpdateStart
                                                                       : cmd::kLensUpdateStart;
}

bool IsLensVariant(FirmwareVariant v) {
  return v == FirmwareVariant::Lens32 || v == FirmwareVariant::Lens256 || v == FirmwareVariant::LensPackets;
}

void Take(FirmwareSession& s, std::span<const std::uint8_t> data) {
  s.record.bytes += data.size();
  s.record.checksum = FirmwareChecksum(data, s.record.checksum);
}

// A block request is in sequence when its update was started for this variant, its total
// is the update's, and its number is new and below the total. Empty when it is.
std::string CheckBlock(FirmwareSession& s, std::uint16_t code, std::uint16_t total, std::uint16_t block) {
  FirmwareRecord& r = s.record;
  const FirmwareVariant variant = VariantOf(code);
  if (r.startCode != StartCodeFor(variant)) return "no start command for this update";
  if (r.variant == FirmwareVariant::None) {
    r.variant = variant;
    r.total = total;
  }
  if (r.variant != variant) return "data request of another update";
  if (total != r.total) return "total changed";
  if (block >= r.total) return "block number beyond the total";
  // Whole 256-byte images may be followed by blocks up to the total (maps that count blocks).
  if (r.complete && r.unitsDone >= r.total) return "update already complete";
  if (s.seen.size() != r.total) s.seen.assign(r.total, false);
  return {};
}

}  // namespace

std::uint64_t FirmwareChecksum(std::span<const std::uint8_t> bytes, std::uint64_t seed) {
  std::uint64_t h = seed;
  for (const std::uint8_t b : bytes) {
    h ^= b;
    h *= 1099511628211ull;
  }
  return h;
}

// The status after the fault has had its say, counting this data request.
std::uint8_t DeviceResponder::FirmwareStatus(std::uint8_t status) {
  if (!firmware_.fault) return status;
  if (firmware_.fault->unit > 1) {
    --firmware_.fault->unit;
    return status;
  }
  const std::uint8_t forced = firmware_.fault->status;
  firmware_.fault.reset();
  return forced;
}

// A lens restarts on its own after its last unit and comes back with the new version.
void DeviceResponder::FirmwareUnitDone() {
  FirmwareRecord& r = firmware_.record;
  ++r.unitsDone;
  // A map counts its total in 32-byte units, so an image sent in 256-byte blocks is whole
  // once its blocks hold that many; maps that count the 256-byte blocks themselves pass too.
  const bool wide = r.variant == FirmwareVariant::Lens256 || r.variant == FirmwareVariant::Dock256;
  if (r.unitsDone != r.total && !(wide && r.unitsDone * 8u == r.total)) return;
  r.complete = true;
  if (IsLensVariant(r.variant) && attached_ && profile_.behaviour.versionAfterUpdate) {
    attached_->version = *profile_.behaviour.versionAfterUpdate;
  }
}

void DeviceResponder::OnFirmwareStart(const dock::Report& request, Outcome& out) {
  const bool keep = firmware_.keepData;
  auto fault = firmware_.fault;
  firmware_ = {};
  firmware_.keepData = keep;
  firmware_.fault = fault;
  firmware_.record.startCode = dock::CodeOf(request);
  OnWaitedStart(request, out);
}

void DeviceResponder::OnFirmwareBlock(const dock::Report& request, Outcome& out) {
  const dock::BlockRequest q = dock::BlockRequest::Decode(request);
  FirmwareRecord& r = firmware_.record;
  std::string refused = CheckBlock(firmware_, q.code, q.wordA, q.wordB);
  if (refused.empty() && firmware_.seen[q.wordB]) refused = "block sent twice";
  std::uint8_t status = dock::kStatusDone;
  if (!refused.empty()) {
    r.refused = refused;
    status = kFirmwareRefused;
  } else if (status = FirmwareStatus(status); status == dock::kStatusDone || status == dock::kStatusAccepted) {
    Take(firmware_, q.data);
    firmware_.seen[q.wordB] = true;
    if (firmware_.keepData) r.blocks[q.wordB].assign(q.data.begin(), q.data.end());
    FirmwareUnitDone();
  }
  out.replies.push_back(dock::AckReply{*dock::ResponseCodeFor(q.code), q.wordA, q.wordB, status}.Encode());
}

void DeviceResponder::OnFirmwareSubPacket(const dock::Report& request, Outcome& out) {
  const dock::SubPacketRequest q = dock::SubPacketRequest::Decode(request);
  FirmwareSession& s = firmware_;
  FirmwareRecord& r = s.record;
  std::string refused = CheckBlock(s, q.code, q.wordA, q.wordB);
  if (refused.empty()) {
    if (q.wordC != s.nextSubPacket) {
      refused = "sub-packet out of order";
    } else if (q.wordC == 0 && s.seen[q.wordB]) {
      refused = "block sent twice";
    } else if (q.wordC != 0 && s.openBlock != q.wordB) {
      refused = "sub-packet of another block";
    }
  }
  std::uint8_t status = dock::kStatusDone;
  if (!refused.empty()) {
    r.refused = refused;
    status = kFirmwareRefused;
  } else if (status = FirmwareStatus(status); status == dock::kStatusDone || status == dock::kStatusAccepted) {
    const std::size_t n = kSubPacketSizes[q.wordC];
    const std::span<const std::uint8_t> data(q.data.data(), n);
    Take(s, data);
    if (q.wordC == 0) {
      s.openBlock = q.wordB;
      s.partial.clear();
      if (s.keepData) s.partial.reserve(kBlock256);
    }
    if (s.keepData) s.partial.insert(s.partial.end(), data.begin(), data.end());
    if (++s.nextSubPacket == kSubPacketSizes.size()) {
      s.seen[q.wordB] = true;
      if (s.keepData) r.blocks[q.wordB] = std::move(s.partial);
      s.partial.clear();
      s.openBlock.reset();
      s.nextSubPacket = 0;
      FirmwareUnitDone();
    }
  }
  // Byte 9 accepts the report as such; the status byte says what became of it.
  out.replies.push_back(dock::SubPacketAckReply{*dock::ResponseCodeFor(q.code), q.wordA, q.wordB, q.wordC,
                                                dock::kStatusDone, status}
                            .Encode());
}

void DeviceResponder::OnFirmwarePacket(const dock::Report& request, Outcome& out) {
  const dock::DataPacket q = dock::DataPacket::Decode(request);
  FirmwareSession& s = firmware_;
  if (q.wordB == 0) {
    // The first packet opens a new image; the sector table must have arrived whole.
    const bool keep = s.keepData;
    auto fault = s.fault;
    s = {};
    s.keepData = keep;
    s.fault = fault;
    s.record.variant = FirmwareVariant::LensPackets;
    s.record.total = q.wordA;
  }
  FirmwareRecord& r = s.record;
  std::string refused;
  if (r.variant != FirmwareVariant::LensPackets) refused = "packet without a first packet";
  else if (!sectorTable_.Complete()) refused = "packet before a complete sector table";
  else if (q.wordA != r.total) refused = "total changed";
  else if (q.wordB != r.unitsDone) refused = "packet out of order";
  else if (q.data.empty()) refused = "empty packet";
  else if (r.complete) refused = "update already complete";
  else if (q.data.size() < dock::kPacketDataMax && q.wordB + 1u != r.total) refused = "short packet before the last";
  std::uint8_t status = dock::kStatusDone;
  if (!refused.empty()) {
    r.refused = refused;
    status = kFirmwareRefused;
  } else if (status = FirmwareStatus(status); status == dock::kStatusDone || status == dock::kStatusAccepted) {
    Take(s, q.data);
    if (s.keepData) {
      r.packetSizes.push_back(q.data.size());
      r.packetData.insert(r.packetData.end(), q.data.begin(), q.data.end());
    }
    FirmwareUnitDone();
  }
  out.replies.push_back(dock::AckReply{cmd::kLensPacketAck, q.wordA, q.wordB, status}.Encode());
}

// The dock or converter comes back from its restart with the new version when the image
// arrived whole.
void DeviceResponder::OnFirmwareEnd(const dock::Report& request, Outcome& out) {
  const FirmwareRecord& r = firmware_.record;
  if (r.complete && !IsLensVariant(r.variant) && profile_.behaviour.versionAfterUpdate) {
    profile_.device.version = *profile_.behaviour.versionAfterUpdate;
  }
  OnDockUpdateEnd(request, out);
}

}  // namespace cbx::sim
