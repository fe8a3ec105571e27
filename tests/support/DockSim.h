// calibrix-dock-sim in its own process, serving one profile on a free loopback port, with
// the lens's memory areas readable through its console.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "support/Subprocess.h"

namespace cbx::test {

class DockSim {
 public:
  // `program` is the simulator's path, `profile` a name from demo/devices or a file.
  DockSim(const std::string& program, const std::string& profile)
      : process_(std::vector<std::string>{program, "--profile", profile, "--listen", "127.0.0.1:0"}) {
    const std::string line = process_.ReadLine();
    const std::string prefix = "listening on ";
    if (line.rfind(prefix, 0) == 0) device_ = "vhid:" + line.substr(prefix.size());
  }
  // The --device value that reaches it; empty when it did not start.
  const std::string& Device() const { return device_; }
  // The bytes of the mounted lens's "af" or "cs" area as they are now.
  std::vector<std::uint8_t> Memory(const std::string& area) {
    process_.Send("memory " + area);
    const std::string line = process_.ReadLine();
    std::vector<std::uint8_t> bytes;
    if (line.rfind("ok", 0) != 0) return bytes;
    for (std::size_t i = 3; i + 1 < line.size(); i += 2) {
      bytes.push_back(static_cast<std::uint8_t>(std::stoi(line.substr(i, 2), nullptr, 16)));
    }
    return bytes;
  }

 private:
  Subprocess process_;
  std::string device_;
};

}  // namespace cbx::test
