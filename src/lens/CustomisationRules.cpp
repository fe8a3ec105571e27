#include "lens/CustomisationRules.h"

#include <algorithm>

namespace cbx::lens {

CustomisationRights RightsOf(const update::CLensUpdateInfoData& lens) {
  CustomisationRights r;
  r.mfSensitivityMenu = lens.MFSensCtrl != 0;
  if (r.mfSensitivityMenu) {
    r.mfSensitivity = true;
    // This mount has no custom modes of its own whatever its information says.
    r.customModes = lens.CustomSW != 0 && lens.mountCode != 0xA0;
    r.resetAll = true;
  } else {
    r.afFineAdjustment = lens.FocusCtrl != 0;
    r.customModes = lens.CustomSW != 0;
    r.manualOverride = lens.MFCtrl != 0;
    r.afFunction = lens.AFFuncBCtrl != 0;
    r.resetAll = lens.FocusCtrl != 0 || lens.CustomSW != 0;
  }
  // ml-mount records carry no AF speed.
  r.afSpeed = r.customModes && lens.AFspeedCtrl != 0 && !IsMlMountCode(lens.mountCode);
  r.focusLimiter = r.customModes && lens.FocusLimitCtrl != 0;
  r.osMode = r.customModes && lens.OScontrol != 0;
  return r;
}

bool CustomisationAllowed(const update::CLensUpdateInfoData& lens, std::uint16_t writeCounter) {
  if (!IsMlMountCode(lens.mountCode)) return true;
  const std::uint16_t written = writeCounter != 0 ? static_cast<std::uint16_t>(~writeCounter) : 0;
  return lens.MFSensCtrl != 0 && written < static_cast<std::uint16_t>(lens.DataWriteNumLimit);
}

int ClampLimiterIndex(const LensSettingsModel& model, int index) {
  return std::clamp(index, 0, model.EncoderPositionCount());
}

int ClampMlLimiterPosition(const LensSettingsModel& model, int index) {
  return std::clamp(ClampLimiterIndex(model, index), 0, std::max(model.EncoderPositionCount() - 1, 0));
}

int ClampAfCell(std::int32_t value, std::int32_t base) {
  const std::int64_t v = value;
  return static_cast<int>(std::clamp<std::int64_t>(v, std::int64_t{base} + kAfValueMin, std::int64_t{base} + kAfValueMax));
}

bool EditAfCell(LensSettingsModel& model, std::span<AfGridState> grids, int grid, int cell, int value) {
  AfGridState& g = grids[static_cast<std::size_t>(grid)];
  const auto c = static_cast<std::size_t>(cell);
  g.value[c] = ClampAfCell(value, g.base[c]);
  return model.StoreGridValues(grids, grid);
}

bool LoadManualOverride(LensSettingsModel& model) {
  if (!model.LoadMfWord()) return false;
  model.SetMfLevel(MfLevel(model.mfWord));
  return true;
}

int AfGridCount(const update::CLensUpdateInfoData& lens) { return lens.ZoomLens != 0 ? kAfGridCount : 1; }

}  // namespace cbx::lens
