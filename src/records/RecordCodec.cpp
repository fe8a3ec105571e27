#include "records/RecordCodec.h"

#include <algorithm>
#include <cstdio>

#include "app/Utf.h"
#include "update/ParseRules.h"

namespace cbx::records {

namespace {

using update::CLensUpdateInfoData;

struct TextField {
  std::size_t offset;
  std::string CLensUpdateInfoData::*member;
};

struct IntField {
  std::size_t offset;
  int CLensUpdateInfoData::*member;
};

constexpr TextField kTextFields[] = {
    {4, &CLensUpdateInfoData::FWFileName},
    {524, &CLensUpdateInfoData::Fwversion},
    {1044, &CLensUpdateInfoData::UpDate},
    {1564, &CLensUpdateInfoData::DockVersion},
    {2084, &CLensUpdateInfoData::Fwpath},
    {2604, &CLensUpdateInfoData::InfoPath},
    {3124, &CLensUpdateInfoData::productName},
    {7284, &CLensUpdateInfoData::rawFocalLength},
    {7804, &CLensUpdateInfoData::MountName},
    {8324, &CLensUpdateInfoData::rawEncoderPosition},
    {8844, &CLensUpdateInfoData::rawScaleRatio},
    {9364, &CLensUpdateInfoData::rawZoomRatio},
    {9884, &CLensUpdateInfoData::rawFW},
    {10404, &CLensUpdateInfoData::rawAF},
    {10924, &CLensUpdateInfoData::rawAF0},
    {11444, &CLensUpdateInfoData::rawAF1},
    {11964, &CLensUpdateInfoData::rawAF2},
    {12484, &CLensUpdateInfoData::rawCS},
    {13004, &CLensUpdateInfoData::rawCS0},
    {13524, &CLensUpdateInfoData::btnOsText1},
    {14044, &CLensUpdateInfoData::btnOsText2},
    {14564, &CLensUpdateInfoData::btnOsText3},
    {15084, &CLensUpdateInfoData::msgOsText1},
    {15604, &CLensUpdateInfoData::msgOsText2},
    {16124, &CLensUpdateInfoData::msgOsText3},
    {16644, &CLensUpdateInfoData::btnAfSpeedText1},
    {17164, &CLensUpdateInfoData::btnAfSpeedText2},
    {17684, &CLensUpdateInfoData::btnAfSpeedText3},
    {18204, &CLensUpdateInfoData::msgAfSpeedText1},
    {18724, &CLensUpdateInfoData::msgAfSpeedText2},
    {19244, &CLensUpdateInfoData::msgAfSpeedText3},
    {21336, &CLensUpdateInfoData::rawVersion},
    {21856, &CLensUpdateInfoData::serialNumber},
    {22384, &CLensUpdateInfoData::rawAFPA0},
    {22904, &CLensUpdateInfoData::rawAFPA1},
    {23424, &CLensUpdateInfoData::rawAFPA2},
    {23944, &CLensUpdateInfoData::DisplayVer},
    {26024, &CLensUpdateInfoData::FirmupMinCBXVer},
    {28110, &CLensUpdateInfoData::productCodeText},
    {30202, &CLensUpdateInfoData::FocusLimitCtrlReset},
};

constexpr TextField kPicturePathFields[] = {
    {19764, &CLensUpdateInfoData::lensImagePath},
    {20284, &CLensUpdateInfoData::focusFcImagePath},
    {20804, &CLensUpdateInfoData::focusFlImagePath},
};

constexpr IntField kFlagFields[] = {
    {3644, &CLensUpdateInfoData::MustFwUp},
    {4164, &CLensUpdateInfoData::CustomSW},
    {4684, &CLensUpdateInfoData::OScontrol},
    {5204, &CLensUpdateInfoData::FocusLimitCtrl},
    {5724, &CLensUpdateInfoData::AFspeedCtrl},
    {6244, &CLensUpdateInfoData::FocusCtrl},
    {6764, &CLensUpdateInfoData::ZoomLens},
    {24464, &CLensUpdateInfoData::AfCsProtect},
    {24984, &CLensUpdateInfoData::AfCsProtectReset},
    {25504, &CLensUpdateInfoData::FwupOk},
    {26550, &CLensUpdateInfoData::MFCtrl},
    {28636, &CLensUpdateInfoData::AFFuncBCtrl},
    {29676, &CLensUpdateInfoData::MFSensCtrl},
};

constexpr IntField kInt32Fields[] = {
    {21324, &CLensUpdateInfoData::lensImageSize},
    {21328, &CLensUpdateInfoData::focusFcImageSize},
    {21332, &CLensUpdateInfoData::focusFlImageSize},
    {22376, &CLensUpdateInfoData::productId},
    {22380, &CLensUpdateInfoData::mountCode},
    {26544, &CLensUpdateInfoData::noUpdateInfo},
    {30196, &CLensUpdateInfoData::FirmupTransCtrl},
};

constexpr std::size_t kFormatMarkerOffset = 26548;
constexpr std::size_t kMFfuncOffset = 27070;
constexpr std::size_t kMFresetOffset = 27590;
constexpr std::size_t kDeviceCategoryOffset = 28632;
constexpr std::size_t kAFFuncBResetOffset = 29156;
constexpr std::size_t kDataWriteNumLimitOffset = 30200;

// The last text field ends two reserved bytes before the end of the record.
static_assert(30202 + kTextFieldBytes + 2 == kLensRecordSize);
static_assert(1564 + kTextFieldBytes == kDockRecordSize);
static_assert(kDockRecordSize == update::kDockInfoRecordSize);

constexpr std::size_t kDockTextOffsets[] = {4, 524, 1044, 1564};

void WriteU32(std::span<std::uint8_t> bytes, std::size_t offset, std::uint32_t value) {
  for (std::size_t i = 0; i < 4; ++i) bytes[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

void WriteI32(std::span<std::uint8_t> bytes, std::size_t offset, int value) {
  WriteU32(bytes, offset, static_cast<std::uint32_t>(value));
}

int ReadI32(std::span<const std::uint8_t> bytes, std::size_t offset) {
  return static_cast<int>(ReadU32(bytes, offset));
}

std::u16string Utf8ToUtf16(std::string_view utf8) {
  const std::string text = SanitizeUtf8(utf8);
  std::u16string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    const auto b0 = static_cast<std::uint8_t>(text[i]);
    const std::size_t len = b0 < 0x80 ? 1 : b0 < 0xE0 ? 2 : b0 < 0xF0 ? 3 : 4;
    char32_t cp = len == 1 ? b0 : len == 2 ? (b0 & 0x1Fu) : len == 3 ? (b0 & 0x0Fu) : (b0 & 0x07u);
    for (std::size_t k = 1; k < len; ++k) cp = (cp << 6) | (static_cast<std::uint8_t>(text[i + k]) & 0x3Fu);
    i += len;
    if (cp >= 0x10000) {
      cp -= 0x10000;
      out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
    } else {
      out.push_back(static_cast<char16_t>(cp));
    }
  }
  return out;
}

std::string ToStoredSeparators(std::string path) {
  std::replace(path.begin(), path.end(), '/', '\\');
  return path;
}

std::string ToLocalSeparators(std::string path) {
  std::replace(path.begin(), path.end(), '\\', '/');
  return path;
}

std::string HexByteText(std::uint8_t value) {
  char text[8];
  std::snprintf(text, sizeof text, "%02x", static_cast<unsigned>(value));
  return text;
}

int CategoryOrZero(int category) { return category >= 0 && category <= 3 ? category : 0; }

std::span<std::uint8_t> Field(std::span<std::uint8_t> image, std::size_t offset) {
  return image.subspan(offset, kTextFieldBytes);
}

std::span<const std::uint8_t> Field(std::span<const std::uint8_t> image, std::size_t offset) {
  return image.subspan(offset, kTextFieldBytes);
}

}  // namespace

std::uint32_t ReadU32(std::span<const std::uint8_t> bytes, std::size_t offset) {
  std::uint32_t value = 0;
  for (std::size_t i = 0; i < 4; ++i) value |= static_cast<std::uint32_t>(bytes[offset + i]) << (8 * i);
  return value;
}

std::size_t Utf16Length(std::string_view text) { return Utf8ToUtf16(text).size(); }

void WriteTextField(std::span<std::uint8_t> field, std::string_view text) {
  std::fill_n(field.begin(), kTextFieldBytes, std::uint8_t{0});
  std::u16string units = Utf8ToUtf16(text);
  if (units.size() > kTextFieldUnits - 1) {
    std::size_t keep = kTextFieldUnits - 1;
    // Never leave the high half of a pair without its low half.
    if (units[keep - 1] >= 0xD800 && units[keep - 1] <= 0xDBFF) --keep;
    units.resize(keep);
  }
  for (std::size_t i = 0; i < units.size(); ++i) {
    field[2 * i] = static_cast<std::uint8_t>(units[i] & 0xFF);
    field[2 * i + 1] = static_cast<std::uint8_t>(units[i] >> 8);
  }
}

std::string ReadTextField(std::span<const std::uint8_t> field) {
  std::u16string units;
  for (std::size_t i = 0; i + 1 < kTextFieldBytes && i + 1 < field.size(); i += 2) {
    const auto unit = static_cast<char16_t>(field[i] | (field[i + 1] << 8));
    if (unit == 0) break;
    units.push_back(unit);
  }
  return Utf16ToUtf8(units);
}

LensRecordImage PackLensRecord(const CLensUpdateInfoData& record) {
  LensRecordImage image{};
  const std::span<std::uint8_t> bytes(image);
  WriteU32(bytes, 0, static_cast<std::uint32_t>(kLensRecordSize));
  for (const auto& f : kTextFields) WriteTextField(Field(bytes, f.offset), record.*f.member);
  for (const auto& f : kPicturePathFields) {
    WriteTextField(Field(bytes, f.offset), ToStoredSeparators(record.*f.member));
  }
  for (const auto& f : kFlagFields) WriteTextField(Field(bytes, f.offset), record.*f.member == 1 ? "YES" : "NO");
  for (const auto& f : kInt32Fields) WriteI32(bytes, f.offset, record.*f.member);
  image[kFormatMarkerOffset] = record.formatMarker;
  WriteTextField(Field(bytes, kMFfuncOffset), HexByteText(record.MFfunc));
  WriteTextField(Field(bytes, kMFresetOffset), std::to_string(record.MFreset));
  WriteI32(bytes, kDeviceCategoryOffset, CategoryOrZero(record.deviceCategory));
  WriteTextField(Field(bytes, kAFFuncBResetOffset), HexByteText(record.AFFuncBReset));
  const auto limit = static_cast<std::uint16_t>(record.DataWriteNumLimit);
  image[kDataWriteNumLimitOffset] = static_cast<std::uint8_t>(limit & 0xFF);
  image[kDataWriteNumLimitOffset + 1] = static_cast<std::uint8_t>(limit >> 8);
  return image;
}

CLensUpdateInfoData UnpackLensRecord(std::span<const std::uint8_t> stored) {
  LensRecordImage image{};
  std::copy_n(stored.begin(), std::min(stored.size(), image.size()), image.begin());
  const std::span<const std::uint8_t> bytes(image);

  CLensUpdateInfoData record;
  for (const auto& f : kTextFields) record.*f.member = ReadTextField(Field(bytes, f.offset));
  for (const auto& f : kPicturePathFields) {
    record.*f.member = ToLocalSeparators(ReadTextField(Field(bytes, f.offset)));
  }
  for (const auto& f : kFlagFields) record.*f.member = ReadTextField(Field(bytes, f.offset)) == "YES" ? 1 : 0;
  for (const auto& f : kInt32Fields) record.*f.member = ReadI32(bytes, f.offset);
  record.formatMarker = image[kFormatMarkerOffset];
  record.MFfunc = update::SwitchByte(ReadTextField(Field(bytes, kMFfuncOffset)));
  record.MFreset = update::ClampMFreset(ReadTextField(Field(bytes, kMFresetOffset)));
  record.deviceCategory = CategoryOrZero(ReadI32(bytes, kDeviceCategoryOffset));
  record.AFFuncBReset = update::SwitchByte(ReadTextField(Field(bytes, kAFFuncBResetOffset)));
  record.DataWriteNumLimit = static_cast<std::int16_t>(
      static_cast<std::uint16_t>(image[kDataWriteNumLimitOffset] | (image[kDataWriteNumLimitOffset + 1] << 8)));

  // Records of earlier program versions carried only the numeric identity.
  if (record.productId != -1 && record.productCodeText.empty()) {
    record.productCodeText = std::to_string(record.productId);
    record.productId = -1;
  }
  update::BuildListsFromRawTexts(record);
  return record;
}

DockRecordImage PackDockRecord(const update::_DOCK_INFO_DATA& record) {
  DockRecordImage image{};
  const std::span<std::uint8_t> bytes(image);
  WriteU32(bytes, 0, static_cast<std::uint32_t>(kDockRecordSize));
  const std::string* texts[] = {&record.mountText, &record.mountName, &record.versionText,
                                &record.displayVersion};
  for (std::size_t i = 0; i < 4; ++i) WriteTextField(Field(bytes, kDockTextOffsets[i]), *texts[i]);
  return image;
}

update::_DOCK_INFO_DATA UnpackDockRecord(std::span<const std::uint8_t> stored) {
  DockRecordImage image{};
  std::copy_n(stored.begin(), std::min(stored.size(), image.size()), image.begin());
  const std::span<const std::uint8_t> bytes(image);
  update::_DOCK_INFO_DATA record;
  record.recordSize = ReadU32(bytes, 0);
  std::string* texts[] = {&record.mountText, &record.mountName, &record.versionText, &record.displayVersion};
  for (std::size_t i = 0; i < 4; ++i) *texts[i] = ReadTextField(Field(bytes, kDockTextOffsets[i]));
  return record;
}

}  // namespace cbx::records
