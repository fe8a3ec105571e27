#include "cli/RecordJson.h"

namespace cbx::cli {

using nlohmann::ordered_json;

ordered_json ToJson(const update::BlockMap& map) {
  return {{"count", map.count}, {"base", map.base},     {"total", map.total},
          {"address", map.address}, {"start", map.start}, {"length", map.length}};
}

ordered_json ToJson(const update::OffsetList& list) {
  return {{"count", list.count}, {"index", list.index}, {"offset", list.offset}};
}

ordered_json ToJson(const update::CLensUpdateInfoData& r) {
  ordered_json out;
  out["lensImagePath"] = r.lensImagePath;
  out["focusFcImagePath"] = r.focusFcImagePath;
  out["focusFlImagePath"] = r.focusFlImagePath;
  out["lensImageSize"] = r.lensImageSize;
  out["focusFcImageSize"] = r.focusFcImageSize;
  out["focusFlImageSize"] = r.focusFlImageSize;
  out["rawVersion"] = r.rawVersion;
  out["serialNumber"] = r.serialNumber;
  out["productId"] = r.productId;
  out["mountCode"] = r.mountCode;
  out["formatMarker"] = r.formatMarker;
  out["productInfoPath"] = r.productInfoPath;
  out["messageInfoPath"] = r.messageInfoPath;
  out["FWFileName"] = r.FWFileName;
  out["Fwpath"] = r.Fwpath;
  out["fwLocalPath"] = r.fwLocalPath;
  out["btnOsText1"] = r.btnOsText1;
  out["btnOsText2"] = r.btnOsText2;
  out["btnOsText3"] = r.btnOsText3;
  out["msgOsText1"] = r.msgOsText1;
  out["msgOsText2"] = r.msgOsText2;
  out["msgOsText3"] = r.msgOsText3;
  out["btnAfSpeedText1"] = r.btnAfSpeedText1;
  out["btnAfSpeedText2"] = r.btnAfSpeedText2;
  out["btnAfSpeedText3"] = r.btnAfSpeedText3;
  out["msgAfSpeedText1"] = r.msgAfSpeedText1;
  out["msgAfSpeedText2"] = r.msgAfSpeedText2;
  out["msgAfSpeedText3"] = r.msgAfSpeedText3;
  out["docLocalPath"] = r.docLocalPath;
  out["InfoPath"] = r.InfoPath;
  out["UpDate"] = r.UpDate;
  out["productName"] = r.productName;
  out["MountName"] = r.MountName;
  out["Fwversion"] = r.Fwversion;
  out["DockVersion"] = r.DockVersion;
  out["FocusCtrl"] = r.FocusCtrl;
  out["ZoomLens"] = r.ZoomLens;
  out["focalLengths"] = r.focalLengths;
  out["scaleRatios"] = r.scaleRatios;
  out["zoomRatios"] = r.zoomRatios;
  out["CustomSW"] = r.CustomSW;
  out["AFspeedCtrl"] = r.AFspeedCtrl;
  out["OScontrol"] = r.OScontrol;
  out["FocusLimitCtrl"] = r.FocusLimitCtrl;
  out["FocusLimitCtrlReset"] = r.FocusLimitCtrlReset;
  out["encoderPositions"] = r.encoderPositions;
  out["MustFwUp"] = r.MustFwUp;
  out["fwMap"] = ToJson(r.fwMap);
  out["afMap"] = ToJson(r.afMap);
  out["af0List"] = ToJson(r.af0List);
  out["af1List"] = ToJson(r.af1List);
  out["af2List"] = ToJson(r.af2List);
  out["csMap"] = ToJson(r.csMap);
  out["cs0List"] = ToJson(r.cs0List);
  out["rawFocalLength"] = r.rawFocalLength;
  out["rawEncoderPosition"] = r.rawEncoderPosition;
  out["rawScaleRatio"] = r.rawScaleRatio;
  out["rawZoomRatio"] = r.rawZoomRatio;
  out["rawFW"] = r.rawFW;
  out["rawAF"] = r.rawAF;
  out["rawAF0"] = r.rawAF0;
  out["rawAF1"] = r.rawAF1;
  out["rawAF2"] = r.rawAF2;
  out["rawCS"] = r.rawCS;
  out["rawCS0"] = r.rawCS0;
  out["rawAFPA0"] = r.rawAFPA0;
  out["rawAFPA1"] = r.rawAFPA1;
  out["rawAFPA2"] = r.rawAFPA2;
  out["afpa0List"] = ToJson(r.afpa0List);
  out["afpa1List"] = ToJson(r.afpa1List);
  out["afpa2List"] = ToJson(r.afpa2List);
  out["DisplayVer"] = r.DisplayVer;
  out["AfCsProtect"] = r.AfCsProtect;
  out["AfCsProtectReset"] = r.AfCsProtectReset;
  out["FwupOk"] = r.FwupOk;
  out["FirmupMinCBXVer"] = r.FirmupMinCBXVer;
  out["programVersionOk"] = r.programVersionOk;
  out["noUpdateInfo"] = r.noUpdateInfo;
  out["MFCtrl"] = r.MFCtrl;
  out["MFfunc"] = r.MFfunc;
  out["MFreset"] = r.MFreset;
  out["productCodeText"] = r.productCodeText;
  out["deviceCategory"] = r.deviceCategory;
  out["controllerValue"] = r.controllerValue;
  out["AFFuncBCtrl"] = r.AFFuncBCtrl;
  out["AFFuncBReset"] = r.AFFuncBReset;
  out["MFSensCtrl"] = r.MFSensCtrl;
  out["FirmupTransCtrl"] = r.FirmupTransCtrl;
  out["transferMethod"] = r.transferMethod;
  out["DataWriteNumLimit"] = r.DataWriteNumLimit;
  return out;
}

nlohmann::ordered_json RecordSummaryJson(update::CLensUpdateInfoData record, int index) {
  nlohmann::ordered_json row;
  row["index"] = index;
  row["productName"] = record.productName;
  row["productCodeText"] = record.productCodeText;
  row["serialNumber"] = record.serialNumber;
  row["deviceCategory"] = record.deviceCategory;
  row["mountCode"] = record.mountCode;
  row["rawVersion"] = record.rawVersion;
  row["displayVersion"] = update::GetDisplayVersion(record);
  row["Fwversion"] = record.Fwversion;
  row["UpDate"] = record.UpDate;
  return row;
}

}  // namespace cbx::cli
