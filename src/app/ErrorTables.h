// The numbered error reports: function names, error texts and the report text.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace cbx {

// Name of a reporting operation; empty for numbers not in the table.
std::string_view FunctionName(int functionNumber);

// Text of an error number; empty for numbers not in the table.
std::string_view ErrorText(int errorNumber);

// "Func::<name>\nErrNo.<function*100+error>::<text>", with :"<detail>" added when the
// detail is not empty. Errors 26 and 27 carry the command code as ":%4x".
std::string BuildErrorReport(int functionNumber, int errorNumber, std::uint16_t commandCode,
                             std::string_view detail);

}  // namespace cbx
