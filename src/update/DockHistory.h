// The dock history: one record per dock model, so a connected dock can be named and its
// version shown without asking the server.
#pragma once

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

namespace cbx::update {

inline constexpr std::uint32_t kDockInfoRecordSize = 2084;

// One stored dock; the history file holds these in this field order.
struct _DOCK_INFO_DATA {
  std::uint32_t recordSize = kDockInfoRecordSize;
  std::string mountText;       // the dock's mount text (dockId) when it was recorded
  std::string mountName;       // "MountName" of its server file
  std::string versionText;     // the dock's raw version text
  std::string displayVersion;  // the version shown to the user

  bool operator==(const _DOCK_INFO_DATA&) const = default;
};

// Insertion order, at most one record per mount name. Guarded like the lens history.
class DockHistory {
 public:
  // Replaces the first record with the same mount name, or appends.
  void UpdateDockHistory(const std::string& versionText, const std::string& mountText,
                         const std::string& mountName, const std::string& displayVersion);

  // For the first record of this version and mount text: its mount name, and its display
  // version, or for an extended-format dock `dockDeviceVersionDisplay`; the unreadable
  // version "f.ff" comes back empty. Without a match both outputs stay as they were.
  bool LookupDockHistory(const std::string& versionText, const std::string& mountText,
                         std::uint8_t dockFormatMarker, const std::string& dockDeviceVersionDisplay,
                         std::string& displayVersion, std::string& mountName) const;

  // Appends a stored record as it is (loading the history file).
  void Add(const _DOCK_INFO_DATA& record);
  void Clear();
  // A snapshot: another thread may change the list right after.
  std::vector<_DOCK_INFO_DATA> Records() const;

 private:
  mutable std::mutex mutex_;
  std::vector<_DOCK_INFO_DATA> records_;
};

}  // namespace cbx::update
