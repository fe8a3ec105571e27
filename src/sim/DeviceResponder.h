// What a virtual dock, mount converter or flash unit answers to each host report. Knows
// nothing about USB plumbing (plugging, connections, faults): VirtualDevice owns one and
// serialises every call to it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <unordered_map>
#include <vector>

#include "dock/Protocol.h"
#include "sim/DataAreaHandlers.h"
#include "sim/DeviceProfile.h"
#include "sim/FirmwareHandlers.h"

namespace cbx::sim {

// The sector table the host sent with 0x0511, as far as it has arrived.
struct SectorTableRecord {
  std::uint8_t totalEntries = 0;
  std::size_t chunksExpected = 0;  // total / 7 + 1, as the host sends it
  std::size_t chunksReceived = 0;
  std::vector<dock::SectorEntry> entries;
  bool Complete() const { return chunksExpected != 0 && chunksReceived == chunksExpected; }
};

class DeviceResponder {
 public:
  struct Outcome {
    std::vector<dock::Report> replies;
    bool handled = true;   // false: no handler for the code; the report was recorded
    bool restart = false;  // the device restarts after this report
  };

  explicit DeviceResponder(DeviceProfile profile);

  Outcome Handle(const dock::Report& request);

  const DeviceProfile& Profile() const { return profile_; }
  const std::optional<AttachedProfile>& Attached() const { return attached_; }
  void SetAttached(std::optional<AttachedProfile> attached) {
    attached_ = std::move(attached);
    dataSession_.exchange = DataAreaExchange::None;
  }
  // Overrides the 0x0101 answer; nothing goes back to the mounted device's own status.
  void SetForcedStatus(std::optional<std::uint8_t> status) { forcedStatus_ = status; }
  std::uint8_t CurrentStatus() const;

  const SectorTableRecord& SectorTable() const { return sectorTable_; }
  const std::vector<dock::Report>& UnhandledReports() const { return unhandled_; }
  const FirmwareRecord& Firmware() const { return firmware_.record; }
  void SetFirmwareStatusFault(std::optional<UnitStatusFault> fault) { firmware_.fault = fault; }
  void SetKeepFirmwareData(bool keep) { firmware_.keepData = keep; }
  void SetUnitStatusFault(std::optional<UnitStatusFault> fault) { dataSession_.fault = fault; }

 private:
  using Handler = void (DeviceResponder::*)(const dock::Report&, Outcome&);
  // Request code -> handler. Commands that are not here get no answer.
  static const std::unordered_map<std::uint16_t, Handler>& Handlers();

  void OnStatus(const dock::Report& request, Outcome& out);
  void OnProductCode(const dock::Report& request, Outcome& out);
  void OnSerialNumber(const dock::Report& request, Outcome& out);
  void OnFirmwareVersion(const dock::Report& request, Outcome& out);
  void OnDeviceVersion(const dock::Report& request, Outcome& out);
  void OnPathCode(const dock::Report& request, Outcome& out);
  void OnWaitedStart(const dock::Report& request, Outcome& out);
  void OnSectorTable(const dock::Report& request, Outcome& out);
  void OnDockUpdateEnd(const dock::Report& request, Outcome& out);
  // Firmware updates (FirmwareHandlers.cpp).
  void OnFirmwareStart(const dock::Report& request, Outcome& out);
  void OnFirmwareBlock(const dock::Report& request, Outcome& out);
  void OnFirmwareSubPacket(const dock::Report& request, Outcome& out);
  void OnFirmwarePacket(const dock::Report& request, Outcome& out);
  void OnFirmwareEnd(const dock::Report& request, Outcome& out);
  std::uint8_t FirmwareStatus(std::uint8_t status);
  void FirmwareUnitDone();
  // Data areas (DataAreaHandlers.cpp).
  void OnDataAreaStart(const dock::Report& request, Outcome& out);
  void OnDataAreaRead(const dock::Report& request, Outcome& out);
  void OnDataAreaWrite(const dock::Report& request, Outcome& out);
  std::vector<std::uint8_t>* DataArea(bool csCommands);

  DeviceProfile profile_;
  std::optional<AttachedProfile> attached_;
  std::optional<std::uint8_t> forcedStatus_;
  SectorTableRecord sectorTable_;
  DataAreaSession dataSession_;
  FirmwareSession firmware_;
  std::vector<dock::Report> unhandled_;
};

}  // namespace cbx::sim
