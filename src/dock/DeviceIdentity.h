// What the program knows of the USB device and of the device attached to it, read the
// way the device session reads it for each kind of device.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "dock/DockDevice.h"

namespace cbx::dock {

struct AttachedIdentity {
  bool throughConverter = false;  // read with the converter-aware reads
  std::string serialNumber;
  std::string productCodeText;
  int mountCode = -1;
  std::string mountText;
  std::string rawVersion;
  std::uint8_t formatMarker = 0;
};

struct DeviceIdentity {
  DeviceKind deviceKind = DeviceKind::NoDevice;
  std::uint16_t productId = 0;
  std::string dockRawVersion;
  std::uint32_t dockVersion = 0;  // 0xFFFF00: the device has no readable version
  std::string dockId;  // mount text of the USB device
  int dockMountCode = 0xFF;
  int converterMountCode = 0xFF;
  std::uint8_t dockFormatMarker = 0;
  std::uint8_t dockCapability = 0;
  std::string dockDisplayVer;
  int status = kStatusNoAnswer;
  std::optional<AttachedIdentity> attached;  // when the status says something is mounted
};

// Product codes that mean a mount converter sits on the lens dock.
bool IsConverterProductCode(std::uint16_t productCode);

enum class IdentifyStep { kDeviceVersion, kStatus, kSerialNumber, kProductCode, kFirmwareVersion };

struct IdentifyResult {
  bool ok = false;
  IdentifyStep failedStep = IdentifyStep::kDeviceVersion;
};

// Reads everything from an open device; the caller holds it exclusively.
IdentifyResult ReadIdentity(DockDevice& dock, DeviceIdentity& identity);

const char* DeviceKindName(DeviceKind kind);
const char* IdentifyStepText(IdentifyStep step);

}  // namespace cbx::dock
