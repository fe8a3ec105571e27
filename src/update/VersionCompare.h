// Comparisons of firmware and program version texts.
#pragma once

#include <string_view>

namespace cbx::update {

// Compare types: 0 lens, 1 lens dock or a flash unit's USB side, 3 mount adapter, 7 lens
// behind a converter; 4 and 5 follow 1 and 0.
struct CompareResult {
  bool newer = false;       // the server has newer firmware than the device
  bool comparable = false;  // the two versions belong to the same line
};

struct VersionFlags {
  bool lensVersionUnreadable = false;
  bool dockVersionUnreadable = false;
};

// Whether `serverVersion` is newer than `deviceVersion`. Versions are up to four "."-fields,
// missing ones 0: classic d0.d1.d2.d3 all decimal; extended major.minor decimal, build and
// variant hexadecimal. A device whose version could not be read is always offered the
// server's firmware, so the compare types that care report it as newer at once.
CompareResult IsNewerFirmware(std::string_view deviceVersion, std::string_view serverVersion,
                              bool extendedFormat, int compareType, int mountCode, VersionFlags flags);

// Whether the dock firmware is at least the version a device's firmware needs; an empty
// requirement is always met.
bool IsDockVersionSufficient(std::string_view dockVersion, std::string_view requiredVersion,
                             bool extendedFormat);

// Program versions are three decimal fields a.b.c.
bool IsProgramVersionSufficient(std::string_view programVersion, std::string_view minimumVersion);
bool IsProgramOlder(std::string_view programVersion, std::string_view serverVersion);

}  // namespace cbx::update
