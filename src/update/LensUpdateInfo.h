// The record of one device (lens, cine lens, flash unit or mount converter) together with
// what its product information file says about it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace cbx::update {

inline constexpr std::uint8_t kExtendedFormatMarker = 0xAA;

// Where the lens keeps one kind of data: "count,base,total" then address/start/length groups.
struct BlockMap {
  int count = 0;
  std::uint32_t base = 0;
  int total = 0;
  std::vector<std::uint32_t> address;
  std::vector<int> start;
  std::vector<int> length;

  void Clear();
  bool operator==(const BlockMap&) const = default;
};

// "count" then index/offset pairs into a block map.
struct OffsetList {
  int count = 0;
  std::vector<int> index;
  std::vector<std::uint32_t> offset;

  void Clear();
  bool operator==(const OffsetList&) const = default;
};

// Both parsers clear their target first, so reading a file twice never accumulates.
void ParseBlockMap(std::string_view text, BlockMap& map);
void ParseOffsetList(std::string_view text, OffsetList& list);

class CLensUpdateInfoData {
 public:
  std::string lensImagePath;
  std::string focusFcImagePath;
  std::string focusFlImagePath;
  int lensImageSize = 0;
  int focusFcImageSize = 0;
  int focusFlImageSize = 0;
  std::string rawVersion;
  std::string serialNumber;
  int productId = -1;  // numeric identity of records from earlier program versions
  int mountCode = -1;
  std::uint8_t formatMarker = 0;
  std::string productInfoPath;
  std::string messageInfoPath;
  std::string FWFileName;
  std::string Fwpath;
  std::string fwLocalPath;
  std::string btnOsText1, btnOsText2, btnOsText3;
  std::string msgOsText1, msgOsText2, msgOsText3;
  std::string btnAfSpeedText1, btnAfSpeedText2, btnAfSpeedText3;
  std::string msgAfSpeedText1, msgAfSpeedText2, msgAfSpeedText3;
  std::string docLocalPath;
  std::string InfoPath;
  std::string UpDate;
  std::string productName;
  std::string MountName;
  std::string Fwversion;
  std::string DockVersion;
  int FocusCtrl = 0;
  int ZoomLens = 0;
  std::vector<std::string> focalLengths;
  std::vector<int> scaleRatios;
  std::vector<int> zoomRatios;
  int CustomSW = 0;
  int AFspeedCtrl = 0;
  int OScontrol = 0;
  int FocusLimitCtrl = 0;
  std::string FocusLimitCtrlReset;
  std::vector<double> encoderPositions;
  int MustFwUp = 0;
  BlockMap fwMap;
  BlockMap afMap;
  OffsetList af0List, af1List, af2List;
  BlockMap csMap;
  OffsetList cs0List;
  std::string rawFocalLength;
  std::string rawEncoderPosition;
  std::string rawScaleRatio;
  std::string rawZoomRatio;
  std::string rawFW;
  std::string rawAF;
  std::string rawAF0;
  std::string rawAF1;
  std::string rawAF2;
  std::string rawCS;
  std::string rawCS0;
  std::string rawAFPA0;
  std::string rawAFPA1;
  std::string rawAFPA2;
  OffsetList afpa0List, afpa1List, afpa2List;
  std::string DisplayVer;
  int AfCsProtect = 0;
  int AfCsProtectReset = 0;
  int FwupOk = 0;
  std::string FirmupMinCBXVer;
  int programVersionOk = 0;
  int noUpdateInfo = 0;
  int MFCtrl = 0;
  std::uint8_t MFfunc = 0;
  int MFreset = 4;
  std::string productCodeText;
  int deviceCategory = 0;  // 0 lens, 1 mount converter (or a lens read through it), 2 flash, 3 cine lens
  int controllerValue = 0;
  int AFFuncBCtrl = 0;
  std::uint8_t AFFuncBReset = 0;
  int MFSensCtrl = 0;
  int FirmupTransCtrl = -1;
  int transferMethod = 0;
  std::int16_t DataWriteNumLimit = -1;

  // Back to the initial values; the transfer method belongs to the controller and stays.
  void Clear();

  // Same physical device: serial number, identity (product code text, or the numeric
  // identity when this record carries one), version format and mount code all agree.
  bool IsSameDevice(const CLensUpdateInfoData& other) const;

  bool IsExtendedFormat() const { return formatMarker == kExtendedFormatMarker; }

  bool operator==(const CLensUpdateInfoData&) const = default;
};

// Refills focal lengths, scale and zoom ratios, then encoder positions, then every block map
// and offset list from the raw texts (also used when a stored record is loaded).
void BuildListsFromRawTexts(CLensUpdateInfoData& record);
// Only the block maps and offset lists.
void BuildMapsFromRawTexts(CLensUpdateInfoData& record);

// The product name with " (1.4x)" or " (2x)" for a device behind a teleconverter.
std::string MakeDisplayName(const CLensUpdateInfoData& record);

// The version text a device reports when it has no readable firmware version.
std::string GetVersionMask(const CLensUpdateInfoData& record);

// The version as it appears in server file names.
std::string GetVersionText(const CLensUpdateInfoData& record);

// The version shown to the user; empty when none can be read. For the extended format it
// first refreshes DisplayVer from the device's own version.
std::string GetDisplayVersion(CLensUpdateInfoData& record);

}  // namespace cbx::update
