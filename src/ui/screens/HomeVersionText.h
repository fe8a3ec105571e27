// How the home screens write a device version for its mount.
#pragma once

#include <string>

namespace cbx::ui {

// Lens home: 0x60 puts "0" first, 0x90 drops the character at index 3, 0xA0 inserts "." there.
std::string LensHomeVersion(std::string version, int mountCode);
// Mount-converter home: 0x60 puts "0" first and drops index 3; 0x90 to 0x92 drop index 3.
std::string MountHomeVersion(std::string version, int mountCode);

}  // namespace cbx::ui
