// The byte layout of the two history files: one lens record of 30724 bytes (followed in the
// file by its pictures) and one dock record of 2084 bytes. Offsets live here and nowhere else.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "update/DockHistory.h"
#include "update/LensUpdateInfo.h"

namespace cbx::records {

inline constexpr std::size_t kLensRecordSize = 30724;
inline constexpr std::size_t kDockRecordSize = 2084;

// A text field: 260 UTF-16LE units, the text (at most 259 units) then NULs.
inline constexpr std::size_t kTextFieldBytes = 520;
inline constexpr std::size_t kTextFieldUnits = kTextFieldBytes / 2;

using LensRecordImage = std::array<std::uint8_t, kLensRecordSize>;
using DockRecordImage = std::array<std::uint8_t, kDockRecordSize>;

// Picture paths are stored with '\' between their parts; the others are stored as they are.
LensRecordImage PackLensRecord(const update::CLensUpdateInfoData& record);

// Accepts any length: bytes beyond the image are read as zero, bytes past 30724 are ignored.
// Picture paths come back with '/' between their parts; lists and maps are rebuilt.
update::CLensUpdateInfoData UnpackLensRecord(std::span<const std::uint8_t> image);

// The size field is always written as 2084, so the file stays a sequence of whole records.
DockRecordImage PackDockRecord(const update::_DOCK_INFO_DATA& record);
update::_DOCK_INFO_DATA UnpackDockRecord(std::span<const std::uint8_t> image);

// Writes `text` (UTF-8) into a zeroed text field, cut at 259 units without splitting a
// surrogate pair. `field` must hold at least kTextFieldBytes.
void WriteTextField(std::span<std::uint8_t> field, std::string_view text);
// The text up to the first NUL unit (or the whole field), as UTF-8.
std::string ReadTextField(std::span<const std::uint8_t> field);

// Length of a UTF-8 text in UTF-16 units, the unit that the stored length limits count.
std::size_t Utf16Length(std::string_view text);

std::uint32_t ReadU32(std::span<const std::uint8_t> bytes, std::size_t offset);

}  // namespace cbx::records
