// How the text values of product information files become numbers and lists. The rules are
// those of the C library conversions the files were written for, so a value that a server
// has always published keeps its meaning.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace cbx::update {

// Decimal: leading blanks, an optional sign, digits up to the first other character; no
// digits give 0. Values beyond the 32-bit range are clamped.
int AtoiLike(std::string_view text);

// Hexadecimal like the scanf conversion "%x": leading blanks, an optional sign, an optional
// "0x"/"0X", hex digits up to the first other character; no digits give 0. A value too
// large for 64 bits saturates, then only the low 32 bits are kept, as the conversion does.
std::uint32_t HexLike(std::string_view text);

// A real number with strtod rules and "." as the decimal point whatever the process locale
// says: leading blanks, an optional sign, decimal or "0x" hexadecimal forms, "inf", "nan";
// reading stops at the first character that does not fit; no number gives 0.
double StrtodLike(std::string_view text);

// The tokens of a ","-separated list, empty tokens left out and nothing trimmed.
std::vector<std::string_view> ListTokens(std::string_view text);

// A byte switch read as hexadecimal: 0xAA when the low 8 bits of the value are 0xAA, else 0.
std::uint8_t SwitchByte(std::string_view text);

// The MF reset step, a decimal value held within 1..15.
int ClampMFreset(std::string_view text);

}  // namespace cbx::update
