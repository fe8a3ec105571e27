#include "sim/DeviceResponder.h"

#include <algorithm>
#include <utility>

namespace cbx::sim {

namespace {

// Enough to see what a host tried; a host looping on an unknown code must not grow memory.
constexpr std::size_t kUnhandledKept = 256;

}  // namespace

DeviceResponder::DeviceResponder(DeviceProfile profile)
    : profile_(std::move(profile)), attached_(profile_.attached) {}

const std::unordered_map<std::uint16_t, DeviceResponder::Handler>& DeviceResponder::Handlers() {
  static const std::unordered_map<std::uint16_t, Handler> handlers = {
      {dock::cmd::kStatus, &DeviceResponder::OnStatus},
      {dock::cmd::kProductCode, &DeviceResponder::OnProductCode},
      {dock::cmd::kSerialNumber, &DeviceResponder::OnSerialNumber},
      {dock::cmd::kFirmwareVersion, &DeviceResponder::OnFirmwareVersion},
      {dock::cmd::kDeviceVersion, &DeviceResponder::OnDeviceVersion},
      {dock::cmd::kPathCode, &DeviceResponder::OnPathCode},
      {dock::cmd::kLensUpdateStart, &DeviceResponder::OnFirmwareStart},
      {dock::cmd::kDockUpdateStart, &DeviceResponder::OnFirmwareStart},
      {dock::cmd::kLensBlock, &DeviceResponder::OnFirmwareBlock},
      {dock::cmd::kDockBlock, &DeviceResponder::OnFirmwareBlock},
      {dock::cmd::kLensSubPacket, &DeviceResponder::OnFirmwareSubPacket},
      {dock::cmd::kDockSubPacket, &DeviceResponder::OnFirmwareSubPacket},
      {dock::cmd::kLensPacket, &DeviceResponder::OnFirmwarePacket},
      {dock::cmd::kAfReadStart, &DeviceResponder::OnDataAreaStart},
      {dock::cmd::kAfReadUnit, &DeviceResponder::OnDataAreaRead},
      {dock::cmd::kAfWriteStart, &DeviceResponder::OnDataAreaStart},
      {dock::cmd::kAfWriteUnit, &DeviceResponder::OnDataAreaWrite},
      {dock::cmd::kCsReadStart, &DeviceResponder::OnDataAreaStart},
      {dock::cmd::kCsReadUnit, &DeviceResponder::OnDataAreaRead},
      {dock::cmd::kCsWriteStart, &DeviceResponder::OnDataAreaStart},
      {dock::cmd::kCsWriteUnit, &DeviceResponder::OnDataAreaWrite},
      {dock::cmd::kSectorTable, &DeviceResponder::OnSectorTable},
      {dock::cmd::kDockUpdateEnd, &DeviceResponder::OnFirmwareEnd},
  };
  return handlers;
}

DeviceResponder::Outcome DeviceResponder::Handle(const dock::Report& request) {
  Outcome out;
  const auto it = Handlers().find(dock::CodeOf(request));
  if (it == Handlers().end()) {
    out.handled = false;
    if (unhandled_.size() == kUnhandledKept) unhandled_.erase(unhandled_.begin());
    unhandled_.push_back(request);
    return out;
  }
  (this->*(it->second))(request, out);
  return out;
}

std::uint8_t DeviceResponder::CurrentStatus() const {
  if (forcedStatus_) return *forcedStatus_;
  return attached_ ? attached_->status : profile_.emptyStatus;
}

void DeviceResponder::OnStatus(const dock::Report&, Outcome& out) {
  out.replies.push_back(dock::StatusReply{dock::cmd::kStatusReply, CurrentStatus()}.Encode());
}

// With nothing mounted the identification answers carry zeros, which no host accepts as a
// known mount, so a read fails at once instead of waiting for a time-out.
void DeviceResponder::OnProductCode(const dock::Report&, Outcome& out) {
  dock::ProductCodeReply reply;
  if (attached_) reply = {attached_->productCode, attached_->mountCode};
  out.replies.push_back(reply.Encode());
}

void DeviceResponder::OnSerialNumber(const dock::Report&, Outcome& out) {
  dock::SerialNumberReply reply;
  if (attached_) {
    const std::string& serial = attached_->serialNumber;
    std::copy_n(serial.begin(), std::min(reply.text.size(), serial.size()), reply.text.begin());
  }
  out.replies.push_back(reply.Encode());
}

void DeviceResponder::OnFirmwareVersion(const dock::Report&, Outcome& out) {
  dock::FirmwareVersionReply reply;
  if (attached_) reply = {attached_->version, attached_->formatByte};
  out.replies.push_back(reply.Encode());
}

void DeviceResponder::OnDeviceVersion(const dock::Report&, Outcome& out) {
  const UsbDeviceProfile& d = profile_.device;
  out.replies.push_back(dock::DeviceVersionReply{d.version, d.mountCode, d.formatByte, d.capability}.Encode());
}

void DeviceResponder::OnPathCode(const dock::Report&, Outcome& out) {
  out.replies.push_back(dock::PathCodeReply{profile_.device.pathCode[0], profile_.device.pathCode[1]}.Encode());
}

// A start command is answered "still working" a few times, then "done".
void DeviceResponder::OnWaitedStart(const dock::Report& request, Outcome& out) {
  const std::uint16_t code = dock::CodeOf(request);
  // A lens update sends its sector table next; whatever came before belongs to another one.
  if (code == dock::cmd::kLensUpdateStart) sectorTable_ = {};
  const std::uint16_t reply = *dock::ResponseCodeFor(code);
  for (int i = 0; i < profile_.behaviour.workingReports; ++i) {
    out.replies.push_back(dock::StatusReply{reply, dock::kStatusNotFinished}.Encode());
  }
  out.replies.push_back(dock::StatusReply{reply, dock::kStatusDone}.Encode());
}

void DeviceResponder::OnSectorTable(const dock::Report& request, Outcome& out) {
  SectorTableRecord& table = sectorTable_;
  // A chunk after a complete table (or the very first one, or one with another total, as
  // when a host gave up half-way) starts a new table.
  if (table.chunksExpected == 0 || table.Complete() || request[3] != table.totalEntries) {
    table = {};
    table.totalEntries = request[3];
    table.chunksExpected = table.totalEntries / dock::kSectorEntriesPerChunk + 1;
  }
  const std::size_t index = table.chunksReceived;
  const std::size_t before = index * dock::kSectorEntriesPerChunk;
  const std::size_t inChunk =
      table.totalEntries > before ? std::min(dock::kSectorEntriesPerChunk, table.totalEntries - before) : 0;
  const dock::SectorTableChunk chunk = dock::SectorTableChunk::Decode(request, inChunk);
  table.entries.insert(table.entries.end(), chunk.entries.begin(), chunk.entries.end());
  ++table.chunksReceived;

  if (index == 0 || profile_.behaviour.sectorTableAnswers == SectorTableAnswers::Every) {
    out.replies.push_back(dock::StatusReply{dock::cmd::kSectorTableReply, dock::kStatusWorking}.Encode());
    out.replies.push_back(dock::StatusReply{dock::cmd::kSectorTableReply, dock::kStatusDone}.Encode());
  }
}

void DeviceResponder::OnDockUpdateEnd(const dock::Report&, Outcome& out) { out.restart = true; }

}  // namespace cbx::sim
