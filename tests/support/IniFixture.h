// Product information files for tests: an ordered key list that a case can change.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace cbx::test {

using IniKeys = std::vector<std::pair<std::string, std::string>>;
// A change: a new value, or nullopt to leave the key out.
using IniChange = std::pair<std::string, std::optional<std::string>>;

inline IniKeys WithChanges(IniKeys keys, const std::vector<IniChange>& changes) {
  for (const auto& [key, value] : changes) {
    auto it = keys.begin();
    while (it != keys.end() && it->first != key) ++it;
    if (!value) {
      if (it != keys.end()) keys.erase(it);
    } else if (it != keys.end()) {
      it->second = *value;
    } else {
      keys.emplace_back(key, *value);
    }
  }
  return keys;
}

inline std::string IniText(const std::string& section, const IniKeys& keys) {
  std::string text = "[" + section + "]\r\n";
  for (const auto& [key, value] : keys) text += key + "=" + value + "\r\n";
  return text;
}

// A lens file that every branch accepts.
inline const IniKeys kCompleteLens = {
    {"FWFileName", "LensFW.bin"},   {"Fwversion", "1.2.03.0007"},
    {"UpDate", "2024/05/01"},       {"DockVersion", "1.0.00.0000"},
    {"Fwpath", "FW/1.2.03.0007"},   {"InfoPath", "Doc"},
    {"LensName", "Lens A"},         {"MustFwUp", "NO"},
    {"CustomSW", "YES"},            {"OScontrol", "YES"},
    {"FocusLimitCtrl", "YES"},      {"FocusLimitCtrlReset", "0x01"},
    {"AFspeedCtrl", "NO"},          {"FocusCtrl", "YES"},
    {"ZoomLens", "YES"},            {"FocalLength", "24,,70"},
    {"MountName", "EO mount"},      {"EncoderPosition", "0.5, 1.25,"},
    {"ScaleRatio", "10,20"},        {"ZoomRatio", ",1,2"},
    {"FW", "3,0,10,1000,0,4,2000,4,6"}, {"AF", "1,8000,16,8000,0,16"},
    {"AF0", "2,0,10,1,20"},         {"AF1", ",,2,,0,10"},
    {"AF2", "1,0,30"},              {"CS", "1,9000,8,9000,0,8"},
    {"CS0", "1,0,4"},               {"AFPA0", "1,0,1"},
    {"DisplayVer", "1.03"},         {"AfCsProtect", "YES"},
    {"AfCsProtectReset", "NO"},     {"FwupOk", "YES"},
    {"FirmupMinCBXVerWin", "1.4.0"}, {"MFCtrl", "YES"},
    {"MFfunc", "0xAA"},             {"MFreset", "7"},
    {"AFFuncBCtrl", "YES"},         {"AFFuncBReset", "0xAA"},
    {"MFSensCtrl", "YES"},          {"FirmupTransCtrl", "2"},
    {"DataWriteNumLimit", "300"},
};

}  // namespace cbx::test
