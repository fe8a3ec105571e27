#include "dock/HidapiBackend.h"

#include <fcntl.h>
#include <hidapi.h>
#include <unistd.h>

#include <cerrno>
#include <mutex>

#include "dock/Protocol.h"

namespace cbx::dock {

namespace {

std::mutex gInitMutex;
int gInitCount = 0;

// hidapi hands out the data bytes of report 0 without the report number; the
// connection puts it back so that every report is 65 bytes in both directions.
class HidapiConnection : public HidConnection {
 public:
  explicit HidapiConnection(hid_device* device) : device_(device) {}
  ~HidapiConnection() override { hid_close(device_); }
  HidapiConnection(const HidapiConnection&) = delete;
  HidapiConnection& operator=(const HidapiConnection&) = delete;

  int Write(const std::uint8_t* data, std::size_t length) override {
    return hid_write(device_, data, length);
  }

  int Read(std::uint8_t* data, std::size_t capacity, int timeoutMs) override {
    if (capacity < 2) return -1;
    const int n = hid_read_timeout(device_, data + 1, capacity - 1, timeoutMs);
    if (n <= 0) return n;
    data[0] = 0;
    return n + 1;
  }

 private:
  hid_device* device_;
};

}  // namespace

int ProbeNodeOpen(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
  if (fd < 0) return errno;
  ::close(fd);
  return 0;
}

bool IsAccessError(int error) { return error == EACCES || error == EPERM; }

HidapiBackend::HidapiBackend(NodeOpenProbe probe) : probe_(std::move(probe)) {
  std::lock_guard lock(gInitMutex);
  if (gInitCount++ == 0) hid_init();
}

HidapiBackend::~HidapiBackend() {
  std::lock_guard lock(gInitMutex);
  if (--gInitCount == 0) hid_exit();
}

std::optional<HidInterface> HidapiBackend::FindAndOpen(std::uint16_t vendorId, std::uint16_t productId) {
  hid_device_info* list = hid_enumerate(vendorId, productId);
  if (list == nullptr) return std::nullopt;
  HidInterface found;
  found.devicePath = list->path ? list->path : "";
  found.vendorId = list->vendor_id;
  found.productId = list->product_id;
  hid_free_enumeration(list);
  // hidapi has no query for report lengths: a transfer that does not move exactly one
  // 65-byte report fails instead, which is the ready test on real hardware.
  found.inputReportLength = kReportSize;
  found.outputReportLength = kReportSize;
  if (hid_device* device = hid_open_path(found.devicePath.c_str())) {
    found.connection = std::make_shared<HidapiConnection>(device);
  } else if (probe_ && !found.devicePath.empty()) {
    // Enumeration reads sysfs, which anyone may; only the node itself tells whether the
    // device is locked away from this user or simply went away in between.
    found.accessDenied = IsAccessError(probe_(found.devicePath));
  }
  return found;
}

}  // namespace cbx::dock
