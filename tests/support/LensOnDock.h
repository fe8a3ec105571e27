// A virtual lens on the lens dock in this process, opened, with the lens's product
// information read for its mount: where the settings tests and sweeps start.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "dock/DockDevice.h"
#include "sim/DeviceProfile.h"
#include "sim/SimBackend.h"
#include "sim/VirtualDevice.h"
#include "update/ProductInfoReaders.h"

namespace cbx::test {

struct LensOnDock {
  std::shared_ptr<sim::VirtualDevice> device;
  std::unique_ptr<dock::DockDevice> dock;
  update::CLensUpdateInfoData info;
  bool found = false;  // the dock opened
  int valid = 0;       // the product information was read whole (1)
};

// `profile` names a file of demo/devices; `productFile` is the lens's .ini.
inline LensOnDock ConnectLensOnDock(const std::string& profile, const std::string& productFile, int readTimeoutMs) {
  LensOnDock lens;
  lens.device = std::make_shared<sim::VirtualDevice>(
      sim::LoadProfile(std::string(CALIBRIX_SOURCE_DIR) + "/demo/devices/" + profile + ".json"));
  lens.dock = std::make_unique<dock::DockDevice>(
      std::make_shared<sim::SimBackend>(std::vector<std::shared_ptr<sim::VirtualDevice>>{lens.device}));
  lens.dock->SetReadTimeoutMs(readTimeoutMs);
  bool r = false, w = false;
  lens.found = lens.dock->FindDevice(dock::kProductLensDock, r, w);
  if (!lens.found) return lens;
  lens.info.mountCode = lens.device->Attached()->mountCode;
  update::ReadLensConfig(lens.info, productFile, 0, false, lens.valid);
  return lens;
}

}  // namespace cbx::test
