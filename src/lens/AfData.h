// The AF fine-adjustment table: its byte codec, the half-scale copy, the teleconverter sets
// and the state of one editing grid. The table operations themselves live on
// LensSettingsModel (they work on its AF image and buffers) and are implemented in AfData.cpp.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace cbx::lens {

inline constexpr std::size_t kAfTableSize = 512;  // 16 rows of 32 bytes
inline constexpr int kAfTableRows = 16;
inline constexpr int kAfTableColumns = 32;
inline constexpr int kAfSetCount = 3;
inline constexpr int kAfValueMin = -20;
inline constexpr int kAfValueMax = 20;
inline constexpr int kAfGridCount = 4;
inline constexpr int kAfGridCells = 4;
inline constexpr std::int32_t kAfCellNotLoaded = 0x7FFFFFFF;

using AfTable = std::array<std::uint8_t, kAfTableSize>;

// Stored bytes are the bitwise NOT of the correction, so an erased byte (0xFF) is 0.
// Only 0xEB..0xFF give 0..+20; every other byte decodes as NOT b - 256.
int DecodeAfValue(std::uint8_t stored);
std::uint8_t EncodeAfValue(int value);

// Half-scale copy of one stored byte: half the value (toward zero), sign-magnitude, inverted.
std::uint8_t HalfScaleByte(std::uint8_t stored);
AfTable HalfScaleTable(const AfTable& table);

// The set a mount code selects: 0 lens alone, 1 behind 1.4x, 2 behind 2x; none otherwise.
std::optional<int> AfSetForMountCode(int mountCode);

// Which places ComposeAfTables writes.
enum class AfScope {
  kCurrent,  // the current set's table and half-scale lists
  kAll,      // all three sets' table and half-scale lists, with the same source
};

// StoreGridValues: every grid, or only the one with this index.
inline constexpr int kAllGrids = -1;

// The model side of one editing grid: four cells, each standing for a zone of the table.
// Cell c (0 = leftmost) edits column zone 3 - c.
struct AfGridState {
  std::string label;  // the grid's focal length
  std::array<std::int32_t, kAfGridCells> value{kAfCellNotLoaded, kAfCellNotLoaded, kAfCellNotLoaded,
                                               kAfCellNotLoaded};
  std::array<std::int32_t, kAfGridCells> base{};
  int selectedCell = -1;
};

}  // namespace cbx::lens
