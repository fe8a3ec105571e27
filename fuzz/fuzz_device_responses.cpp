// The device answers the host parses: the report decoders, the identification reads and
// the command protocol's acknowledgement and status reads.
//
// Input: a first byte choosing the kind of USB device, then a list of answers. Each answer
// is one control byte (mostly "a whole report", sometimes a time-out or a short read) and
// 65 report bytes. The device answers every read with the next one and disappears when
// they run out, so every exchange ends without waiting.
#include <fuzzer/FuzzedDataProvider.h>

#include <array>
#include <cstring>
#include <memory>
#include <vector>

#include "FuzzSupport.h"
#include "dock/DeviceIdentity.h"
#include "dock/DockConfig.h"
#include "dock/DockDevice.h"
#include "dock/Protocol.h"

namespace {

using namespace cbx::dock;

struct Answer {
  int length = static_cast<int>(kReportSize);  // what Read returns: 0 a time-out, -1 a failure
  Report report{};
};

class ReplayConnection : public HidConnection {
 public:
  explicit ReplayConnection(std::vector<Answer> answers) : answers_(std::move(answers)) {}
  int Write(const std::uint8_t*, std::size_t length) override {
    return next_ < answers_.size() ? static_cast<int>(length) : -1;
  }
  int Read(std::uint8_t* data, std::size_t capacity, int) override {
    if (next_ >= answers_.size()) return -1;
    const Answer& a = answers_[next_++];
    if (a.length <= 0) return a.length;
    const std::size_t n = std::min({capacity, static_cast<std::size_t>(a.length), a.report.size()});
    std::memcpy(data, a.report.data(), n);
    return static_cast<int>(n);
  }

 private:
  std::vector<Answer> answers_;
  std::size_t next_ = 0;
};

class ReplayBackend : public HidBackend {
 public:
  ReplayBackend(std::uint16_t productId, std::shared_ptr<HidConnection> connection)
      : productId_(productId), connection_(std::move(connection)) {}
  std::optional<HidInterface> FindAndOpen(std::uint16_t vendorId, std::uint16_t productId) override {
    if (productId != productId_) return std::nullopt;
    HidInterface found;
    found.devicePath = "replay";
    found.vendorId = vendorId;
    found.productId = productId;
    found.inputReportLength = found.outputReportLength = kReportSize;
    found.connection = connection_;
    return found;
  }
  std::string Describe() const override { return "replay"; }

 private:
  std::uint16_t productId_;
  std::shared_ptr<HidConnection> connection_;
};

// Every decoder on one report; the results only have to exist.
void DecodeAll(const Report& r, std::size_t entries) {
  volatile std::size_t sink = 0;
  sink = sink + CodeRequest::Decode(r).code + WordsRequest::Decode(r).wordB + BlockRequest::Decode(r).data[31];
  sink = sink + SubPacketRequest::Decode(r).data.size() + SectorTableChunk::Decode(r, entries).entries.size();
  sink = sink + DataPacket::Decode(r).data.size() + StatusReply::Decode(r).status + AckReply::Decode(r).status;
  sink = sink + SubPacketAckReply::Decode(r).accept + DataUnitReply::Decode(r).status;
  sink = sink + ProductCodeReply::Decode(r).mountCode + SerialNumberReply::Decode(r).text[0];
  sink = sink + FirmwareVersionReply::Decode(r).format + DeviceVersionReply::Decode(r).capability;
  sink = sink + PathCodeReply::Decode(r).byte4 + DescribeReport(r, 65).size();
  sink = sink + ResponseCodeFor(CodeOf(r)).value_or(0) + (IsValidStatusByte(r[3]) ? 1 : 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider in(data, size);
  static constexpr std::pair<DeviceKind, std::uint16_t> kKinds[] = {
      {DeviceKind::LensDock, kProductLensDock},
      {DeviceKind::MountConverter, kProductMountConverter},
      {DeviceKind::Flash, kProductFlash},
  };
  const auto [kind, productId] = kKinds[in.ConsumeIntegralInRange<std::size_t>(0, 2)];

  std::vector<Answer> answers;
  while (in.remaining_bytes() > 0) {
    Answer a;
    const std::uint8_t control = in.ConsumeIntegral<std::uint8_t>();
    if (control == 0xF0) a.length = 0;
    else if (control == 0xF1) a.length = -1;
    else if (control >= 0xF2) a.length = control - 0xF2;  // short reads
    const std::vector<std::uint8_t> bytes = in.ConsumeBytes<std::uint8_t>(kReportSize);
    std::copy(bytes.begin(), bytes.end(), a.report.begin());
    DecodeAll(a.report, control % 9);
    answers.push_back(a);
  }

  auto backend = std::make_shared<ReplayBackend>(productId, std::make_shared<ReplayConnection>(answers));
  DockDevice dock(backend);
  bool readOpened = false, writeOpened = false;
  if (!dock.FindDevice(productId, readOpened, writeOpened)) cbx::fuzz::Fail("replay device not found");
  dock.SetDeviceKind(kind);
  dock.SetReadTimeoutMs(0);
  dock.SetSectorTableGraceMs(0);
  dock.SetStillWorkingLimit(std::chrono::milliseconds(50));

  DeviceIdentity identity;
  (void)ReadIdentity(dock, identity);
  int pathClass = 0;
  std::string pathText;
  if (dock.ReadPathCode(pathClass, pathText) && (pathClass < 0 || pathClass > 3 || pathText.size() != 4)) {
    cbx::fuzz::Fail("path code " + pathText);
  }

  int status = 0;
  std::uint16_t w1 = 0, w2 = 0, w3 = 0;
  Unit unit{};
  (void)dock.IsNotBusy();
  (void)dock.ReadAck(cmd::kLensBlockAck, status, w1, w2);
  (void)dock.ReadSubPacketAck(cmd::kLensSubPacketAck, status, w1, w2, w3);
  (void)dock.ReadBlock(cmd::kAfReadUnitReply, w1, w2, unit, status);
  (void)dock.CommandAndWait(cmd::kAfReadStart, cmd::kAfReadStartReply, status);
  const std::uint32_t starts[] = {0x1000, 0x2000, 0x3000, 0x4000, 0x5000, 0x6000, 0x7000, 0x8000, 0x9000};
  const std::uint32_t lengths[] = {1, 2, 3, 4, 5, 6, 7, 8, 9};
  (void)dock.SendSectorTable(status, starts, lengths);
  return 0;
}
