#include "sim/BackendFactory.h"

#include <cstdlib>
#include <stdexcept>
#include <vector>

#include "dock/HidapiBackend.h"
#include "dock/VhidBackend.h"
#include "sim/DeviceProfile.h"
#include "sim/SimBackend.h"
#include "sim/VirtualDevice.h"

namespace cbx::sim {

std::string SelectedBackendSpec(const std::string& commandLineValue) {
  if (!commandLineValue.empty()) return commandLineValue;
  const char* fromEnvironment = std::getenv(kDeviceVariable);
  if (fromEnvironment != nullptr && *fromEnvironment != '\0') return fromEnvironment;
  return "hid";
}

std::shared_ptr<dock::HidBackend> MakeBackend(const std::string& backend) {
  if (backend == "hid") return std::make_shared<dock::HidapiBackend>();
  if (backend.rfind("vhid:", 0) == 0) {
    return std::make_shared<dock::VhidBackend>(dock::ParseVhidEndpoints(backend.substr(5)));
  }
  if (backend.rfind("sim:", 0) == 0) {
    std::vector<std::shared_ptr<VirtualDevice>> devices;
    const std::string list = backend.substr(4);
    std::size_t start = 0;
    while (start <= list.size()) {
      const std::size_t comma = list.find(',', start);
      const std::string name = list.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
      if (name.empty()) throw std::invalid_argument("empty profile name in '" + backend + "'");
      devices.push_back(std::make_shared<VirtualDevice>(LoadProfile(name)));
      if (comma == std::string::npos) break;
      start = comma + 1;
    }
    return std::make_shared<SimBackend>(std::move(devices));
  }
  throw std::invalid_argument("unknown device backend '" + backend +
                              "' (use hid, sim:PROFILE or vhid:HOST:PORT)");
}

}  // namespace cbx::sim
