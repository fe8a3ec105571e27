// Where reports go: real HID devices (hidapi), virtual devices in this process, or
// virtual devices behind the loopback link. DockDevice sees only this face.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace cbx::dock {

// One open HID interface. Reports include byte 0, the report number.
// Implementations must allow Read and Write from different threads and must make
// a pending Read return (as a failure) once the device is gone.
class HidConnection {
 public:
  virtual ~HidConnection() = default;
  // Bytes written, or -1 on failure.
  virtual int Write(const std::uint8_t* data, std::size_t length) = 0;
  // Waits up to timeoutMs for one input report: bytes read, 0 on time-out, -1 on failure.
  virtual int Read(std::uint8_t* data, std::size_t capacity, int timeoutMs) = 0;
};

// What enumeration found and opened.
struct HidInterface {
  std::string devicePath;
  std::uint16_t vendorId = 0;
  std::uint16_t productId = 0;
  std::size_t inputReportLength = 0;   // including the report number byte
  std::size_t outputReportLength = 0;
  std::shared_ptr<HidConnection> connection;  // null when the interface could not be opened
  // The interface is there but this user may not open it (no access to its device node).
  bool accessDenied = false;
};

class HidBackend {
 public:
  virtual ~HidBackend() = default;
  // The first present interface with this vendor and product, opened for reading and
  // writing; nothing when none is present.
  virtual std::optional<HidInterface> FindAndOpen(std::uint16_t vendorId, std::uint16_t productId) = 0;
  // Text for messages, such as "hid" or "vhid:127.0.0.1:5555".
  virtual std::string Describe() const = 0;
};

}  // namespace cbx::dock
