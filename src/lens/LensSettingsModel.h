// The in-memory model of a lens's settings: the two data-area images as last read from or
// written to the lens, where the CS record sits in them, the edited values the screens change
// (always in their stored, bit-inverted form), the default data, the composition of blocks for
// writing, and the change tests. One object per process; no lock: the screens and the transfer
// workers never use it at the same time.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <stdexcept>
#include <vector>

#include "lens/AfData.h"
#include "update/LensUpdateInfo.h"

namespace cbx::lens {

// Raised when the product information names no block-0 place for a record or table, or a
// grid needs more zoom ratios than there are. Transfer workers turn it into result 4.
class LensModelArgumentError : public std::invalid_argument {
 public:
  using std::invalid_argument::invalid_argument;
};

// One area image: block i of a data area, each buffer owned by the image.
using Block = std::vector<std::uint8_t>;
using Image = std::vector<Block>;

// Copies the bytes into a new buffer at position index (an index beyond the end appends).
void InsertBlock(Image& image, std::size_t index, std::span<const std::uint8_t> bytes);
// Puts a copy of the bytes in place of block index; nothing happens beyond the end.
void ReplaceBlock(Image& image, std::size_t index, std::span<const std::uint8_t> bytes);
void ClearImage(Image& image);

inline constexpr std::size_t kCsPageSize = 512;           // "CS0" counts pages of this size
inline constexpr std::size_t kStandardCsRecordBytes = 13;  // bytes 0..12
inline constexpr std::size_t kMlCsRecordBytes = 8;         // bytes 0..7

// One default fragment of the CS record taken from a firmware file (or computed).
struct _LENS_CS_ADDRESS_DATA {
  std::vector<std::uint8_t> data;
  std::int32_t length = 0;      // bytes in data
  std::int32_t blockIndex = 0;  // cs0List index
  std::int32_t offset = 0;      // cs0List offset
};

enum class DeviceClass { kStandard, kMlMount };

// What ComposeCsRecord writes into the record places of a block.
enum class CsSource { kEditedValues, kSnapshot, kDefaults };

// Where LoadCsDefaults took its fragments from.
enum class CsDefaultsOrigin {
  kNone,          // nothing usable (no CS map, mismatched list, or no firmware file)
  kFirmwareFile,  // every place read from the file
  kComputed,      // the file was short or named a bad block: computed defaults
};

enum class MfSensitivity : int { kNormal = 0, kSlow = 1, kFast = 2 };

// The two focus-limiter handle positions the limiter screen starts from.
struct LimiterStart {
  int first = 0;   // standard: upper index u; ml mount: the position
  int second = 0;  // standard: lower index l; ml mount: always 0
  bool valid = true;  // false when the lens held out-of-range data (reported as 90/38)
};

// ml-mount devices keep their CS record in a separate area with their own layout.
bool IsMlMountCode(int mountCode);

// Decoding of a three-way setting (AF speed, OS mode): values above 2 read as 0.
int DecodeThreeWay(std::uint8_t stored);

// Mode groups: four stored bytes, low byte first (AF speed, limiter upper, limiter lower, OS).
std::uint8_t GroupByte(std::uint32_t group, int byteIndex);
std::uint32_t WithGroupByte(std::uint32_t group, int byteIndex, std::uint8_t value);
std::uint32_t MakeGroup(std::uint8_t b0, std::uint8_t b1, std::uint8_t b2, std::uint8_t b3);

// Manual-override word: low byte switch (0x55 on, else off), high byte level.
bool MfSwitchOn(std::uint16_t mfWord);
int MfLevel(std::uint16_t mfWord);  // stored 0xFF -> 1, stored below 0xF0 -> 15
// A switch byte that is neither 0x55 nor 0xFF becomes 0xFF (off).
std::uint16_t NormalizeMfWord(std::uint16_t mfWord);
std::uint8_t EncodeMfLevel(int level);  // clamped into 1..15, then inverted

bool AfFunctionIsAfOn(std::uint8_t afFunctionByte);  // 0x55 = "AF-ON", else "AFL"
MfSensitivity DecodeMfSensitivity(std::uint8_t stored);
std::uint8_t EncodeMfSensitivity(MfSensitivity value);

// The stored write counter after one more write (0xFFFF and 0x0000 both give 0xFFFE).
std::uint16_t IncrementedWriteCounter(std::uint16_t stored);
// Number of CS writes so far; a complement of 0xFFFF (stored 0) counts as 0.
std::uint16_t WriteCount(std::uint16_t stored);

// Index of the far limit in the encoder positions (n for an ascending list).
int FarLimitIndex(std::span<const double> positions);

class LensSettingsModel {
 public:
  // ---- the connected device ----

  // A copy of the product information of the connected lens; everything below reads it.
  void SetLensInfo(const update::CLensUpdateInfoData& info);
  const update::CLensUpdateInfoData& LensInfo() const { return lens_; }
  update::CLensUpdateInfoData& LensInfo() { return lens_; }

  bool IsMlMount() const { return IsMlMountCode(lens_.mountCode); }
  DeviceClass GetDeviceClass() const { return IsMlMount() ? DeviceClass::kMlMount : DeviceClass::kStandard; }
  // The teleconverter set of the connected device; none for an unknown mount code.
  std::optional<int> CurrentAfSet() const { return AfSetForMountCode(lens_.mountCode); }

  // Product default of the ml-mount limiter position (FocusLimitCtrlReset).
  int ProductLimiterDefault() const;
  // Number of encoder positions, 0 when there are none.
  int EncoderPositionCount() const;
  int FarLimitIndex() const;

  // ---- area images ----

  Image AfImage;
  Image CsImage;

  // Offset of the CS record in CsImage block 0: the first cs0List entry with index 0.
  // Throws LensModelArgumentError when there is none.
  std::size_t CsRecordOffset() const;
  // cs0List.count pages.
  std::size_t CsRecordSize() const;

  // ---- edited values (stored form) ----

  std::int32_t selectedMode = 1;
  std::uint32_t mode1Group = 0;
  std::uint32_t mode2Group = 0;
  std::uint16_t mfWord = 0;
  std::uint8_t afFunctionByte = 0;
  std::uint16_t writeCounter = 0;
  std::uint8_t mfSensitivityByte = 0;
  std::vector<std::uint8_t> csSnapshot;  // whole record region; empty when none was taken
  std::vector<_LENS_CS_ADDRESS_DATA> csDefaults;

  // mode1Group when selectedMode is 1, mode2Group otherwise.
  std::uint32_t& SelectedGroup() { return selectedMode == 1 ? mode1Group : mode2Group; }
  std::uint32_t SelectedGroup() const { return selectedMode == 1 ? mode1Group : mode2Group; }

  // Edits of the selected group.
  void SetAfSpeed(int value);
  void SetOsMode(int value);
  // Two slider positions: ordered (upper = max) on a standard device, as given on an ml mount.
  void SetLimiter(int a, int b);

  void SetMfSwitch(bool on);
  void SetMfLevel(int level);
  void SetAfFunction(bool afOn);
  void SetMfSensitivity(MfSensitivity value);

  // ---- readers (from the CS record in CsImage; false when it is empty or too short) ----

  // Standard record: bytes 0..7 as stored. ml mount: the two groups built from bytes 4..7
  // (bytes 0 and 2 of each group are 0; a stored 0xFF limiter is the inverted product default).
  bool ReadModeGroups(std::array<std::uint8_t, 8>& out) const;
  bool ReadModeGroups(std::uint32_t& mode1, std::uint32_t& mode2) const;
  // The lens's group for a mode (1, else 2); reports 61/36 on failure.
  bool GetCSSingleData(int mode, std::uint32_t& out) const;
  bool ReadMfWord(std::uint16_t& out) const;
  bool ReadAfFunctionByte(std::uint8_t& out) const;
  bool ReadWriteCounter(std::uint16_t& out) const;
  bool ReadMfSensitivityByte(std::uint8_t& out) const;

  // Loads mfWord from the lens the way a screen does: an unknown switch byte becomes off.
  bool LoadMfWord();

  // ---- change tests (edited values against the lens's record) ----

  // Bytes 1 and 3 always; bytes 0 and 2 only on a standard device.
  bool GroupsEqual(std::uint32_t a, std::uint32_t b) const;
  bool IsChangeCSDoubleData() const;
  bool IsChangeCSData(int mode) const;
  bool IsChangeMFData() const;
  bool IsAfFunctionChanged() const;
  bool IsMfSensitivityChanged() const;
  // True when the lens's group for the mode equals the product defaults.
  bool GetCustomModeChangeStatus(int mode) const;

  // ml mount: customisation stays open while the write count is below DataWriteNumLimit.
  bool IsWriteCountWithinLimit() const;

  // Start positions of the limiter screen for a group; out-of-range data reports 90/38.
  LimiterStart FixInitFLValue(std::uint32_t group) const;

  // ---- defaults ----

  // The computed defaults of both mode groups.
  void ResetEditedValues();
  // ResetEditedValues plus the manual override and AF function from the product information.
  void ResetAllEditedValues();
  // Fills csDefaults from the lens firmware file (fwLocalPath, or the given file).
  CsDefaultsOrigin LoadCsDefaults();
  CsDefaultsOrigin LoadCsDefaults(const std::filesystem::path& firmwareFile);
  void ClearCsDefaults() { csDefaults.clear(); }

  // Copies the CS record region of CsImage into csSnapshot.
  bool SaveCsSnapshot();

  // ---- composition for writing ----

  // Writes the record into every cs0List place of block blockIndex. False (nothing written)
  // when a place does not fit inside the block or the snapshot is larger than the region.
  bool ComposeCsRecord(int blockIndex, std::span<std::uint8_t> block, CsSource source,
                       DeviceClass deviceClass) const;
  bool ComposeCsRecord(int blockIndex, std::span<std::uint8_t> block, CsSource source) const {
    return ComposeCsRecord(blockIndex, block, source, GetDeviceClass());
  }

  // ---- AF fine adjustment (AfData.cpp) ----

  AfTable afEditBuffer = FilledTable();
  std::array<AfTable, kAfSetCount> afSetBuffers{FilledTable(), FilledTable(), FilledTable()};

  // The current set's table from the first block-0 place of its list. False when AfImage is
  // empty or the place lies outside block 0; throws LensModelArgumentError without a place.
  bool ReadAfTable(AfTable& out) const;
  bool ReadAfTableOfSet(int set, AfTable& out) const;
  // afEditBuffer into every place of block blockIndex (half-scale into the AFPA places).
  // False (nothing written) when a place does not fit inside the block.
  bool ComposeAfTables(int blockIndex, std::span<std::uint8_t> block, AfScope scope) const;
  // afSetBuffers, set by set, into the places of block blockIndex.
  bool ComposeSavedAfTables(int blockIndex, std::span<std::uint8_t> block) const;
  // Reports 53/35 when the lens's table cannot be read (and compares with zeros).
  bool IsChangeAFData() const;

  // Grids: four for a zoom lens, one otherwise; extra grids passed in are left alone.
  void UpdateAFGridValue(std::span<AfGridState> grids) const;
  // Writes the grid cells into afEditBuffer; returns IsChangeAFData (the Write button).
  bool StoreGridValues(std::span<const AfGridState> grids, int which);
  // Every cell to 0, all grids stored; returns IsChangeAFData.
  bool ClearAfAdjustment(std::span<AfGridState> grids);

  static AfTable FilledTable(std::uint8_t value = 0xFF) {
    AfTable t;
    t.fill(value);
    return t;
  }

 private:
  // The CS record in CsImage block 0 when at least `need` bytes of it lie inside the block.
  std::optional<std::span<const std::uint8_t>> CsRecord(std::size_t need) const;
  bool ReadTableFromLists(const update::OffsetList& list, AfTable& out) const;
  std::uint8_t InvertedProductDefault() const;

  update::CLensUpdateInfoData lens_;
};

}  // namespace cbx::lens
