// Real USB HID devices through hidapi.
#pragma once

#include "dock/HidBackend.h"

namespace cbx::dock {

class HidapiBackend : public HidBackend {
 public:
  HidapiBackend();
  ~HidapiBackend() override;
  std::optional<HidInterface> FindAndOpen(std::uint16_t vendorId, std::uint16_t productId) override;
  std::string Describe() const override { return "hid"; }
};

}  // namespace cbx::dock
