// Identification reads of the USB device and the device attached to it.
#include <algorithm>
#include <cstdio>

#include "dock/DockDevice.h"
#include "dock/IdentificationRules.h"

namespace cbx::dock {

namespace {

bool IsMlConverterMount(int mountCode) {
  return mountCode == 0x60 || mountCode == 0x90 || mountCode == 0x91 || mountCode == 0x92;
}

}  // namespace

bool DockDevice::ReadProductCodeWith(bool converterTable, std::string& productCodeText,
                                     std::string& mountText, int& mountCode) {
  Report reply;
  if (!Exchange(cmd::kProductCode, cmd::kProductCodeReply, reply)) return false;
  const ProductCodeReply answer = ProductCodeReply::Decode(reply);
  productCodeText = ProductCodeText(answer.productCode);
  mountCode = answer.mountCode;
  mountText = converterTable ? ConverterMountText(mountCode) : LensMountText(mountCode);
  if (mountText.empty()) {
    mountCode = kMountCodeUnidentified;
    return false;
  }
  if (converterTable && productCodeText == "890") productCodeText = ConverterProductText(mountCode);
  return true;
}

bool DockDevice::ReadProductCode(std::string& productCodeText, std::string& mountText, int& mountCode) {
  return ReadProductCodeWith(false, productCodeText, mountText, mountCode);
}

bool DockDevice::ReadProductCodeOnConverter(std::string& productCodeText, std::string& mountText,
                                            int& mountCode) {
  return ReadProductCodeWith(true, productCodeText, mountText, mountCode);
}

bool DockDevice::ReadSerialNumber(std::string& serialNumber) {
  Report reply;
  if (!Exchange(cmd::kSerialNumber, cmd::kSerialNumberReply, reply)) return false;
  const SerialNumberReply answer = SerialNumberReply::Decode(reply);
  char bytes[8];
  std::copy(answer.text.begin(), answer.text.end(), bytes);
  serialNumber = SerialNumberText(bytes);
  return true;
}

bool DockDevice::ReadFirmwareVersion(std::string& versionText, std::uint8_t& formatByte, int mountCode) {
  // A converter reports the version of a lens on a non-ml mount as its own.
  const bool fromConverter = deviceKind() == DeviceKind::MountConverter && !IsMlConverterMount(mountCode);
  if (fromConverter) {
    Report reply;
    if (!Exchange(cmd::kDeviceVersion, cmd::kDeviceVersionReply, reply)) return false;
    const DeviceVersionReply answer = DeviceVersionReply::Decode(reply);
    formatByte = answer.format;
    versionText = VersionText(answer.version, answer.format);
    return true;
  }
  Report reply;
  if (!Exchange(cmd::kFirmwareVersion, cmd::kFirmwareVersionReply, reply)) return false;
  const FirmwareVersionReply answer = FirmwareVersionReply::Decode(reply);
  formatByte = answer.format;
  versionText = VersionText(answer.version, answer.format);
  return true;
}

bool DockDevice::ReadDeviceVersionWith(bool converterTable, std::string& versionText,
                                       std::string& mountText, int& mountCode, std::uint32_t& version,
                                       std::uint8_t& formatByte, std::uint8_t& capability) {
  Report reply;
  if (!Exchange(cmd::kDeviceVersion, cmd::kDeviceVersionReply, reply)) return false;
  const DeviceVersionReply answer = DeviceVersionReply::Decode(reply);
  version = answer.version;
  formatByte = answer.format;
  versionText = VersionText(answer.version, answer.format);
  mountCode = answer.mountCode;
  mountText = converterTable ? ConverterMountText(mountCode) : LensMountText(mountCode);
  if (mountText.empty()) {
    mountCode = kMountCodeUnidentified;
    return false;
  }
  capability = answer.capability;
  return true;
}

bool DockDevice::ReadDeviceVersion(std::string& versionText, std::string& mountText, int& mountCode,
                                   std::uint32_t& version, std::uint8_t& formatByte,
                                   std::uint8_t& capability) {
  return ReadDeviceVersionWith(false, versionText, mountText, mountCode, version, formatByte, capability);
}

bool DockDevice::ReadDeviceVersionOnConverter(std::string& versionText, std::string& mountText,
                                              int& mountCode, std::uint32_t& version,
                                              std::uint8_t& formatByte, std::uint8_t& capability) {
  return ReadDeviceVersionWith(true, versionText, mountText, mountCode, version, formatByte, capability);
}

bool DockDevice::ReadPathCode(int& pathClass, std::string& text) {
  Report reply;
  if (!Exchange(cmd::kPathCode, cmd::kPathCodeReply, reply)) return false;
  const PathCodeReply answer = PathCodeReply::Decode(reply);
  pathClass = (answer.byte3 >= 1 && answer.byte3 <= 3) ? answer.byte3 : 0;
  char buffer[8];
  std::snprintf(buffer, sizeof buffer, "%02X%02X", static_cast<unsigned>(answer.byte3),
                static_cast<unsigned>(answer.byte4));
  text = buffer;
  return true;
}

}  // namespace cbx::dock
