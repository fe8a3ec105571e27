// Deployment constants of the dock link.
#pragma once

#include <cstdint>

namespace cbx::dock {

// USB vendor of the dock, the mount converter and the flash unit. Builds for other
// hardware set CALIBRIX_DOCK_VENDOR_ID at configure time; tests and support may override
// it at run time with the CALIBRIX_VENDOR_ID variable (decimal or 0x-hex).
#ifndef CALIBRIX_DOCK_VENDOR_ID
#define CALIBRIX_DOCK_VENDOR_ID 0x2C2C
#endif
inline constexpr std::uint16_t DOCK_VENDOR_ID = CALIBRIX_DOCK_VENDOR_ID;

// The vendor in force: CALIBRIX_VENDOR_ID when set and valid, DOCK_VENDOR_ID otherwise.
std::uint16_t DockVendorId();

inline constexpr std::uint16_t kProductLensDock = 0x8781;
inline constexpr std::uint16_t kProductMountConverter = 0x8901;
inline constexpr std::uint16_t kProductFlash = 0x8011;

enum class DeviceKind : int { NoDevice = -1, LensDock = 0, MountConverter = 1, Flash = 2 };

}  // namespace cbx::dock
