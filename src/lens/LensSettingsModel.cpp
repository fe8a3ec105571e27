#include "lens/LensSettingsModel.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <fstream>
#include <new>

#include "app/Log.h"
#include "lens/SettingsErrors.h"
#include "update/ParseRules.h"

namespace cbx::lens {

namespace {

// Function and error numbers of the reports this model writes itself.
constexpr int kFnGetCSSingleData = 61;
constexpr int kFnIsChangeCSDoubleData = 62;
constexpr int kFnIsChangeCSData = 63;
constexpr int kFnGetCustomModeChangeStatus = 64;
constexpr int kFnFixInitFLValue = 90;
constexpr int kFnIsChangeMFData = 103;
constexpr int kFnSettingByteTests = 112;

constexpr std::uint8_t kOn = 0x55;
constexpr std::uint8_t kErased = 0xFF;

std::uint8_t Not8(int value) { return static_cast<std::uint8_t>(~static_cast<unsigned>(value) & 0xFFu); }

std::uint8_t Low(std::uint16_t word) { return static_cast<std::uint8_t>(word & 0xFFu); }
std::uint8_t High(std::uint16_t word) { return static_cast<std::uint8_t>(word >> 8); }
std::uint16_t Word(std::uint8_t low, std::uint8_t high) {
  return static_cast<std::uint16_t>(low | (high << 8));
}

// A place of `need` bytes at `offset` fits inside a buffer of `size` bytes.
bool Fits(std::uint64_t offset, std::uint64_t need, std::uint64_t size) {
  return offset <= size && need <= size - offset;
}

std::size_t ListEntries(const update::OffsetList& list) {
  return std::min(list.index.size(), list.offset.size());
}

}  // namespace

// ---- image operations ----

void InsertBlock(Image& image, std::size_t index, std::span<const std::uint8_t> bytes) {
  const auto at = image.begin() + static_cast<std::ptrdiff_t>(std::min(index, image.size()));
  image.insert(at, Block(bytes.begin(), bytes.end()));
}

void ReplaceBlock(Image& image, std::size_t index, std::span<const std::uint8_t> bytes) {
  if (index >= image.size()) return;
  image[index].assign(bytes.begin(), bytes.end());
}

void ClearImage(Image& image) { image.clear(); }

// ---- value codecs ----

bool IsMlMountCode(int mountCode) { return mountCode == 0x60 || mountCode == 0x90 || mountCode == 0xA0; }

int DecodeThreeWay(std::uint8_t stored) {
  const int w = Not8(stored);
  return w <= 2 ? w : 0;
}

std::uint8_t GroupByte(std::uint32_t group, int byteIndex) {
  return static_cast<std::uint8_t>((group >> (8 * byteIndex)) & 0xFFu);
}

std::uint32_t WithGroupByte(std::uint32_t group, int byteIndex, std::uint8_t value) {
  const int shift = 8 * byteIndex;
  return (group & ~(0xFFu << shift)) | (static_cast<std::uint32_t>(value) << shift);
}

std::uint32_t MakeGroup(std::uint8_t b0, std::uint8_t b1, std::uint8_t b2, std::uint8_t b3) {
  return static_cast<std::uint32_t>(b0) | (static_cast<std::uint32_t>(b1) << 8) |
         (static_cast<std::uint32_t>(b2) << 16) | (static_cast<std::uint32_t>(b3) << 24);
}

bool MfSwitchOn(std::uint16_t word) { return Low(word) == kOn; }

int MfLevel(std::uint16_t word) {
  const std::uint8_t stored = High(word);
  if (stored == kErased) return 1;
  if (stored < 0xF0) return 15;
  return Not8(stored);
}

std::uint16_t NormalizeMfWord(std::uint16_t word) {
  const std::uint8_t sw = Low(word);
  return (sw == kOn || sw == kErased) ? word : Word(kErased, High(word));
}

std::uint8_t EncodeMfLevel(int level) { return Not8(std::clamp(level, 1, 15)); }

bool AfFunctionIsAfOn(std::uint8_t afFunctionByte) { return afFunctionByte == kOn; }

MfSensitivity DecodeMfSensitivity(std::uint8_t stored) {
  if (stored == 0xFE) return MfSensitivity::kSlow;
  if (stored == 0xFD) return MfSensitivity::kFast;
  return MfSensitivity::kNormal;
}

std::uint8_t EncodeMfSensitivity(MfSensitivity value) {
  switch (value) {
    case MfSensitivity::kSlow: return 0xFE;
    case MfSensitivity::kFast: return 0xFD;
    case MfSensitivity::kNormal: break;
  }
  return 0xFF;
}

std::uint16_t WriteCount(std::uint16_t stored) {
  const auto count = static_cast<std::uint16_t>(~stored);
  return count == 0xFFFF ? std::uint16_t{0} : count;
}

std::uint16_t IncrementedWriteCounter(std::uint16_t stored) {
  return static_cast<std::uint16_t>(~static_cast<unsigned>(WriteCount(stored) + 1u));
}

int FarLimitIndex(std::span<const double> p) {
  const auto n = static_cast<int>(p.size());
  if (n == 0) return 0;
  const double last = p.back();
  if (last == p.front()) return 0;
  for (int i = 1; i < n; ++i) {
    const double v = p[static_cast<std::size_t>(i)];
    if (std::fabs(v - last) >= 1e-6 && v > last) return i;
  }
  return n;
}

// ---- the connected device ----

void LensSettingsModel::SetLensInfo(const update::CLensUpdateInfoData& info) { lens_ = info; }

int LensSettingsModel::ProductLimiterDefault() const { return update::AtoiLike(lens_.FocusLimitCtrlReset); }

std::uint8_t LensSettingsModel::InvertedProductDefault() const { return Not8(ProductLimiterDefault()); }

int LensSettingsModel::EncoderPositionCount() const {
  return static_cast<int>(std::min<std::size_t>(lens_.encoderPositions.size(), INT_MAX));
}

int LensSettingsModel::FarLimitIndex() const { return lens::FarLimitIndex(lens_.encoderPositions); }

// ---- location of the CS record ----

std::size_t LensSettingsModel::CsRecordOffset() const {
  const auto& list = lens_.cs0List;
  for (std::size_t j = 0; j < ListEntries(list); ++j) {
    if (list.index[j] == 0) return list.offset[j];
  }
  throw LensModelArgumentError("no CS place in block 0");
}

std::size_t LensSettingsModel::CsRecordSize() const {
  return lens_.cs0List.count > 0 ? static_cast<std::size_t>(lens_.cs0List.count) * kCsPageSize : 0;
}

std::optional<std::span<const std::uint8_t>> LensSettingsModel::CsRecord(std::size_t need) const {
  if (CsImage.empty()) return std::nullopt;
  const std::size_t offset = CsRecordOffset();
  const Block& block = CsImage.front();
  // The whole record region must lie in the block, not only the bytes this reader looks at.
  if (!Fits(offset, std::max(need, CsRecordSize()), block.size())) return std::nullopt;
  return std::span<const std::uint8_t>(block.data() + offset, need);
}

// ---- edits ----

void LensSettingsModel::SetAfSpeed(int value) { SelectedGroup() = WithGroupByte(SelectedGroup(), 0, Not8(value)); }

void LensSettingsModel::SetOsMode(int value) { SelectedGroup() = WithGroupByte(SelectedGroup(), 3, Not8(value)); }

void LensSettingsModel::SetLimiter(int a, int b) {
  std::uint32_t& group = SelectedGroup();
  if (IsMlMount()) {
    group = WithGroupByte(WithGroupByte(group, 1, Not8(a)), 2, Not8(b));
  } else {
    group = WithGroupByte(WithGroupByte(group, 1, Not8(std::max(a, b))), 2, Not8(std::min(a, b)));
  }
}

void LensSettingsModel::SetMfSwitch(bool on) { mfWord = Word(on ? kOn : kErased, High(mfWord)); }

void LensSettingsModel::SetMfLevel(int level) { mfWord = Word(Low(mfWord), EncodeMfLevel(level)); }

void LensSettingsModel::SetAfFunction(bool afOn) { afFunctionByte = afOn ? kOn : kErased; }

void LensSettingsModel::SetMfSensitivity(MfSensitivity value) { mfSensitivityByte = EncodeMfSensitivity(value); }

// ---- readers ----

bool LensSettingsModel::ReadModeGroups(std::array<std::uint8_t, 8>& out) const {
  if (IsMlMount()) {
    const auto record = CsRecord(kMlCsRecordBytes);
    if (!record) return false;
    const auto& r = *record;
    const std::uint8_t fallback = InvertedProductDefault();
    out = {0, r[4] == kErased ? fallback : r[4], 0, r[5], 0, r[6] == kErased ? fallback : r[6], 0, r[7]};
    return true;
  }
  const auto record = CsRecord(8);
  if (!record) return false;
  std::copy_n(record->begin(), 8, out.begin());
  return true;
}

bool LensSettingsModel::ReadModeGroups(std::uint32_t& mode1, std::uint32_t& mode2) const {
  std::array<std::uint8_t, 8> b{};
  if (!ReadModeGroups(b)) return false;
  mode1 = MakeGroup(b[0], b[1], b[2], b[3]);
  mode2 = MakeGroup(b[4], b[5], b[6], b[7]);
  return true;
}

bool LensSettingsModel::GetCSSingleData(int mode, std::uint32_t& out) const {
  std::uint32_t g1 = 0;
  std::uint32_t g2 = 0;
  if (!ReadModeGroups(g1, g2)) {
    ReportError(kFnGetCSSingleData, kErrCsData);
    return false;
  }
  out = mode == 1 ? g1 : g2;
  return true;
}

bool LensSettingsModel::ReadMfWord(std::uint16_t& out) const {
  const auto record = CsRecord(10);
  if (!record) return false;
  out = Word((*record)[8], (*record)[9]);
  return true;
}

bool LensSettingsModel::ReadAfFunctionByte(std::uint8_t& out) const {
  const auto record = CsRecord(kStandardCsRecordBytes);
  if (!record) return false;
  out = (*record)[12];
  return true;
}

bool LensSettingsModel::ReadWriteCounter(std::uint16_t& out) const {
  const auto record = CsRecord(2);
  if (!record) return false;
  out = Word((*record)[0], (*record)[1]);
  return true;
}

bool LensSettingsModel::ReadMfSensitivityByte(std::uint8_t& out) const {
  const auto record = CsRecord(3);
  if (!record) return false;
  out = (*record)[2];
  return true;
}

bool LensSettingsModel::LoadMfWord() {
  std::uint16_t stored = 0;
  if (!ReadMfWord(stored)) return false;
  mfWord = NormalizeMfWord(stored);
  return true;
}

// ---- change tests ----

bool LensSettingsModel::GroupsEqual(std::uint32_t a, std::uint32_t b) const {
  if (GroupByte(a, 1) != GroupByte(b, 1) || GroupByte(a, 3) != GroupByte(b, 3)) return false;
  if (IsMlMount()) return true;
  return GroupByte(a, 0) == GroupByte(b, 0) && GroupByte(a, 2) == GroupByte(b, 2);
}

bool LensSettingsModel::IsChangeCSDoubleData() const {
  std::uint32_t g1 = 0;
  std::uint32_t g2 = 0;
  if (!ReadModeGroups(g1, g2)) ReportError(kFnIsChangeCSDoubleData, kErrCsData);
  return !GroupsEqual(mode1Group, g1) || !GroupsEqual(mode2Group, g2);
}

bool LensSettingsModel::IsChangeCSData(int mode) const {
  std::uint32_t g1 = 0;
  std::uint32_t g2 = 0;
  if (!ReadModeGroups(g1, g2)) ReportError(kFnIsChangeCSData, kErrCsData);
  return mode == 1 ? !GroupsEqual(mode1Group, g1) : !GroupsEqual(mode2Group, g2);
}

bool LensSettingsModel::IsChangeMFData() const {
  std::uint16_t stored = 0;
  if (!ReadMfWord(stored)) ReportError(kFnIsChangeMFData, kErrMfData);
  if (Low(stored) != Low(mfWord)) return true;
  // While the override is off its level does not matter.
  if (Low(stored) == kErased) return false;
  return High(stored) != High(mfWord);
}

bool LensSettingsModel::IsAfFunctionChanged() const {
  std::uint8_t stored = 0;
  if (!ReadAfFunctionByte(stored)) ReportError(kFnSettingByteTests, kErrByteData);
  return stored != afFunctionByte;
}

bool LensSettingsModel::IsMfSensitivityChanged() const {
  std::uint8_t stored = 0;
  if (!ReadMfSensitivityByte(stored)) ReportError(kFnSettingByteTests, kErrByteData);
  return stored != mfSensitivityByte;
}

bool LensSettingsModel::GetCustomModeChangeStatus(int mode) const {
  std::uint32_t g1 = 0;
  std::uint32_t g2 = 0;
  if (!ReadModeGroups(g1, g2)) {
    ReportError(kFnGetCustomModeChangeStatus, kErrCsData);
    return false;
  }
  int far = 0;
  int os = 0;
  if (IsMlMount()) {
    far = ProductLimiterDefault();
    os = mode == 1 ? 1 : 2;
  } else {
    far = FarLimitIndex();
  }
  const std::uint32_t defaults = MakeGroup(kErased, Not8(far), kErased, Not8(os));
  return GroupsEqual(mode == 1 ? g1 : g2, defaults);
}

bool LensSettingsModel::IsWriteCountWithinLimit() const {
  return lens_.MFSensCtrl != 0 && WriteCount(writeCounter) < static_cast<std::uint16_t>(lens_.DataWriteNumLimit);
}

LimiterStart LensSettingsModel::FixInitFLValue(std::uint32_t group) const {
  const int n = EncoderPositionCount();
  if (IsMlMount()) {
    const std::uint8_t q = GroupByte(group, 1);
    if (q != kErased && Not8(q) <= n - 1) return {Not8(q), 0, true};
    ReportError(kFnFixInitFLValue, kErrOutOfRange);
    return {ProductLimiterDefault(), 0, false};
  }
  const int upper = Not8(GroupByte(group, 1));
  const int lower = Not8(GroupByte(group, 2));
  if (upper <= n && lower <= n) return {upper, lower, true};
  ReportError(kFnFixInitFLValue, kErrOutOfRange);
  return {0, n, false};
}

// ---- defaults ----

void LensSettingsModel::ResetEditedValues() {
  if (IsMlMount()) {
    const std::uint8_t r = InvertedProductDefault();
    mode1Group = MakeGroup(kErased, r, kErased, Not8(1));
    mode2Group = MakeGroup(kErased, r, kErased, Not8(2));
  } else {
    const std::uint32_t group = MakeGroup(kErased, Not8(EncoderPositionCount()), kErased, kErased);
    mode1Group = group;
    mode2Group = group;
  }
}

void LensSettingsModel::ResetAllEditedValues() {
  ResetEditedValues();
  const std::uint8_t switchByte = Not8(lens_.MFfunc == 0xAA ? 0xAA : 0);
  mfWord = Word(switchByte, EncodeMfLevel(lens_.MFreset));
  afFunctionByte = Not8(lens_.AFFuncBReset == 0xAA ? 0xAA : 0);
}

CsDefaultsOrigin LensSettingsModel::LoadCsDefaults() { return LoadCsDefaults(lens_.fwLocalPath); }

CsDefaultsOrigin LensSettingsModel::LoadCsDefaults(const std::filesystem::path& firmwareFile) {
  csDefaults.clear();
  const auto& list = lens_.cs0List;
  const auto& map = lens_.csMap;
  if (map.count <= 0 || list.index.size() != list.offset.size()) return CsDefaultsOrigin::kNone;

  std::ifstream file(firmwareFile, std::ios::binary);
  if (firmwareFile.empty() || !file) return CsDefaultsOrigin::kNone;
  file.seekg(0, std::ios::end);
  const auto end = static_cast<std::streamoff>(file.tellg());
  if (end < 0) return CsDefaultsOrigin::kNone;
  const auto fileSize = static_cast<std::uint64_t>(end);

  const std::size_t size = CsRecordSize();
  const auto blocks = std::min<std::size_t>({static_cast<std::size_t>(map.count), map.address.size()});
  bool complete = true;
  for (std::size_t j = 0; j < list.index.size(); ++j) {
    const int b = list.index[j];
    if (b < 0 || static_cast<std::size_t>(b) >= blocks) {
      complete = false;
      break;
    }
    const std::uint64_t position = std::uint64_t{map.address[static_cast<std::size_t>(b)]} + list.offset[j];
    if (!Fits(position, size, fileSize)) {
      complete = false;
      break;
    }
    _LENS_CS_ADDRESS_DATA fragment;
    fragment.data.resize(size);
    file.seekg(static_cast<std::streamoff>(position));
    file.read(reinterpret_cast<char*>(fragment.data.data()), static_cast<std::streamsize>(size));
    if (!file) {
      complete = false;
      break;
    }
    fragment.length = static_cast<std::int32_t>(size);
    fragment.blockIndex = b;
    fragment.offset = static_cast<std::int32_t>(list.offset[j]);
    if (csDefaults.empty() && size >= 8) {
      const auto& d = fragment.data;
      mode1Group = MakeGroup(d[0], d[1], d[2], d[3]);
      mode2Group = MakeGroup(d[4], d[5], d[6], d[7]);
    }
    csDefaults.push_back(std::move(fragment));
  }
  if (complete) return CsDefaultsOrigin::kFirmwareFile;

  ResetAllEditedValues();
  csDefaults.clear();
  // Room for the record's bytes even when the product information counts no pages.
  const std::size_t computedSize = std::max(size, kStandardCsRecordBytes);
  for (std::size_t j = 0; j < list.index.size(); ++j) {
    _LENS_CS_ADDRESS_DATA fragment;
    fragment.data.assign(computedSize, 0);
    auto& d = fragment.data;
    for (int i = 0; i < 4; ++i) {
      d[static_cast<std::size_t>(i)] = GroupByte(mode1Group, i);
      d[static_cast<std::size_t>(4 + i)] = GroupByte(mode2Group, i);
    }
    d[8] = Low(mfWord);
    d[9] = High(mfWord);
    d[12] = afFunctionByte;
    fragment.length = static_cast<std::int32_t>(computedSize);
    fragment.blockIndex = list.index[j];
    fragment.offset = static_cast<std::int32_t>(list.offset[j]);
    csDefaults.push_back(std::move(fragment));
  }
  return CsDefaultsOrigin::kComputed;
}

bool LensSettingsModel::SaveCsSnapshot() {
  if (CsImage.empty()) return false;
  const std::size_t offset = CsRecordOffset();
  const std::size_t size = CsRecordSize();
  const Block& block = CsImage.front();
  if (!Fits(offset, size, block.size())) return false;
  try {
    std::vector<std::uint8_t> copy(block.begin() + static_cast<std::ptrdiff_t>(offset),
                                   block.begin() + static_cast<std::ptrdiff_t>(offset + size));
    csSnapshot = std::move(copy);
  } catch (const std::bad_alloc&) {
    return false;
  }
  return true;
}

// ---- composition ----

bool LensSettingsModel::ComposeCsRecord(int blockIndex, std::span<std::uint8_t> block, CsSource source,
                                        DeviceClass deviceClass) const {
  const auto& list = lens_.cs0List;
  const bool ml = deviceClass == DeviceClass::kMlMount;
  const std::size_t region = CsRecordSize();

  // The fragment a place receives from the defaults; none leaves the place as it is.
  auto defaultsFor = [&](std::uint32_t offset) -> const _LENS_CS_ADDRESS_DATA* {
    for (const auto& fragment : csDefaults) {
      if (fragment.blockIndex == blockIndex && fragment.offset >= 0 &&
          static_cast<std::uint32_t>(fragment.offset) == offset) {
        return &fragment;
      }
    }
    return nullptr;
  };
  // Bytes written at a place; 0 when nothing is.
  auto bytesAt = [&](std::uint32_t offset) -> std::size_t {
    switch (source) {
      case CsSource::kEditedValues: return ml ? kMlCsRecordBytes : kStandardCsRecordBytes;
      case CsSource::kSnapshot: return csSnapshot.size();
      case CsSource::kDefaults: {
        if (ml) return 0;
        const auto* fragment = defaultsFor(offset);
        return fragment != nullptr ? fragment->data.size() : 0;
      }
    }
    return 0;
  };

  // Refuse the whole block before touching it when any place would run past its end.
  for (std::size_t j = 0; j < ListEntries(list); ++j) {
    if (list.index[j] != blockIndex) continue;
    const std::size_t bytes = bytesAt(list.offset[j]);
    if (bytes == 0) continue;
    if (!Fits(list.offset[j], std::max(bytes, region), block.size())) return false;
  }

  for (std::size_t j = 0; j < ListEntries(list); ++j) {
    if (list.index[j] != blockIndex) continue;
    const std::uint32_t offset = list.offset[j];
    if (bytesAt(offset) == 0) continue;
    std::uint8_t* at = block.data() + offset;
    switch (source) {
      case CsSource::kEditedValues:
        if (ml) {
          const std::uint16_t counter = IncrementedWriteCounter(writeCounter);
          at[0] = Low(counter);
          at[1] = High(counter);
          at[2] = mfSensitivityByte;
          at[4] = GroupByte(mode1Group, 1);
          at[5] = GroupByte(mode1Group, 3);
          at[6] = GroupByte(mode2Group, 1);
          at[7] = GroupByte(mode2Group, 3);
        } else {
          for (int i = 0; i < 4; ++i) {
            at[i] = GroupByte(mode1Group, i);
            at[4 + i] = GroupByte(mode2Group, i);
          }
          at[8] = Low(mfWord);
          at[9] = High(mfWord);
          at[12] = afFunctionByte;
        }
        break;
      case CsSource::kSnapshot:
        std::copy(csSnapshot.begin(), csSnapshot.end(), at);
        break;
      case CsSource::kDefaults: {
        const auto* fragment = defaultsFor(offset);
        std::copy(fragment->data.begin(), fragment->data.end(), at);
        break;
      }
    }
  }
  return true;
}

}  // namespace cbx::lens
