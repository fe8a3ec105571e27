#include "ui/screens/HomeVersionText.h"

namespace cbx::ui {

namespace {
void DropAt3(std::string& v) {
  if (v.size() > 3) v.erase(3, 1);
}
}  // namespace

std::string LensHomeVersion(std::string version, int mountCode) {
  if (version.empty()) return version;
  if (mountCode == 0x60) version[0] = '0';
  if (mountCode == 0x90) DropAt3(version);
  if (mountCode == 0xA0 && version.size() >= 3) version = version.substr(0, 3) + "." + version.substr(3);
  return version;
}

std::string MountHomeVersion(std::string version, int mountCode) {
  if (version.empty()) return version;
  if (mountCode == 0x60) {
    version[0] = '0';
    DropAt3(version);
  }
  if (mountCode >= 0x90 && mountCode <= 0x92) DropAt3(version);
  return version;
}

}  // namespace cbx::ui
