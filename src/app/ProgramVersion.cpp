#include "app/ProgramVersion.h"

#ifndef CALIBRIX_VERSION
#error "CALIBRIX_VERSION must be defined by the build"
#endif

namespace cbx {

std::string ShortVersion(std::string_view fullVersion) {
  const std::size_t dot = fullVersion.rfind('.');
  return std::string(dot == std::string_view::npos ? fullVersion : fullVersion.substr(0, dot));
}

std::string GetProgramVersion(bool shortForm) {
  const std::string full = CALIBRIX_VERSION;
  return shortForm ? ShortVersion(full) : full;
}

}  // namespace cbx
