// How identification answers become the texts the program stores, shows and puts into
// update-server paths.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace cbx::dock {

inline constexpr std::uint8_t kVersionFormatDotted = 0xAA;
inline constexpr int kMountCodeUnidentified = 255;

// Version text of four version bytes (B0 the low byte of `version`) and a format byte:
// 0xAA gives D1.D2D3.D4D5D6D7.D8, any other byte D1.D2.D3D4.D5D6D7D8.
std::string VersionText(std::uint32_t version, std::uint8_t formatByte);

// Mount texts; empty for codes that no device of that kind carries.
std::string LensMountText(int mountCode);
std::string ConverterMountText(int mountCode);

// The product text of a converter that reports "890", chosen by its mount code.
std::string ConverterProductText(int mountCode);

// " (1.4x)", " (2x)" or nothing, from a mount code carrying a teleconverter nibble.
std::string TeleconverterSuffix(int teleconverterCode);

// What the screens show of a device version: the first four characters for format 0xAA
// ("f.ff" for the unreadable version), nothing for other formats.
std::string DeviceVersionDisplay(std::string_view versionText, std::uint8_t formatByte);

// "%X" of a product code.
std::string ProductCodeText(std::uint16_t productCode);

// The serial number bytes in reading order; a NUL ends the text, other bytes are Latin-1.
std::string SerialNumberText(const char (&bytes)[8]);

}  // namespace cbx::dock
