#include "cli/DeviceCommands.h"

#include <cstdio>
#include <iostream>
#include <memory>
#include <nlohmann/json.hpp>

#include "cli/DeviceConnection.h"
#include "dock/DeviceIdentity.h"
#include "dock/DockDevice.h"
#include "sim/BackendFactory.h"

namespace cbx::cli {

namespace {

struct IdentifyArgs {
  bool json = false;
  double waitSeconds = 3;
};

std::string Hex(int value, int digits = 2) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "0x%0*X", digits, static_cast<unsigned>(value));
  return buffer;
}

nlohmann::ordered_json ToJson(const dock::DeviceIdentity& id) {
  nlohmann::ordered_json out;
  out["deviceKind"] = dock::DeviceKindName(id.deviceKind);
  out["productId"] = Hex(id.productId, 4);
  out["dockRawVersion"] = id.dockRawVersion;
  out["dockId"] = id.dockId;
  if (id.deviceKind == dock::DeviceKind::MountConverter) {
    out["converterMountCode"] = id.converterMountCode;
  } else {
    out["dockMountCode"] = id.dockMountCode;
  }
  out["dockFormatMarker"] = id.dockFormatMarker;
  out["dockCapability"] = id.dockCapability;
  out["dockDisplayVer"] = id.dockDisplayVer;
  out["status"] = id.status;
  if (id.attached) {
    const auto& a = *id.attached;
    out["serialNumber"] = a.serialNumber;
    out["productCodeText"] = a.productCodeText;
    out["mountCode"] = a.mountCode;
    out["mountText"] = a.mountText;
    out["rawVersion"] = a.rawVersion;
    out["formatMarker"] = a.formatMarker;
    out["throughConverter"] = a.throughConverter;
  }
  return out;
}

void PrintText(const dock::DeviceIdentity& id) {
  const int mountCode =
      id.deviceKind == dock::DeviceKind::MountConverter ? id.converterMountCode : id.dockMountCode;
  std::cout << "Device:     " << dock::DeviceKindName(id.deviceKind) << " (" << Hex(id.productId, 4) << ")\n"
            << "Firmware:   " << id.dockRawVersion << "\n"
            << "Mount:      " << id.dockId << " (" << Hex(mountCode) << ")\n"
            << "Capability: " << Hex(id.dockCapability) << "\n"
            << "Status:     " << Hex(id.status) << "\n";
  if (!id.attached) {
    std::cout << "Attached:   nothing\n";
    return;
  }
  const auto& a = *id.attached;
  std::cout << "Attached:   product " << a.productCodeText << ", mount " << a.mountText << " ("
            << Hex(a.mountCode) << ")" << (a.throughConverter ? ", through a mount converter" : "") << "\n"
            << "Serial:     " << a.serialNumber << "\n"
            << "Version:    " << a.rawVersion << "\n";
}

int RunIdentify(const CliContext& context, const IdentifyArgs& args) {
  dock::DockDevice dock(sim::MakeBackend(sim::SelectedBackendSpec(context.device)));
  const bool opened = WaitForDevice(dock, args.waitSeconds);
  if (!opened) return ReportNoDevice(dock, std::cerr);
  dock::DeviceIdentity identity;
  const dock::IdentifyResult result = dock::ReadIdentity(dock, identity);
  if (!result.ok) {
    std::cerr << "calibrix-cli: cannot read " << dock::IdentifyStepText(result.failedStep) << "\n";
    return 1;
  }
  if (args.json) {
    std::cout << ToJson(identity).dump(2) << "\n";
  } else {
    PrintText(identity);
  }
  return 0;
}

}  // namespace

void AddDeviceCommands(CLI::App& app, CliContext& context) {
  auto args = std::make_shared<IdentifyArgs>();
  auto* identify = app.add_subcommand("identify", "Find the USB device and identify it and what is mounted on it");
  identify->add_flag("--json", args->json, "Print JSON");
  identify->add_option("--wait", args->waitSeconds, "Seconds to wait for a device (default 3)")
      ->check(CLI::NonNegativeNumber);
  identify->callback([args, &context] { context.exitCode = RunIdentify(context, *args); });
}

}  // namespace cbx::cli
