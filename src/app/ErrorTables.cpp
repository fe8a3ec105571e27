#include "app/ErrorTables.h"

#include <array>
#include <cstdio>
#include <utility>

namespace cbx {

namespace {

constexpr std::pair<int, std::string_view> kFunctionNames[] = {
    {1, "StartDockFWUpdateSequence"},
    {2, "StartLensFWUpdateSequence"},
    {3, "DockFWUpdateCheckThread"},
    {4, "LensFWUpdateCheckThread"},
    {5, "LoadLensUpdateInfoData"},
    {6, "SaveLensUpdateInfoData"},
    {7, "LoadImageFile"},
    {8, "SaveImageFile"},
    {10, "DockFWUpdate"},
    {11, "DockFWUpdateThread"},
    {20, "LensFWUpdate"},
    {21, "LensFWUpdateThread"},
    {30, "AFDataWrite"},
    {31, "AFDataWritingThread"},
    {40, "CSDataWrite"},
    {41, "CustomDataWritingThread"},
    {50, "OnBnClickedBtnAfFocusAdjBack"},
    {51, "OnBnClickedBtnAfFocusAdjWrite"},
    {52, "UpdateAFGridValue"},
    {53, "IsChangeAFData"},
    {54, "AFDataReadThread"},
    {60, "OnBnClickedBtnSelDtlsWrite"},
    {61, "GetCSSingleData"},
    {62, "IsChangeCSDoubleData"},
    {63, "IsChangeCSData"},
    {64, "GetCustomModeChangeStatus"},
    {65, "UpdateControls"},
    {66, "SetMessageText"},
    {67, "OnBnClickedBtnSelDtlsBack"},
    {68, "CSDataReadThread"},
    {70, "BothDataRead"},
    {71, "BothDataReadThread"},
    {80, "EMCReadAFData"},
    {81, "EMCWriteAFData"},
    {90, "FixInitFLValue"},
    {100, "OnBnClickedBtnManualBack"},
    {101, "OnBnClickedBtnManualWrite"},
    {103, "IsChangeMFData"},
    {110, "OnBnClickedBtnAfFuncSetBack"},
    {111, "OnBnClickedBtnAfFuncSetWrite"},
};

// Indexed by error number; 0 is unused.
constexpr std::array<std::string_view, 41> kErrorTexts{
    "",
    "Cannot Read DOCK FW Ver.",
    "Cannot Check DOCK Update",
    "Cannot Read Lens SerialNo.",
    "Cannot Read Lens MountCode",
    "Cannot Read Lens FW Ver.",
    "Failed to Update ErrLens",
    "Cannot Check Lens Update",
    "Cannot Get Lens Info",
    "Failed to Create Local Folder",
    "Failed to Download",
    "Failed to Get Server URL",
    "Failed to Open Lens History File",
    "Failed to Load Lens Image File",
    "Failed to Load AF Scale Image File",
    "Failed to Load FL Scale Image File",
    "Failed to Open File",
    "Failed to Write File",
    "Failed to Save Lens Image",
    "Failed to Save AF Scal Image",
    "Failed to Save FL Scal Image",
    "Failed to Overwrite File",
    "Failed to Delete Temp File",
    "Size of File is Different",
    "Failure",
    "Dock failure",
    "DOCK Req Command Err",
    "DOCK Res Command Err",
    "Size of Sector is Different",
    "UPDATE_STATUS Command Err",
    "Other Err",
    "Lens failure",
    "Dock is not Connected",
    "Lens is not Connected",
    "Failed to Copy BlockData",
    "Failed to Get AF Data",
    "Failed to Get CS Data",
    "Failed to Get Selected CS Mode Data",
    "Data Out of Range",
    "Failed to Get MF Data",
    "Failed to Get AFFUNC Data",
};

}  // namespace

std::string_view FunctionName(int functionNumber) {
  for (const auto& [number, name] : kFunctionNames) {
    if (number == functionNumber) return name;
  }
  return {};
}

std::string_view ErrorText(int errorNumber) {
  if (errorNumber <= 0 || errorNumber >= static_cast<int>(kErrorTexts.size())) return {};
  return kErrorTexts[static_cast<std::size_t>(errorNumber)];
}

std::string BuildErrorReport(int functionNumber, int errorNumber, std::uint16_t commandCode,
                             std::string_view detail) {
  std::string text(ErrorText(errorNumber));
  if (errorNumber == 26 || errorNumber == 27) {
    char suffix[16];
    std::snprintf(suffix, sizeof suffix, ":%4x", static_cast<unsigned>(commandCode));
    text += suffix;
  }
  std::string report = "Func::";
  report += FunctionName(functionNumber);
  report += "\nErrNo.";
  report += std::to_string(functionNumber * 100 + errorNumber);
  report += "::";
  report += text;
  if (!detail.empty()) {
    report += ":\"";
    report += detail;
    report += "\"";
  }
  return report;
}

}  // namespace cbx
