#include "dock/DeviceIdentity.h"

#include "dock/IdentificationRules.h"

namespace cbx::dock {

bool IsConverterProductCode(std::uint16_t productCode) {
  return productCode == 0x825 || productCode == 0x826 || productCode == 0x890;
}

const char* DeviceKindName(DeviceKind kind) {
  switch (kind) {
    case DeviceKind::LensDock: return "LensDock";
    case DeviceKind::MountConverter: return "MountConverter";
    case DeviceKind::Flash: return "Flash";
    case DeviceKind::NoDevice: break;
  }
  return "NoDevice";
}

const char* IdentifyStepText(IdentifyStep step) {
  switch (step) {
    case IdentifyStep::kDeviceVersion: return "the device's firmware version";
    case IdentifyStep::kStatus: return "the device status";
    case IdentifyStep::kSerialNumber: return "the attached device's serial number";
    case IdentifyStep::kProductCode: return "the attached device's product and mount code";
    case IdentifyStep::kFirmwareVersion: return "the attached device's firmware version";
  }
  return "the device";
}

namespace {

// Whether a lens dock carries a mount converter: the product code of the attached device
// decides. A failed request means a plain lens.
bool ConverterOnDock(DockDevice& dock) {
  if (!dock.SendCommand(cmd::kProductCode)) return false;
  Report reply;
  if (!dock.ReadResponse(cmd::kProductCodeReply, reply)) return false;
  const std::uint16_t code = ProductCodeReply::Decode(reply).productCode;
  if (code == 0 || code == 0xFFFF) return false;
  dock.SetProductCode(code);
  return IsConverterProductCode(code);
}

}  // namespace

IdentifyResult ReadIdentity(DockDevice& dock, DeviceIdentity& identity) {
  identity.deviceKind = dock.deviceKind();
  if (const auto record = dock.Record()) identity.productId = record->attributes.productId;
  const bool converter = identity.deviceKind == DeviceKind::MountConverter;

  std::string mountText;
  int mountCode = 0xFF;
  std::uint32_t& version = identity.dockVersion;
  const bool versionOk =
      converter ? dock.ReadDeviceVersionOnConverter(identity.dockRawVersion, mountText, mountCode, version,
                                                    identity.dockFormatMarker, identity.dockCapability)
                : dock.ReadDeviceVersion(identity.dockRawVersion, mountText, mountCode, version,
                                         identity.dockFormatMarker, identity.dockCapability);
  if (!versionOk) return {false, IdentifyStep::kDeviceVersion};
  identity.dockId = mountText;
  (converter ? identity.converterMountCode : identity.dockMountCode) = mountCode;
  identity.dockDisplayVer = DeviceVersionDisplay(identity.dockRawVersion, identity.dockFormatMarker);

  if (!dock.RequestStatus(identity.status)) return {false, IdentifyStep::kStatus};
  if (identity.status != kStatusDone && identity.status != kStatusWorking) return {true, {}};

  AttachedIdentity attached;
  attached.throughConverter =
      converter || (identity.deviceKind == DeviceKind::LensDock && ConverterOnDock(dock));
  if (!dock.ReadSerialNumber(attached.serialNumber)) return {false, IdentifyStep::kSerialNumber};
  const bool productOk =
      attached.throughConverter
          ? dock.ReadProductCodeOnConverter(attached.productCodeText, attached.mountText, attached.mountCode)
          : dock.ReadProductCode(attached.productCodeText, attached.mountText, attached.mountCode);
  if (!productOk) return {false, IdentifyStep::kProductCode};
  // Plain lenses are read with mount code 255; behind a converter the mount decides.
  const int versionMount = attached.throughConverter ? attached.mountCode : kMountCodeUnidentified;
  if (!dock.ReadFirmwareVersion(attached.rawVersion, attached.formatMarker, versionMount)) {
    return {false, IdentifyStep::kFirmwareVersion};
  }
  identity.attached = std::move(attached);
  return {true, {}};
}

}  // namespace cbx::dock
