#include "update/LensUpdateInfo.h"

#include "dock/IdentificationRules.h"
#include "update/ParseRules.h"

namespace cbx::update {

namespace {

constexpr std::string_view kUnreadableDisplay = "f.ff";

bool IsTl(int mountCode) { return mountCode == 0x90 || mountCode == 0x91 || mountCode == 0x92; }

}  // namespace

void BlockMap::Clear() { *this = BlockMap{}; }

void OffsetList::Clear() { *this = OffsetList{}; }

void ParseBlockMap(std::string_view text, BlockMap& map) {
  map.Clear();
  const auto tokens = ListTokens(text);
  for (std::size_t i = 0; i < tokens.size(); ++i) {
    const std::string_view token = tokens[i];
    if (i == 0) map.count = AtoiLike(token);
    else if (i == 1) map.base = HexLike(token);
    else if (i == 2) map.total = AtoiLike(token);
    else if (i % 3 == 0) map.address.push_back(HexLike(token));
    else if (i % 3 == 1) map.start.push_back(AtoiLike(token));
    else map.length.push_back(AtoiLike(token));
  }
}

void ParseOffsetList(std::string_view text, OffsetList& list) {
  list.Clear();
  const auto tokens = ListTokens(text);
  for (std::size_t i = 0; i < tokens.size(); ++i) {
    if (i == 0) list.count = AtoiLike(tokens[i]);
    else if (i % 2 == 1) list.index.push_back(AtoiLike(tokens[i]));
    else list.offset.push_back(HexLike(tokens[i]));
  }
}

void CLensUpdateInfoData::Clear() {
  const int keptTransferMethod = transferMethod;
  *this = CLensUpdateInfoData{};
  transferMethod = keptTransferMethod;
}

bool CLensUpdateInfoData::IsSameDevice(const CLensUpdateInfoData& other) const {
  if (serialNumber != other.serialNumber) return false;
  const bool sameIdentity =
      productId == -1 ? productCodeText == other.productCodeText : productId == other.productId;
  return sameIdentity && formatMarker == other.formatMarker && mountCode == other.mountCode;
}

void BuildMapsFromRawTexts(CLensUpdateInfoData& record) {
  ParseBlockMap(record.rawFW, record.fwMap);
  ParseBlockMap(record.rawAF, record.afMap);
  ParseOffsetList(record.rawAF0, record.af0List);
  ParseOffsetList(record.rawAF1, record.af1List);
  ParseOffsetList(record.rawAF2, record.af2List);
  ParseBlockMap(record.rawCS, record.csMap);
  ParseOffsetList(record.rawCS0, record.cs0List);
  ParseOffsetList(record.rawAFPA0, record.afpa0List);
  ParseOffsetList(record.rawAFPA1, record.afpa1List);
  ParseOffsetList(record.rawAFPA2, record.afpa2List);
}

void BuildListsFromRawTexts(CLensUpdateInfoData& record) {
  record.focalLengths.clear();
  record.scaleRatios.clear();
  record.zoomRatios.clear();
  for (const auto token : ListTokens(record.rawFocalLength)) record.focalLengths.emplace_back(token);
  for (const auto token : ListTokens(record.rawScaleRatio)) record.scaleRatios.push_back(AtoiLike(token));
  for (const auto token : ListTokens(record.rawZoomRatio)) record.zoomRatios.push_back(AtoiLike(token));
  record.encoderPositions.clear();
  for (const auto token : ListTokens(record.rawEncoderPosition))
    record.encoderPositions.push_back(StrtodLike(token));
  BuildMapsFromRawTexts(record);
}

std::string MakeDisplayName(const CLensUpdateInfoData& record) {
  return record.productName + dock::TeleconverterSuffix(record.mountCode);
}

std::string GetVersionMask(const CLensUpdateInfoData& record) {
  return record.IsExtendedFormat() ? "F.FF.FFFF.F" : "F.F.FF.FFFF";
}

std::string GetVersionText(const CLensUpdateInfoData& record) {
  if (!record.IsExtendedFormat()) return record.rawVersion;
  // Lenses of these mounts share one server file per tens step of the minor version.
  if (IsTl(record.mountCode)) return record.rawVersion.substr(0, 3) + "0";
  return record.rawVersion.substr(0, 4);
}

std::string GetDisplayVersion(CLensUpdateInfoData& record) {
  if (record.IsExtendedFormat()) {
    record.DisplayVer = record.rawVersion == GetVersionMask(record) ? std::string(kUnreadableDisplay)
                                                                     : record.rawVersion.substr(0, 4);
  }
  return record.DisplayVer == kUnreadableDisplay ? std::string() : record.DisplayVer;
}

}  // namespace cbx::update
