#include "firmware/FirmwareTransfer.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <limits>
#include <optional>
#include <span>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "app/Log.h"

namespace cbx::firmware {

namespace {

namespace cmd = dock::cmd;
using lens::kTransferDataFailure;
using lens::kTransferDeviceFailure;
using lens::kTransferDockFailure;
using lens::kTransferSuccess;

constexpr int kErrOpen = 16;
constexpr int kErrFileSize = 23;
constexpr int kErrRequest = 26;
constexpr int kErrResponse = 27;
constexpr int kErrShortRead = 28;
constexpr int kErrUpdateStatus = 29;
constexpr int kErrOther = 30;

// A 256-byte block travels as four sub-packets of 52 bytes and one of 48.
constexpr std::array<std::size_t, 5> kSubPacketSizes = {52, 52, 52, 52, 48};
constexpr std::size_t kMaxWord = std::numeric_limits<std::uint16_t>::max();

// What a block variant sends, and the codes its failures are reported with. The reported
// codes are fixed per variant and are not always the ones on the wire: the 256-byte lens
// variant reports the dock's codes, and so does the converter.
struct BlockVariant {
  int function;
  std::uint16_t startRequest, startReply;
  std::uint16_t dataRequest, ack;
  bool subPackets;
  std::uint16_t reportedStart, reportedData, reportedAck;
  int commandFailure;
};

constexpr BlockVariant kLens32{kFnLensFWUpdateThread, cmd::kLensUpdateStart, cmd::kLensUpdateStartReply,
                               cmd::kLensBlock, cmd::kLensBlockAck, false,
                               cmd::kLensUpdateStart, cmd::kLensBlock, cmd::kLensBlockAck, kTransferDeviceFailure};
constexpr BlockVariant kLens256{kFnDockFWUpdateThread, cmd::kLensUpdateStart, cmd::kLensUpdateStartReply,
                                cmd::kLensSubPacket, cmd::kLensSubPacketAck, true,
                                cmd::kDockUpdateStart, cmd::kDockBlock, cmd::kDockBlockAck, kTransferDockFailure};
constexpr BlockVariant kDock32{kFnDockFWUpdateThread, cmd::kDockUpdateStart, cmd::kDockUpdateStartReply,
                               cmd::kDockBlock, cmd::kDockBlockAck, false,
                               cmd::kDockUpdateStart, cmd::kDockBlock, cmd::kDockBlockAck, kTransferDockFailure};
constexpr BlockVariant kConverter256{kFnDockFWUpdateThread, cmd::kDockUpdateStart, cmd::kDockUpdateStartReply,
                                     cmd::kDockSubPacket, cmd::kDockSubPacketAck, true,
                                     cmd::kDockUpdateStart, cmd::kDockBlock, cmd::kDockBlockAck,
                                     kTransferDockFailure};

bool Accepted(int status) { return status == dock::kStatusDone || status == dock::kStatusAccepted; }

int ClampToInt(std::uint64_t value) {
  return static_cast<int>(std::min<std::uint64_t>(value, static_cast<std::uint64_t>(std::numeric_limits<int>::max())));
}

// The firmware file, read forward in unit-sized pieces.
class FirmwareFile {
 public:
  explicit FirmwareFile(const std::string& path) : path_(path), in_(std::filesystem::path(path), std::ios::binary) {}
  bool IsOpen() const { return in_.is_open(); }
  std::uint64_t Size() const {
    std::error_code ec;
    const auto size = std::filesystem::file_size(std::filesystem::path(path_), ec);
    return ec ? 0 : static_cast<std::uint64_t>(size);
  }
  bool Seek(std::uint64_t offset) {
    in_.clear();
    in_.seekg(static_cast<std::streamoff>(offset));
    return static_cast<bool>(in_);
  }
  // True when all n bytes came.
  bool Read(std::uint8_t* data, std::size_t n) {
    in_.read(reinterpret_cast<char*>(data), static_cast<std::streamsize>(n));
    return static_cast<std::size_t>(in_.gcount()) == n;
  }

 private:
  std::string path_;
  std::ifstream in_;
};

// Sends one 256-byte block as its five sub-packets; the result on failure, or nothing.
std::optional<int> SendBlock256(const BlockVariant& v, dock::DockDevice& device, FirmwareFile& file,
                                std::uint16_t total, std::uint16_t block) {
  std::array<std::uint8_t, dock::kSubPacketMax> data{};
  for (std::size_t s = 0; s < kSubPacketSizes.size(); ++s) {
    const std::size_t n = kSubPacketSizes[s];
    if (!file.Read(data.data(), n)) {
      ReportError(v.function, kErrShortRead);
      return kTransferDataFailure;
    }
    if (!device.SendSubPacket(v.dataRequest, total, block, static_cast<std::uint16_t>(s),
                              std::span<const std::uint8_t>(data.data(), n))) {
      ReportError(v.function, kErrRequest, v.reportedData);
      return v.commandFailure;
    }
    int status = dock::kStatusNoAnswer;
    std::uint16_t w1 = 0, w2 = 0, w3 = 0;
    if (!device.ReadSubPacketAck(v.ack, status, w1, w2, w3)) {
      ReportError(v.function, kErrResponse, v.reportedAck);
      return v.commandFailure;
    }
    if (!Accepted(status)) {
      ReportError(v.function, kErrUpdateStatus);
      return v.commandFailure;
    }
  }
  return std::nullopt;
}

std::optional<int> SendBlock32(const BlockVariant& v, dock::DockDevice& device, FirmwareFile& file,
                               std::uint16_t total, std::uint16_t block) {
  dock::Unit data{};
  if (!file.Read(data.data(), data.size())) {
    ReportError(v.function, kErrShortRead);
    return kTransferDataFailure;
  }
  if (!device.SendBlock(v.dataRequest, total, block, data)) {
    ReportError(v.function, kErrRequest, v.reportedData);
    return v.commandFailure;
  }
  int status = dock::kStatusNoAnswer;
  std::uint16_t w1 = 0, w2 = 0;
  if (!device.ReadAck(v.ack, status, w1, w2)) {
    ReportError(v.function, kErrResponse, v.reportedAck);
    return v.commandFailure;
  }
  if (!Accepted(status)) {
    ReportError(v.function, kErrUpdateStatus);
    return v.commandFailure;
  }
  return std::nullopt;
}

// The block variants up to the last block: open, check the size, start, then every block
// of every sector from the sector's address in the file.
int TransferBlocks(const BlockVariant& v, dock::DockDevice& device, const std::string& path,
                   const update::BlockMap& map, lens::TransferProgress& progress) {
  FirmwareFile file(path);
  if (!file.IsOpen()) {
    ReportError(v.function, kErrOpen, 0, path);
    return kTransferDataFailure;
  }
  const int total = map.total;
  progress.SetTotal(total);
  // The size rule counts 32-byte units even for the 256-byte variants. A total beyond what
  // a word carries cannot be numbered on the wire at all.
  if (total < 0 || static_cast<std::size_t>(total) > kMaxWord ||
      static_cast<std::uint64_t>(total) * dock::kUnitSize > file.Size()) {
    ReportError(v.function, kErrFileSize, 0, path);
    return kTransferDataFailure;
  }
  int status = dock::kStatusNoAnswer;
  if (!device.CommandAndWait(v.startRequest, v.startReply, status)) {
    ReportError(v.function, kErrRequest, v.reportedStart);
    return v.commandFailure;
  }
  const std::size_t sectors = std::min({static_cast<std::size_t>(std::max(map.count, 0)), map.address.size(),
                                        map.start.size(), map.length.size()});
  const auto wordTotal = static_cast<std::uint16_t>(total);
  int done = 0;
  for (std::size_t i = 0; i < sectors; ++i) {
    if (!file.Seek(map.address[i])) {
      ReportError(v.function, kErrShortRead);
      return kTransferDataFailure;
    }
    for (int b = map.start[i]; b < map.start[i] + map.length[i]; ++b) {
      const auto block = static_cast<std::uint16_t>(b);
      const std::optional<int> failed = v.subPackets ? SendBlock256(v, device, file, wordTotal, block)
                                                     : SendBlock32(v, device, file, wordTotal, block);
      if (failed) return *failed;
      progress.SetPosition(done++);
    }
  }
  return kTransferSuccess;
}

// The sector-table variant: the map goes to the lens as a table, then the whole file
// follows from its first byte in packets of up to 56 bytes.
int TransferSectors(dock::DockDevice& device, const std::string& path, const update::BlockMap& map,
                    lens::TransferProgress& progress) {
  constexpr int fn = kFnLensFWUpdateThread;
  FirmwareFile file(path);
  if (!file.IsOpen()) {
    ReportError(fn, kErrOpen, 0, path);
    return kTransferDataFailure;
  }
  const std::uint64_t size = file.Size();
  const std::uint64_t packets = size / dock::kPacketDataMax + (size % dock::kPacketDataMax != 0 ? 1 : 0);
  // A packet count beyond a word cannot be numbered on the wire.
  if (size == 0 || packets > kMaxWord) {
    ReportError(fn, kErrFileSize, 0, path + " " + std::to_string(size));
    return kTransferDataFailure;
  }
  progress.SetTotal(ClampToInt(size));

  const std::size_t entries = std::min({static_cast<std::size_t>(std::max(map.count, 0)), map.address.size(),
                                        map.length.size()});
  std::vector<std::uint32_t> starts(map.address.begin(), map.address.begin() + static_cast<std::ptrdiff_t>(entries));
  std::vector<std::uint32_t> lengths;
  lengths.reserve(entries);
  for (std::size_t i = 0; i < entries; ++i) lengths.push_back(static_cast<std::uint32_t>(map.length[i]));
  int status = dock::kStatusNoAnswer;
  if (!device.SendSectorTable(status, starts, lengths)) {
    ReportError(fn, kErrRequest, cmd::kLensUpdateStart);
    return kTransferDeviceFailure;
  }

  const auto packetCount = static_cast<std::uint16_t>(packets);
  std::uint64_t sent = 0;
  dock::DataPacket packet;
  packet.wordA = packetCount;
  packet.data.reserve(dock::kPacketDataMax);
  for (std::uint16_t k = 0; k < packetCount; ++k) {
    const auto n = static_cast<std::size_t>(std::min<std::uint64_t>(dock::kPacketDataMax, size - sent));
    packet.wordB = k;
    packet.data.resize(n);
    if (!file.Read(packet.data.data(), n)) {
      ReportError(fn, kErrShortRead);
      return kTransferDataFailure;
    }
    if (!device.IsReady() || !device.WriteReport(packet.Encode())) {
      ReportError(fn, kErrRequest, cmd::kLensBlock);
      return kTransferDeviceFailure;
    }
    dock::Report reply{};
    if (!device.ReadResponse(cmd::kLensPacketAck, reply)) {
      ReportError(fn, kErrResponse, cmd::kLensBlockAck);
      return kTransferDeviceFailure;
    }
    if (!Accepted(dock::AckReply::Decode(reply).status)) {
      ReportError(fn, kErrUpdateStatus);
      return kTransferDeviceFailure;
    }
    sent += n;
    progress.SetPosition(ClampToInt(sent));
  }
  return kTransferSuccess;
}

// Nothing escapes a worker: an exception is error 30 and result 4.
template <typename Body>
int Guarded(int function, Body&& body) {
  try {
    return body();
  } catch (...) {
    try {
      ReportError(function, kErrOther);
    } catch (...) {
    }
    return kTransferDataFailure;
  }
}

// After its restart the converter is back under its own product; look for it a few times.
void ReconnectConverter(dock::DockDevice& device, const ReconnectTiming& timing) {
  device.Close();
  std::this_thread::sleep_for(timing.firstWait);
  for (int attempt = 0; attempt < timing.attempts; ++attempt) {
    device.Close();
    bool readOpened = false, writeOpened = false;
    if (device.FindDevice(dock::kProductMountConverter, readOpened, writeOpened)) {
      device.SetDeviceKind(dock::DeviceKind::MountConverter);
      const bool wasPolling = device.IsPolling();
      if (wasPolling) device.StopPolling();
      int status = dock::kStatusNoAnswer;
      const bool answered = device.RequestStatus(status);
      if (wasPolling) device.StartPolling();
      if (answered) return;
    }
    if (attempt + 1 < timing.attempts) std::this_thread::sleep_for(timing.retryWait);
  }
}

}  // namespace

int LensFWUpdateThread(int transferType, dock::DockDevice& device, update::CLensUpdateInfoData& record,
                       lens::TransferProgress& progress) {
  const int function = transferType == lens::kTransferLensFirmware256 ? kFnDockFWUpdateThread : kFnLensFWUpdateThread;
  return Guarded(function, [&]() -> int {
    int result = kTransferSuccess;
    if (transferType == lens::kTransferLensFirmwareSectors) {
      result = TransferSectors(device, record.fwLocalPath, record.fwMap, progress);
    } else {
      const BlockVariant& v = transferType == lens::kTransferLensFirmware256 ? kLens256 : kLens32;
      result = TransferBlocks(v, device, record.fwLocalPath, record.fwMap, progress);
    }
    if (result == kTransferSuccess) record.rawVersion = record.Fwversion;
    return result;
  });
}

int DockFWUpdateThread(int transferType, dock::DockDevice& device, update::DockUpdateInfo& dock,
                       std::atomic<bool>& restartPending, lens::TransferProgress& progress,
                       const ReconnectTiming& timing) {
  return Guarded(kFnDockFWUpdateThread, [&]() -> int {
    const bool converter = transferType == lens::kTransferConverterFirmware;
    const int result =
        TransferBlocks(converter ? kConverter256 : kDock32, device, dock.dockFwLocalPath, dock.dockFwMap, progress);
    if (result != kTransferSuccess) return result;
    // Raised before the command goes out: the device may vanish before the write returns.
    restartPending = true;
    if (!device.SendCommand(cmd::kDockUpdateEnd)) {
      restartPending = false;
      ReportError(kFnDockFWUpdateThread, kErrRequest, cmd::kDockUpdateEnd);
      return kTransferDockFailure;
    }
    dock.dockRawVersion = dock.dockFwversion;
    if (converter) ReconnectConverter(device, timing);
    return kTransferSuccess;
  });
}

}  // namespace cbx::firmware
