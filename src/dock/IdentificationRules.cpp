#include "dock/IdentificationRules.h"

#include <cstdio>

namespace cbx::dock {

std::string VersionText(std::uint32_t version, std::uint8_t formatByte) {
  const unsigned b0 = version & 0xFF, b1 = (version >> 8) & 0xFF, b2 = (version >> 16) & 0xFF,
                 b3 = (version >> 24) & 0xFF;
  char buffer[32];
  if (formatByte == kVersionFormatDotted) {
    std::snprintf(buffer, sizeof buffer, "%02X%02X%02X%02X", b3, b2, b1, b0);
    std::string text = buffer;
    text.insert(7, ".");
    text.insert(3, ".");
    text.insert(1, ".");
    return text;
  }
  std::snprintf(buffer, sizeof buffer, "%02X.%02X.%02X%02X", b3, b2, b1, b0);
  std::string text = buffer;
  text.insert(1, ".");
  return text;
}

std::string LensMountText(int mountCode) {
  switch (mountCode) {
    case 0x10: case 0x11: case 0x12: return "KV";
    case 0x20: case 0x21: case 0x22: return "EO";
    case 0x30: case 0x31: case 0x32: return "NA";
    case 0x40: case 0x41: case 0x42: return "PA";
    case 0x50: case 0x51: case 0x52: return "SO";
    case 0x70: return "FT or mFT";
    case 0x90: return "TL";
    case 0xA0: return "EM";
    default: return {};
  }
}

std::string ConverterMountText(int mountCode) {
  switch (mountCode) {
    case 0x61: case 0x62: return "SE";
    case 0x71: return "mFT-KV";
    case 0x72: return "mFT-EO";
    case 0x90: case 0x91: case 0x92: return "TL";
    default: return {};
  }
}

std::string ConverterProductText(int mountCode) {
  switch (mountCode) {
    case 0x61: case 0x72: case 0x91: return "89S";
    case 0x62: case 0x71: case 0x92: return "89E";
    case 0x90: return "TL";
    default: return {};
  }
}

std::string TeleconverterSuffix(int teleconverterCode) {
  const int high = (teleconverterCode >> 4) & 0x0F;
  const int low = teleconverterCode & 0x0F;
  if (teleconverterCode < 0 || teleconverterCode > 0xFF || high < 1 || high > 5) return {};
  if (low == 1) return " (1.4x)";
  if (low == 2) return " (2x)";
  return {};
}

std::string DeviceVersionDisplay(std::string_view versionText, std::uint8_t formatByte) {
  if (formatByte != kVersionFormatDotted) return {};
  if (versionText == "0.0F.FFF0.0") return "f.ff";
  return std::string(versionText.substr(0, 4));
}

std::string ProductCodeText(std::uint16_t productCode) {
  char buffer[8];
  std::snprintf(buffer, sizeof buffer, "%X", static_cast<unsigned>(productCode));
  return buffer;
}

std::string SerialNumberText(const char (&bytes)[8]) {
  std::string text;
  for (char c : bytes) {
    if (c == '\0') break;
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x80) {
      text.push_back(c);
    } else {
      text.push_back(static_cast<char>(0xC0 | (byte >> 6)));
      text.push_back(static_cast<char>(0x80 | (byte & 0x3F)));
    }
  }
  return text;
}

}  // namespace cbx::dock
