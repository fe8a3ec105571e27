// The command language of calibrix-dock-sim: one command per line, one answer per command
// ("ok" or "error: ..."), so that scripts and tests can drive a device in another process.
//
//   plug | unplug | restart | unmount | quit
//   mount PROFILE            mount the attached device of another profile (file or name)
//   swap PROFILE             become the device of another profile (unplug, swap, plug)
//   status BYTE | auto       force the 0x0101 answer, or go back to the mounted device's
//   fault none | silent [CODE] | wrong-code [CODE] | disconnect-after N
//                            (none also ends a forced status)
#pragma once

#include <string>
#include <string_view>

#include "sim/VirtualDevice.h"

namespace cbx::sim {

class SimConsole {
 public:
  explicit SimConsole(VirtualDevice& device) : device_(device) {}

  struct Answer {
    std::string text;  // empty for a blank or comment line, which gets no answer
    bool quit = false;
  };
  Answer Execute(std::string_view line);

 private:
  VirtualDevice& device_;
};

}  // namespace cbx::sim
