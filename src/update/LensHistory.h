// The lens history: one record per device ever identified, kept in a fixed order so the
// history list always shows lenses first, then cine lenses, converters and flash units.
#pragma once

#include <mutex>
#include <vector>

#include "update/LensUpdateInfo.h"

namespace cbx::update {

// History order: category 0, 3, 1, 2 (others after, by number); categories other than 0 by
// serial number; lenses by zoom flag, last focal length, serial number, teleconverter rank.
bool HistoryOrderBefore(const CLensUpdateInfoData& a, const CLensUpdateInfoData& b);

// Used from the user-interface thread and from an update-check worker while the user
// interface waits for it; a mutex makes that safe even if the waiting ever stops.
class LensHistory {
 public:
  // Replaces the first record of the same device (true) or appends (false), then moves that
  // one record to its place; records that compare equal keep their relative order.
  bool AddOrReplace(const CLensUpdateInfoData& record);
  // First record r with record.IsSameDevice(r), or -1.
  int IndexOf(const CLensUpdateInfoData& record) const;
  // Callers pass only indexes inside the list (GetAt throws std::out_of_range otherwise,
  // RemoveAt ignores them).
  CLensUpdateInfoData GetAt(int index) const;
  void RemoveAt(int index);
  void Clear();
  int Size() const;
  // A snapshot: another thread may change the list right after.
  std::vector<CLensUpdateInfoData> Records() const;

  // Whether `device` (the connected one) is known.
  bool Contains(const CLensUpdateInfoData& device) const;
  // Copies the record of `device` into `out`; `out` is untouched when there is none.
  bool Find(const CLensUpdateInfoData& device, CLensUpdateInfoData& out) const;

 private:
  int IndexOfLocked(const CLensUpdateInfoData& record) const;

  mutable std::mutex mutex_;
  std::vector<CLensUpdateInfoData> records_;
};

}  // namespace cbx::update
