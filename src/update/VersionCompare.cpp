#include "update/VersionCompare.h"

#include <array>
#include <cstdio>
#include <string>

#include "update/ParseRules.h"

namespace cbx::update {

namespace {

// The first `N` "."-separated fields; the last one keeps any further dots, which the
// number rules then ignore.
template <std::size_t N>
std::array<std::string_view, N> SplitFields(std::string_view text) {
  std::array<std::string_view, N> fields{};
  for (std::size_t i = 0; i < N && !text.empty(); ++i) {
    const std::size_t dot = i + 1 < N ? text.find('.') : std::string_view::npos;
    fields[i] = text.substr(0, dot);
    text = dot == std::string_view::npos ? std::string_view{} : text.substr(dot + 1);
  }
  return fields;
}

template <std::size_t N>
std::array<long long, N> DecimalFields(std::string_view text) {
  std::array<long long, N> values{};
  const auto fields = SplitFields<N>(text);
  for (std::size_t i = 0; i < N; ++i) values[i] = AtoiLike(fields[i]);
  return values;
}

struct ExtendedVersion {
  long long major = 0, minor = 0;
  std::uint32_t build = 0, variant = 0;
};

ExtendedVersion ParseExtended(std::string_view text) {
  const auto fields = SplitFields<4>(text);
  return {AtoiLike(fields[0]), AtoiLike(fields[1]), HexLike(fields[2]), HexLike(fields[3])};
}

// The minor written with two digits, then only its first digit kept as tens.
long long TensOfMinor(long long minor) {
  char digits[32];
  std::snprintf(digits, sizeof digits, "%02lld", minor);
  if (digits[0] < '0' || digits[0] > '9') return minor;  // a negative minor stays as it is
  return (digits[0] - '0') * 10;
}

bool IsTl(int mountCode) { return mountCode == 0x90 || mountCode == 0x91 || mountCode == 0x92; }

bool IsForced(bool extendedFormat, int compareType, VersionFlags flags) {
  const bool either = flags.lensVersionUnreadable || flags.dockVersionUnreadable;
  if (extendedFormat) {
    switch (compareType) {
      case 0: case 3: case 5: case 7: return either;
      case 1: case 4: return flags.dockVersionUnreadable;
      default: return false;
    }
  }
  switch (compareType) {
    case 0: case 7: return either;
    case 1: return flags.dockVersionUnreadable;
    default: return false;
  }
}

}  // namespace

CompareResult IsNewerFirmware(std::string_view deviceVersion, std::string_view serverVersion,
                              bool extendedFormat, int compareType, int mountCode, VersionFlags flags) {
  if (IsForced(extendedFormat, compareType, flags)) return {true, true};

  if (extendedFormat) {
    const ExtendedVersion d = ParseExtended(deviceVersion);
    const ExtendedVersion s = ParseExtended(serverVersion);
    if (d.variant != s.variant) return {};
    if (d.major != s.major) return {d.major < s.major, true};
    if ((compareType == 0 || compareType == 7) && IsTl(mountCode))
      return {TensOfMinor(d.minor) < TensOfMinor(s.minor), true};
    return {d.minor < s.minor, true};
  }

  const auto d = DecimalFields<4>(deviceVersion);
  const auto s = DecimalFields<4>(serverVersion);
  switch (compareType) {
    case 0: case 5: case 7:
      if (d[0] != s[0] || d[1] != s[1]) return {};
      return {d[2] < s[2] || (d[2] == s[2] && d[3] < s[3]), true};
    case 1: case 4:
      if (d[0] != s[0] || d[1] != s[1] || d[2] != s[2]) return {};
      return {d[3] < s[3], true};
    default:
      return {};
  }
}

bool IsDockVersionSufficient(std::string_view dockVersion, std::string_view requiredVersion,
                             bool extendedFormat) {
  if (extendedFormat) {
    const ExtendedVersion d = ParseExtended(dockVersion);
    const ExtendedVersion r = ParseExtended(requiredVersion);
    return d.major > r.major || (d.major == r.major && d.minor >= r.minor);
  }
  return DecimalFields<4>(dockVersion) >= DecimalFields<4>(requiredVersion);
}

bool IsProgramVersionSufficient(std::string_view programVersion, std::string_view minimumVersion) {
  return DecimalFields<3>(programVersion) >= DecimalFields<3>(minimumVersion);
}

bool IsProgramOlder(std::string_view programVersion, std::string_view serverVersion) {
  return DecimalFields<3>(programVersion) < DecimalFields<3>(serverVersion);
}

}  // namespace cbx::update
