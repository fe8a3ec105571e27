#include "update/ParseRules.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <system_error>

#include "app/Configuration.h"

namespace cbx::update {

namespace {

bool IsBlank(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::size_t SkipBlanks(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && IsBlank(text[i])) ++i;
  return i;
}

bool HasHexPrefix(std::string_view text, std::size_t i) {
  return i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X');
}

}  // namespace

int AtoiLike(std::string_view text) { return TextToInt(text); }

std::uint32_t HexLike(std::string_view text) {
  std::size_t i = SkipBlanks(text);
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  if (HasHexPrefix(text, i)) i += 2;
  std::uint64_t value = 0;
  bool saturated = false;
  for (; i < text.size() && HexDigit(text[i]) >= 0; ++i) {
    if (value > (std::numeric_limits<std::uint64_t>::max() >> 4)) saturated = true;
    if (!saturated) value = (value << 4) | static_cast<std::uint64_t>(HexDigit(text[i]));
  }
  if (saturated) value = std::numeric_limits<std::uint64_t>::max();
  else if (negative) value = ~value + 1;
  return static_cast<std::uint32_t>(value & 0xFFFFFFFFu);
}

double StrtodLike(std::string_view text) {
  std::size_t i = SkipBlanks(text);
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  // A second sign is no number for strtod, while from_chars would take it.
  if (i < text.size() && text[i] == '-') return 0.0;
  const char* first = text.data() + i;
  const char* last = text.data() + text.size();
  auto format = std::chars_format::general;
  // "0x" counts as a prefix only when a hexadecimal mantissa follows; "0xg" reads as 0.
  if (HasHexPrefix(text, i) && i + 2 < text.size() &&
      (HexDigit(text[i + 2]) >= 0 || (text[i + 2] == '.' && i + 3 < text.size() && HexDigit(text[i + 3]) >= 0))) {
    first += 2;
    format = std::chars_format::hex;
  }
  double value = 0.0;
  const auto [end, error] = std::from_chars(first, last, value, format);
  if (error == std::errc::result_out_of_range) {
    // Too small rounds to zero, too large to infinity, as strtod does.
    bool negativeExponent = false;
    for (const char* p = first; p + 1 < end; ++p) {
      const bool exponentMark = format == std::chars_format::hex ? (*p == 'p' || *p == 'P')
                                                                  : (*p == 'e' || *p == 'E');
      if (exponentMark) negativeExponent = p[1] == '-';
    }
    value = negativeExponent ? 0.0 : HUGE_VAL;
  } else if (error != std::errc{}) {
    value = 0.0;
  }
  return negative ? -value : value;
}

std::vector<std::string_view> ListTokens(std::string_view text) {
  std::vector<std::string_view> tokens;
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t comma = text.find(',', start);
    if (comma == std::string_view::npos) comma = text.size();
    if (comma > start) tokens.push_back(text.substr(start, comma - start));
    start = comma + 1;
  }
  return tokens;
}

std::uint8_t SwitchByte(std::string_view text) {
  return (HexLike(text) & 0xFFu) == 0xAAu ? std::uint8_t{0xAA} : std::uint8_t{0};
}

int ClampMFreset(std::string_view text) {
  const int value = AtoiLike(text);
  if (value < 1) return 1;
  if (value > 15) return 15;
  return value;
}

}  // namespace cbx::update
