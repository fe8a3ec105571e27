#include "lens/AfData.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "app/Log.h"
#include "lens/LensSettingsModel.h"
#include "lens/SettingsErrors.h"

namespace cbx::lens {

namespace {

constexpr int kFnUpdateAFGridValue = 52;
constexpr int kFnIsChangeAFData = 53;

std::uint8_t Not8(unsigned value) { return static_cast<std::uint8_t>(~value & 0xFFu); }

// One place of a table in a block: where it goes and whether it takes the half-scale form.
struct AfPlace {
  std::uint32_t offset = 0;
  bool halfScale = false;
  const AfTable* source = nullptr;
};

void CollectPlaces(const update::OffsetList& list, int blockIndex, bool halfScale, const AfTable& source,
                   std::vector<AfPlace>& places) {
  const std::size_t entries = std::min(list.index.size(), list.offset.size());
  for (std::size_t j = 0; j < entries; ++j) {
    if (list.index[j] == blockIndex) places.push_back({list.offset[j], halfScale, &source});
  }
}

// Every place must fit before any is written, so a refused block stays as it was.
bool WritePlaces(const std::vector<AfPlace>& places, std::span<std::uint8_t> block) {
  for (const auto& place : places) {
    if (place.offset > block.size() || block.size() - place.offset < kAfTableSize) return false;
  }
  for (const auto& place : places) {
    const AfTable bytes = place.halfScale ? HalfScaleTable(*place.source) : *place.source;
    std::copy(bytes.begin(), bytes.end(), block.begin() + static_cast<std::ptrdiff_t>(place.offset));
  }
  return true;
}

const update::OffsetList& TableList(const update::CLensUpdateInfoData& lens, int set) {
  switch (set) {
    case 1: return lens.af1List;
    case 2: return lens.af2List;
    default: return lens.af0List;
  }
}

const update::OffsetList& HalfScaleList(const update::CLensUpdateInfoData& lens, int set) {
  switch (set) {
    case 1: return lens.afpa1List;
    case 2: return lens.afpa2List;
    default: return lens.afpa0List;
  }
}

// Start of a zone given the sizes of the zones before it; nullopt when a size is missing.
std::optional<int> ZoneStart(const std::vector<int>& sizes, int zone) {
  if (zone < 0 || static_cast<std::size_t>(zone) > sizes.size()) return std::nullopt;
  int start = 0;
  for (int i = 0; i < zone; ++i) start += sizes[static_cast<std::size_t>(i)];
  return start;
}

}  // namespace

// ---- codec ----

int DecodeAfValue(std::uint8_t stored) {
  const int w = Not8(stored);
  return w <= kAfValueMax ? w : w - 256;
}

std::uint8_t EncodeAfValue(int value) { return Not8(static_cast<unsigned>(value)); }

std::uint8_t HalfScaleByte(std::uint8_t stored) {
  const int value = DecodeAfValue(stored);
  const auto magnitude = static_cast<unsigned>(std::abs(value / 2));
  return Not8(value >= 0 ? magnitude : (magnitude | 0x80u));
}

AfTable HalfScaleTable(const AfTable& table) {
  AfTable out;
  std::transform(table.begin(), table.end(), out.begin(), HalfScaleByte);
  return out;
}

std::optional<int> AfSetForMountCode(int mountCode) {
  if (mountCode < 0 || mountCode > 0xFF) return std::nullopt;
  const int maker = mountCode >> 4;
  const int set = mountCode & 0x0F;
  if (set == 0 && maker >= 1 && maker <= 7) return 0;
  if ((set == 1 || set == 2) && maker >= 1 && maker <= 5) return set;
  return std::nullopt;
}

// ---- tables in the AF image ----

bool LensSettingsModel::ReadTableFromLists(const update::OffsetList& list, AfTable& out) const {
  if (AfImage.empty()) return false;
  const std::size_t entries = std::min(list.index.size(), list.offset.size());
  for (std::size_t j = 0; j < entries; ++j) {
    if (list.index[j] != 0) continue;
    const Block& block = AfImage.front();
    const std::uint32_t offset = list.offset[j];
    if (offset > block.size() || block.size() - offset < kAfTableSize) return false;
    std::copy_n(block.begin() + static_cast<std::ptrdiff_t>(offset), kAfTableSize, out.begin());
    return true;
  }
  throw LensModelArgumentError("no AF table place in block 0");
}

bool LensSettingsModel::ReadAfTable(AfTable& out) const {
  const auto set = CurrentAfSet();
  if (!set) {
    if (AfImage.empty()) return false;
    throw LensModelArgumentError("the mount code selects no AF set");
  }
  return ReadTableFromLists(TableList(lens_, *set), out);
}

bool LensSettingsModel::ReadAfTableOfSet(int set, AfTable& out) const {
  if (set < 0 || set >= kAfSetCount) throw LensModelArgumentError("AF set out of range");
  return ReadTableFromLists(TableList(lens_, set), out);
}

bool LensSettingsModel::ComposeAfTables(int blockIndex, std::span<std::uint8_t> block, AfScope scope) const {
  std::vector<AfPlace> places;
  if (scope == AfScope::kAll) {
    for (int set = 0; set < kAfSetCount; ++set) CollectPlaces(TableList(lens_, set), blockIndex, false, afEditBuffer, places);
    for (int set = 0; set < kAfSetCount; ++set) CollectPlaces(HalfScaleList(lens_, set), blockIndex, true, afEditBuffer, places);
  } else if (const auto set = CurrentAfSet()) {
    CollectPlaces(TableList(lens_, *set), blockIndex, false, afEditBuffer, places);
    CollectPlaces(HalfScaleList(lens_, *set), blockIndex, true, afEditBuffer, places);
  }
  return WritePlaces(places, block);
}

bool LensSettingsModel::ComposeSavedAfTables(int blockIndex, std::span<std::uint8_t> block) const {
  std::vector<AfPlace> places;
  for (int set = 0; set < kAfSetCount; ++set) {
    const AfTable& source = afSetBuffers[static_cast<std::size_t>(set)];
    CollectPlaces(TableList(lens_, set), blockIndex, false, source, places);
    CollectPlaces(HalfScaleList(lens_, set), blockIndex, true, source, places);
  }
  return WritePlaces(places, block);
}

bool LensSettingsModel::IsChangeAFData() const {
  AfTable lensTable = FilledTable(0);
  if (!ReadAfTable(lensTable)) ReportError(kFnIsChangeAFData, kErrAfData);
  return lensTable != afEditBuffer;
}

// ---- grids ----

void LensSettingsModel::UpdateAFGridValue(std::span<AfGridState> grids) const {
  AfTable work = FilledTable(0);
  if (!ReadAfTable(work)) ReportError(kFnUpdateAFGridValue, kErrAfData);

  for (std::size_t k = 0; k < grids.size() && k < static_cast<std::size_t>(kAfGridCount); ++k) {
    if (k < lens_.focalLengths.size()) grids[k].label = lens_.focalLengths[k];
  }

  // A grid shows the first row of its band; a cell shows the first byte of its zone.
  auto load = [&](AfGridState& grid, int row) {
    if (row < 0 || row >= kAfTableRows) return;
    for (int zone = 0; zone < kAfGridCells; ++zone) {
      const auto column = ZoneStart(lens_.scaleRatios, zone);
      if (!column || *column < 0 || *column >= kAfTableColumns) continue;
      const auto at = static_cast<std::size_t>(row * kAfTableColumns + *column);
      grid.value[static_cast<std::size_t>(kAfGridCells - 1 - zone)] = DecodeAfValue(work[at]);
    }
  };

  if (!grids.empty()) load(grids[0], 0);
  if (lens_.ZoomLens != 0) {
    const std::size_t bands = lens_.zoomRatios.size();
    for (int k = 1; k < kAfGridCount && static_cast<std::size_t>(k) < grids.size(); ++k) {
      const bool loaded = k < 3 ? bands >= 2 : bands >= 3;
      if (!loaded) continue;
      if (const auto row = ZoneStart(lens_.zoomRatios, k)) load(grids[static_cast<std::size_t>(k)], *row);
    }
  }
  for (auto& grid : grids) grid.selectedCell = -1;
}

bool LensSettingsModel::StoreGridValues(std::span<const AfGridState> grids, int which) {
  const bool zoom = lens_.ZoomLens != 0;
  const int gridCount = std::min(zoom ? kAfGridCount : 1, static_cast<int>(grids.size()));
  AfTable table = afEditBuffer;

  auto store = [&](int g) {
    int firstRow = 0;
    int rows = kAfTableRows;
    if (zoom) {
      if (lens_.zoomRatios.size() < static_cast<std::size_t>(g) + 1) {
        throw LensModelArgumentError("too few zoom ratios for the AF grid");
      }
      firstRow = *ZoneStart(lens_.zoomRatios, g);
      rows = lens_.zoomRatios[static_cast<std::size_t>(g)];
    }
    const AfGridState& grid = grids[static_cast<std::size_t>(g)];
    for (int zone = 0; zone < kAfGridCells; ++zone) {
      const auto start = ZoneStart(lens_.scaleRatios, zone);
      if (!start || static_cast<std::size_t>(zone) >= lens_.scaleRatios.size()) continue;
      const int width = lens_.scaleRatios[static_cast<std::size_t>(zone)];
      const std::uint8_t stored = EncodeAfValue(grid.value[static_cast<std::size_t>(kAfGridCells - 1 - zone)]);
      // Bands and zones that reach past the table are cut at its edge.
      for (int r = std::max(firstRow, 0); r < std::min(firstRow + rows, kAfTableRows); ++r) {
        for (int c = std::max(*start, 0); c < std::min(*start + width, kAfTableColumns); ++c) {
          table[static_cast<std::size_t>(r * kAfTableColumns + c)] = stored;
        }
      }
    }
  };

  if (which == kAllGrids) {
    for (int g = 0; g < gridCount; ++g) store(g);
  } else if (which >= 0 && which < gridCount) {
    store(which);
  }
  afEditBuffer = table;
  return IsChangeAFData();
}

bool LensSettingsModel::ClearAfAdjustment(std::span<AfGridState> grids) {
  for (auto& grid : grids) grid.value.fill(0);
  return StoreGridValues(grids, kAllGrids);
}

}  // namespace cbx::lens
