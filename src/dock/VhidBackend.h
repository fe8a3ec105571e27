// Virtual devices behind the loopback link: each endpoint is one possible HID interface.
#pragma once

#include <string>
#include <vector>

#include "dock/HidBackend.h"

namespace cbx::dock {

struct VhidEndpoint {
  std::string host;
  std::string port;
};

// Parses "HOST:PORT[,HOST:PORT...]" (IPv6 hosts in brackets); throws std::invalid_argument.
std::vector<VhidEndpoint> ParseVhidEndpoints(const std::string& list);

class VhidBackend : public HidBackend {
 public:
  explicit VhidBackend(std::vector<VhidEndpoint> endpoints);
  std::optional<HidInterface> FindAndOpen(std::uint16_t vendorId, std::uint16_t productId) override;
  std::string Describe() const override;

 private:
  std::vector<VhidEndpoint> endpoints_;
};

}  // namespace cbx::dock
