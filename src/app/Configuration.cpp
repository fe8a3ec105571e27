#include "app/Configuration.h"

#include <climits>
#include <filesystem>
#include <system_error>

#include "app/Folders.h"
#include "app/IniFile.h"

namespace cbx {

std::string ConfigFilePath() { return JoinPath(GetFolder(kFolderData), kConfigFileName); }

int TextToInt(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  long long value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = value * 10 + (text[i] - '0');
    if (value > static_cast<long long>(INT_MAX) + 1) break;
  }
  if (negative) value = -value;
  if (value > INT_MAX) return INT_MAX;
  if (value < INT_MIN) return INT_MIN;
  return static_cast<int>(value);
}

void ReadConfiguration(AppConfig& config, const std::string& path) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) return;
  config.serverUrlOverride = ReadIniValue(kConfigSection, "URL", "", path);
  config.emcTestEnabled = ReadIniValue(kConfigSection, "EMC", "", path) == "1";
  config.logEnabled = ReadIniValue(kConfigSection, "LOG", "", path) == "1";
  config.mainWindowX = TextToInt(ReadIniValue(kConfigSection, "MainWindow_X", "0", path));
  config.mainWindowY = TextToInt(ReadIniValue(kConfigSection, "MainWindow_Y", "0", path));
}

bool WriteWindowPosition(int x, int y, const std::string& path) {
  return WriteIniValue(kConfigSection, "MainWindow_X", std::to_string(x), path) &&
         WriteIniValue(kConfigSection, "MainWindow_Y", std::to_string(y), path);
}

}  // namespace cbx
