// The configuration file CBXConfig.ini: three hand-maintained settings and the window place.
#pragma once

#include <string>
#include <string_view>

namespace cbx {

inline constexpr std::string_view kConfigFileName = "CBXConfig.ini";
inline constexpr std::string_view kConfigSection = "CBX Config";

struct AppConfig {
  std::string serverUrlOverride;  // "URL": replaces the built-in update server address
  bool emcTestEnabled = false;    // "EMC" == "1"
  bool logEnabled = false;        // "LOG" == "1"
  int mainWindowX = 0;            // "MainWindow_X"
  int mainWindowY = 0;            // "MainWindow_Y"
};

// Full path of the configuration file in the data folder.
std::string ConfigFilePath();

// Decimal text to a signed number the way the platform's _wtoi does: leading blanks,
// an optional sign, then digits up to the first other character; no digits give 0.
// Values beyond the 32-bit range are clamped.
int TextToInt(std::string_view text);

// Reads URL, EMC, LOG, MainWindow_X and MainWindow_Y, in that order. When the file does
// not exist nothing is read and `config` keeps its values.
void ReadConfiguration(AppConfig& config, const std::string& path);

// Writes MainWindow_X and MainWindow_Y as decimal text, creating the file and its folders
// when needed and keeping every other line as it was. Returns false when it could not.
bool WriteWindowPosition(int x, int y, const std::string& path);

}  // namespace cbx
