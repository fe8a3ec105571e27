// One virtual USB device (lens dock, mount converter or flash unit) with whatever is mounted
// on it. It can be plugged, unplugged, restarted and given faults at run time, from any
// thread; a host talks to it through the HidConnection that Open() returns.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "dock/HidBackend.h"
#include "dock/Protocol.h"
#include "sim/DeviceProfile.h"
#include "sim/DeviceResponder.h"

namespace cbx::sim {

enum class ReplyFault {
  None,
  Silent,     // the report is taken but never answered
  WrongCode,  // answers carry the status reply code 0x0102 (0x0202 for the status request)
};

struct Faults {
  ReplyFault reply = ReplyFault::None;
  std::optional<std::uint16_t> replyFaultCode;  // the reply fault hits this request code only
  std::optional<std::uint8_t> forcedStatus;     // 0x0101 answers this byte whatever is mounted
  // The device drops off the bus when the N-th report from now arrives (that report is not
  // answered), as if the cable were pulled in the middle of an exchange. 0 drops it at once.
  std::optional<std::size_t> disconnectAfter;
  // With a reply fault: it hits the N-th report from now only (1: the next one), whatever
  // its code, and is then spent.
  std::optional<std::size_t> replyFaultAfter;
  // Waited requests (start commands, sector-table chunks) are answered with this status
  // (0x00 or 0xCC) for as long as the host keeps reading, never with "done".
  std::optional<std::uint8_t> stillWorking;
  // One data-area unit request answered with another status.
  std::optional<UnitStatusFault> unitStatus;
  // One firmware data request (block, sub-packet or packet) answered with another status.
  std::optional<UnitStatusFault> firmwareStatus;
};

class VirtualDevice {
 public:
  using Trace = std::function<void(const std::string&)>;

  explicit VirtualDevice(DeviceProfile profile, bool plugged = true);
  // Unplugs: open connections fail and waiting reads return.
  ~VirtualDevice();
  VirtualDevice(const VirtualDevice&) = delete;
  VirtualDevice& operator=(const VirtualDevice&) = delete;

  // The host side. Null while unplugged or restarting, or while another host has it open:
  // one host at a time. The connection closes when the last reference goes.
  std::shared_ptr<dock::HidConnection> Open();

  // Hot plug. Unplugging makes every open connection fail; plugging ends a restart early.
  void Plug();
  void Unplug();
  void Mount(AttachedProfile attached);
  void Unmount();
  // Unplug, become the device of another profile, plug in again. Faults stay.
  void Swap(DeviceProfile profile);
  // What the end of a dock update does: drop the connection, stay away for the profile's
  // restart time, come back (with productIdAfterRestart when the profile has one).
  void Restart();

  bool IsPlugged() const;  // plugged in and not restarting
  bool IsOpen() const;
  // When a restart in progress ends; nothing when none is.
  std::optional<std::chrono::steady_clock::time_point> RestartDeadline() const;

  DeviceProfile Profile() const;
  std::string Id() const;
  std::uint16_t VendorId() const;
  std::uint16_t ProductId() const;  // may differ from the profile's after a restart
  std::size_t ReportLength() const;
  std::optional<AttachedProfile> Attached() const;

  void SetFaults(const Faults& faults);
  Faults GetFaults() const;

  // A device-initiated input report; false when no host has the device open.
  bool SendReport(const dock::Report& report);

  // What the host sent, for tests and support.
  SectorTableRecord SectorTable() const;
  std::vector<dock::Report> UnhandledReports() const;
  std::size_t ReportsReceived() const;
  // Copies of the mounted lens's data areas as they are now; empty when it has none. On a
  // standard lens the CS commands reach the AF area, so CsArea() is that area too.
  std::vector<std::uint8_t> AfArea() const;
  std::vector<std::uint8_t> CsArea() const;
  // What arrived of the last firmware update. A device told not to keep the data records
  // only counts and the checksum, for images too large to hold.
  FirmwareRecord Firmware() const;
  void SetKeepFirmwareData(bool keep);

  // How long each report from the host takes to arrive (a real USB full-speed HID report
  // needs at least a 1 ms frame); none by default.
  void SetLatency(std::chrono::microseconds perReport);

  // One line per exchange ("-> 0x0101 ...", "<- 0x0102 aa ...") and per event ("-- ...").
  // Called on the thread that caused the line; it must not call back into the device.
  void SetTrace(Trace trace);

  // Called (outside the device's lock, on the thread that caused it) after anything a link
  // serving this device must act on: plug state, a dropped connection, queued replies.
  int AddObserver(std::function<void()> onChange);
  void RemoveObserver(int id);

  struct State;  // shared with the connections, which may outlive the device

 private:
  std::shared_ptr<State> state_;
};

}  // namespace cbx::sim
