// Options shared by every calibrix-cli command.
#pragma once

#include <string>

namespace cbx::cli {

struct CliContext {
  std::string device;  // --device: hid, sim:PROFILE or vhid:HOST:PORT[,...]
  int exitCode = 0;
};

// Exit codes beyond 0 (success) and 1 (failure).
inline constexpr int kExitNoDevice = 3;
inline constexpr int kExitBusy = 4;  // another instance uses the data folder
inline constexpr int kExitNoAccess = 5;  // a device is there but this user may not open it

}  // namespace cbx::cli
