// What a lens lets its owner change, and the ranges every edit is clamped into. The
// customisation screens and `calibrix-cli settings set` both go through these, so a value
// typed on the command line lands in the lens exactly as the same edit on a screen would.
#pragma once

#include <cstdint>
#include <span>

#include "lens/LensSettingsModel.h"
#include "update/LensUpdateInfo.h"

namespace cbx::lens {

// Screen ids of the customisation screens.
enum CustomScreen : int {
  kScreenLensHome = 0,
  kScreenCustomMenu = 1,
  kScreenAfFocus = 2,
  kScreenSelectMode = 3,
  kScreenModeDetails = 4,
  kScreenAfSpeed = 5,
  kScreenFocusLimiter = 6,
  kScreenOs = 7,
  kScreenManual = 8,
  kScreenAfFunction = 11,
  kScreenMfSensitivityMenu = 12,
  kScreenMfSensitivity = 13,
};

// What each button of the two customisation menus and of the mode overview offers.
struct CustomisationRights {
  bool mfSensitivityMenu = false;  // the lens opens the MF-sensitivity menu instead
  bool afFineAdjustment = false;
  bool customModes = false;
  bool afSpeed = false;
  bool focusLimiter = false;
  bool osMode = false;
  bool manualOverride = false;
  bool afFunction = false;
  bool mfSensitivity = false;
  bool resetAll = false;
};

CustomisationRights RightsOf(const update::CLensUpdateInfoData& lens);

// The lens home's customisation entry beyond the session's permission: an ml-mount lens
// needs MF-sensitivity control and a write count below its limit (the lens refuses more).
bool CustomisationAllowed(const update::CLensUpdateInfoData& lens, std::uint16_t writeCounter);

// A limiter handle lands on one of the ticks 0..n.
int ClampLimiterIndex(const LensSettingsModel& model, int index);
// An ml-mount limiter position the lens reads back as valid: a handle index that is also a
// stored position, 0..n-1 (the slider's far end n would read back as out of range).
int ClampMlLimiterPosition(const LensSettingsModel& model, int index);
// A correction stays within 20 of the cell's base value.
int ClampAfCell(std::int32_t value, std::int32_t base = 0);

// One cell of an AF grid edited as the screen's slider and spin box do: the value clamped
// into its range, the grid's zone filled in afEditBuffer. Returns IsChangeAFData.
bool EditAfCell(LensSettingsModel& model, std::span<AfGridState> grids, int grid, int cell, int value);

// mfWord loaded as the manual-override screen starts: an unknown switch byte becomes off and
// the level byte becomes the level shown (erased -> 1, beyond 15 -> 15). False when the
// record cannot be read.
bool LoadManualOverride(LensSettingsModel& model);

// The grids of the connected lens: four for a zoom lens, one otherwise.
int AfGridCount(const update::CLensUpdateInfoData& lens);

}  // namespace cbx::lens
