#include "sim/SimBackend.h"

#include <utility>

namespace cbx::sim {

SimBackend::SimBackend(std::vector<std::shared_ptr<VirtualDevice>> devices) : devices_(std::move(devices)) {}

void SimBackend::Add(std::shared_ptr<VirtualDevice> device) {
  std::lock_guard lock(mutex_);
  devices_.push_back(std::move(device));
}

std::vector<std::shared_ptr<VirtualDevice>> SimBackend::Devices() const {
  std::lock_guard lock(mutex_);
  return devices_;
}

std::optional<dock::HidInterface> SimBackend::FindAndOpen(std::uint16_t vendorId, std::uint16_t productId) {
  for (const auto& device : Devices()) {
    if (!device || device->VendorId() != vendorId || device->ProductId() != productId || !device->IsPlugged()) {
      continue;
    }
    dock::HidInterface found;
    found.devicePath = "sim:" + device->Id();
    found.vendorId = vendorId;
    found.productId = productId;
    found.inputReportLength = found.outputReportLength = device->ReportLength();
    found.connection = device->Open();
    return found;
  }
  return std::nullopt;
}

std::string SimBackend::Describe() const {
  std::string text = "sim:";
  bool first = true;
  for (const auto& device : Devices()) {
    if (!device) continue;
    if (!first) text += ",";
    text += device->Id();
    first = false;
  }
  return text;
}

}  // namespace cbx::sim
