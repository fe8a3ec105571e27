// The program's own version text.
#pragma once

#include <string>
#include <string_view>

namespace cbx {

// Full form "2.0.0.0", or the short form cut before the last "." ("2.0.0").
std::string GetProgramVersion(bool shortForm);

// The short-form rule on any version text; a text without "." stays as it is.
std::string ShortVersion(std::string_view fullVersion);

}  // namespace cbx
