// What a virtual lens answers to the data-area commands: a start command opens a read or a
// write of one area, then every unit request carries the area's unit count (word A) and the
// unit's number (word B). Anything out of that order is refused with status 0x00.
#include "sim/DataAreaHandlers.h"

#include <algorithm>

#include "sim/DeviceResponder.h"

namespace cbx::sim {

bool IsMlMount(std::uint8_t mountCode) { return mountCode == 0x60 || mountCode == 0x90 || mountCode == 0xA0; }

namespace {

bool IsCsCode(std::uint16_t code) { return (code >> 8) == 0x07; }

DataAreaExchange ExchangeOf(std::uint16_t startCode) {
  switch (startCode) {
    case dock::cmd::kAfReadStart: return DataAreaExchange::AfRead;
    case dock::cmd::kAfWriteStart: return DataAreaExchange::AfWrite;
    case dock::cmd::kCsReadStart: return DataAreaExchange::CsRead;
    case dock::cmd::kCsWriteStart: return DataAreaExchange::CsWrite;
    default: return DataAreaExchange::None;
  }
}

// The status the fault puts in place of `status`, counting this unit request.
std::uint8_t ApplyFault(DataAreaSession& session, std::uint8_t status) {
  if (!session.fault) return status;
  if (session.fault->unit > 1) {
    --session.fault->unit;
    return status;
  }
  const std::uint8_t forced = session.fault->status;
  session.fault.reset();
  return forced;
}

}  // namespace

// A standard lens answers the CS commands from its AF area, where its CS record lives.
std::vector<std::uint8_t>* DeviceResponder::DataArea(bool csCommands) {
  if (!attached_) return nullptr;
  std::vector<std::uint8_t>& area =
      csCommands && IsMlMount(attached_->mountCode) ? attached_->csArea : attached_->afArea;
  return area.empty() ? nullptr : &area;
}

void DeviceResponder::OnDataAreaStart(const dock::Report& request, Outcome& out) {
  const std::uint16_t code = dock::CodeOf(request);
  const std::uint16_t reply = *dock::ResponseCodeFor(code);
  // A lens without the area still answers the start; its unit requests are refused.
  dataSession_.exchange = DataArea(IsCsCode(code)) == nullptr ? DataAreaExchange::None : ExchangeOf(code);
  for (int i = 0; i < profile_.behaviour.workingReports; ++i) {
    out.replies.push_back(dock::StatusReply{reply, dock::kStatusNotFinished}.Encode());
  }
  out.replies.push_back(dock::StatusReply{reply, dock::kStatusDone}.Encode());
}

void DeviceResponder::OnDataAreaRead(const dock::Report& request, Outcome& out) {
  const dock::WordsRequest unit = dock::WordsRequest::Decode(request);
  const bool cs = IsCsCode(unit.code);
  std::vector<std::uint8_t>* area = DataArea(cs);
  dock::DataUnitReply reply{*dock::ResponseCodeFor(unit.code), unit.wordA, unit.wordB, {}, kUnitRefused};
  reply.data.fill(0xFF);
  const bool inSequence = dataSession_.exchange == (cs ? DataAreaExchange::CsRead : DataAreaExchange::AfRead);
  if (area != nullptr && inSequence && unit.wordA == area->size() / dock::kUnitSize && unit.wordB < unit.wordA) {
    std::copy_n(area->begin() + static_cast<std::ptrdiff_t>(unit.wordB * dock::kUnitSize), dock::kUnitSize,
                reply.data.begin());
    reply.status = dock::kStatusDone;
  }
  reply.status = ApplyFault(dataSession_, reply.status);
  out.replies.push_back(reply.Encode());
}

void DeviceResponder::OnDataAreaWrite(const dock::Report& request, Outcome& out) {
  const dock::BlockRequest unit = dock::BlockRequest::Decode(request);
  const bool cs = IsCsCode(unit.code);
  std::vector<std::uint8_t>* area = DataArea(cs);
  dock::AckReply reply{*dock::ResponseCodeFor(unit.code), unit.wordA, unit.wordB, kUnitRefused};
  const bool inSequence = dataSession_.exchange == (cs ? DataAreaExchange::CsWrite : DataAreaExchange::AfWrite);
  const bool fits =
      area != nullptr && inSequence && unit.wordA == area->size() / dock::kUnitSize && unit.wordB < unit.wordA;
  reply.status = ApplyFault(dataSession_, fits ? dock::kStatusDone : kUnitRefused);
  if (fits && (reply.status == dock::kStatusDone || reply.status == dock::kStatusAccepted)) {
    std::copy(unit.data.begin(), unit.data.end(),
              area->begin() + static_cast<std::ptrdiff_t>(unit.wordB * dock::kUnitSize));
  }
  out.replies.push_back(reply.Encode());
}

}  // namespace cbx::sim
