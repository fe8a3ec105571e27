// The in-process "sim:" backend: virtual devices in this process, found by vendor and
// product like real HID interfaces.
#pragma once

#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "dock/HidBackend.h"
#include "sim/VirtualDevice.h"

namespace cbx::sim {

class SimBackend : public dock::HidBackend {
 public:
  SimBackend() = default;
  explicit SimBackend(std::vector<std::shared_ptr<VirtualDevice>> devices);

  void Add(std::shared_ptr<VirtualDevice> device);
  std::vector<std::shared_ptr<VirtualDevice>> Devices() const;

  // The first plugged device with this vendor and product, opened. A device that another
  // host holds open is still found, with a null connection, as a real busy interface is.
  std::optional<dock::HidInterface> FindAndOpen(std::uint16_t vendorId, std::uint16_t productId) override;
  // "sim:<id>[,<id>...]"
  std::string Describe() const override;

 private:
  mutable std::mutex mutex_;
  std::vector<std::shared_ptr<VirtualDevice>> devices_;
};

}  // namespace cbx::sim
