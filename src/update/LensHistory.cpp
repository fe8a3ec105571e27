#include "update/LensHistory.h"

#include <algorithm>
#include <utility>

#include "app/Configuration.h"

namespace cbx::update {

namespace {

int CategoryRank(int category) {
  switch (category) {
    case 0: return 0;
    case 3: return 1;
    case 1: return 2;
    case 2: return 3;
    default: return 4;
  }
}

int LastFocalLength(const CLensUpdateInfoData& record) {
  return record.focalLengths.empty() ? 0 : TextToInt(record.focalLengths.back());
}

int TeleconverterRank(int mountCode) {
  const int mount = (mountCode >> 4) & 0x0F;
  if (mountCode < 0 || mountCode > 0xFF || mount < 1 || mount > 5) return 1;
  if ((mountCode & 0x0F) == 1) return 2;
  if ((mountCode & 0x0F) == 2) return 3;
  return 1;
}

}  // namespace

bool HistoryOrderBefore(const CLensUpdateInfoData& a, const CLensUpdateInfoData& b) {
  const int rankA = CategoryRank(a.deviceCategory), rankB = CategoryRank(b.deviceCategory);
  if (rankA != rankB) return rankA < rankB;
  if (a.deviceCategory != b.deviceCategory) return a.deviceCategory < b.deviceCategory;
  const int serialA = TextToInt(a.serialNumber), serialB = TextToInt(b.serialNumber);
  if (a.deviceCategory != 0) return serialA < serialB;
  const int zoomA = a.ZoomLens != 0, zoomB = b.ZoomLens != 0;
  if (zoomA != zoomB) return zoomA < zoomB;
  const int focalA = LastFocalLength(a), focalB = LastFocalLength(b);
  if (focalA != focalB) return focalA < focalB;
  if (serialA != serialB) return serialA < serialB;
  return TeleconverterRank(a.mountCode) < TeleconverterRank(b.mountCode);
}

bool LensHistory::AddOrReplace(const CLensUpdateInfoData& record) {
  std::lock_guard lock(mutex_);
  const int found = IndexOfLocked(record);
  std::size_t at = 0;
  if (found >= 0) {
    at = static_cast<std::size_t>(found);
    records_[at] = record;
  } else {
    records_.push_back(record);
    at = records_.size() - 1;
  }
  // Only the new record can be out of place: walk it past the records it must precede or
  // follow, never past one that compares equal.
  while (at > 0 && HistoryOrderBefore(records_[at], records_[at - 1])) {
    std::swap(records_[at], records_[at - 1]);
    --at;
  }
  while (at + 1 < records_.size() && HistoryOrderBefore(records_[at + 1], records_[at])) {
    std::swap(records_[at], records_[at + 1]);
    ++at;
  }
  // A list that came in out of order (an old or edited history file) is put right whole.
  if (!std::is_sorted(records_.begin(), records_.end(), HistoryOrderBefore))
    std::stable_sort(records_.begin(), records_.end(), HistoryOrderBefore);
  return found >= 0;
}

int LensHistory::IndexOfLocked(const CLensUpdateInfoData& record) const {
  for (std::size_t i = 0; i < records_.size(); ++i)
    if (record.IsSameDevice(records_[i])) return static_cast<int>(i);
  return -1;
}

int LensHistory::IndexOf(const CLensUpdateInfoData& record) const {
  std::lock_guard lock(mutex_);
  return IndexOfLocked(record);
}

CLensUpdateInfoData LensHistory::GetAt(int index) const {
  std::lock_guard lock(mutex_);
  return records_.at(static_cast<std::size_t>(index));
}

void LensHistory::RemoveAt(int index) {
  std::lock_guard lock(mutex_);
  if (index < 0 || static_cast<std::size_t>(index) >= records_.size()) return;
  records_.erase(records_.begin() + index);
}

void LensHistory::Clear() {
  std::lock_guard lock(mutex_);
  records_.clear();
}

int LensHistory::Size() const {
  std::lock_guard lock(mutex_);
  return static_cast<int>(records_.size());
}

std::vector<CLensUpdateInfoData> LensHistory::Records() const {
  std::lock_guard lock(mutex_);
  return records_;
}

bool LensHistory::Contains(const CLensUpdateInfoData& device) const { return IndexOf(device) >= 0; }

bool LensHistory::Find(const CLensUpdateInfoData& device, CLensUpdateInfoData& out) const {
  std::lock_guard lock(mutex_);
  const int index = IndexOfLocked(device);
  if (index < 0) return false;
  out = records_[static_cast<std::size_t>(index)];
  return true;
}

}  // namespace cbx::update
