// Picks where DockDevice finds its device: real hardware, virtual devices in this
// process, or virtual devices behind the loopback link.
#pragma once

#include <memory>
#include <string>

#include "dock/HidBackend.h"

namespace cbx::sim {

inline constexpr const char* kDeviceVariable = "CALIBRIX_DEVICE";

// The backend text in force: the command-line value when given, else CALIBRIX_DEVICE,
// else "hid".
std::string SelectedBackendSpec(const std::string& commandLineValue);

// "hid", "sim:PROFILE[,PROFILE...]" or "vhid:HOST:PORT[,HOST:PORT...]". Throws
// std::invalid_argument for other texts and ProfileError for unusable profiles.
std::shared_ptr<dock::HidBackend> MakeBackend(const std::string& backend);

}  // namespace cbx::sim
