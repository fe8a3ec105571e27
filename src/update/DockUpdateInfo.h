// What is known about the USB device itself (lens dock or a flash unit's USB side): its
// identification and what its server file says.
#pragma once

#include <cstdint>
#include <string>

#include "update/LensUpdateInfo.h"

namespace cbx::update {

struct DockUpdateInfo {
  // From identification.
  std::string dockRawVersion;
  std::string dockId;  // mount text; names the device's server folder
  std::uint8_t dockFormatMarker = 0;
  int dockVersionUnreadable = 0;
  // From the dock's server file.
  std::string dockMountName;
  std::string dockUpDate;
  std::string dockFwversion;
  std::string dockDisplayVer;
  int dockFwupOk = 0;
  std::string dockFirmupMinCBXVer;
  int dockProgramVersionOk = 0;
  BlockMap dockFwMap;
  std::string dockFwLocalPath;

  void Clear() { *this = DockUpdateInfo{}; }
  bool IsExtendedFormat() const { return dockFormatMarker == kExtendedFormatMarker; }
};

}  // namespace cbx::update
