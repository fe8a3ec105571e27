// Real USB HID devices through hidapi.
#pragma once

#include <functional>
#include <string>

#include "dock/HidBackend.h"

namespace cbx::dock {

// Tries to open a device node for reading and writing: 0 when it could, else the errno.
using NodeOpenProbe = std::function<int(const std::string& path)>;
int ProbeNodeOpen(const std::string& path);

// Whether an open that failed with this errno means "no permission" rather than "gone".
bool IsAccessError(int error);

class HidapiBackend : public HidBackend {
 public:
  // The probe tells why an interface that enumeration found could not be opened.
  explicit HidapiBackend(NodeOpenProbe probe = ProbeNodeOpen);
  ~HidapiBackend() override;
  std::optional<HidInterface> FindAndOpen(std::uint16_t vendorId, std::uint16_t productId) override;
  std::string Describe() const override { return "hid"; }

 private:
  NodeOpenProbe probe_;
};

}  // namespace cbx::dock
