#include "update/DockHistory.h"

#include <algorithm>

#include "update/LensUpdateInfo.h"

namespace cbx::update {

void DockHistory::UpdateDockHistory(const std::string& versionText, const std::string& mountText,
                                    const std::string& mountName, const std::string& displayVersion) {
  _DOCK_INFO_DATA record;
  record.mountText = mountText;
  record.mountName = mountName;
  record.versionText = versionText;
  record.displayVersion = displayVersion;
  std::lock_guard lock(mutex_);
  const auto it = std::find_if(records_.begin(), records_.end(),
                               [&](const _DOCK_INFO_DATA& r) { return r.mountName == mountName; });
  if (it != records_.end()) *it = record;
  else records_.push_back(record);
}

bool DockHistory::LookupDockHistory(const std::string& versionText, const std::string& mountText,
                                    std::uint8_t dockFormatMarker,
                                    const std::string& dockDeviceVersionDisplay,
                                    std::string& displayVersion, std::string& mountName) const {
  std::lock_guard lock(mutex_);
  const auto it = std::find_if(records_.begin(), records_.end(), [&](const _DOCK_INFO_DATA& r) {
    return r.versionText == versionText && r.mountText == mountText;
  });
  if (it == records_.end()) return false;
  mountName = it->mountName;
  displayVersion =
      dockFormatMarker == kExtendedFormatMarker ? dockDeviceVersionDisplay : it->displayVersion;
  if (displayVersion == "f.ff") displayVersion.clear();
  return true;
}

void DockHistory::Add(const _DOCK_INFO_DATA& record) {
  std::lock_guard lock(mutex_);
  records_.push_back(record);
}

void DockHistory::Clear() {
  std::lock_guard lock(mutex_);
  records_.clear();
}

std::vector<_DOCK_INFO_DATA> DockHistory::Records() const {
  std::lock_guard lock(mutex_);
  return records_;
}

}  // namespace cbx::update
