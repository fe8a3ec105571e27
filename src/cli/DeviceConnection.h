// Opening the USB device from the command line the way the connect thread finds it.
#pragma once

#include <ostream>

#include "dock/DockDevice.h"

namespace cbx::cli {

// Runs the connect thread until it opens a device or `waitSeconds` pass; the connect
// thread is stopped either way and posts go nowhere afterwards.
bool WaitForDevice(dock::DockDevice& dock, double waitSeconds);

// Says why no device could be used (nothing there, or a device this user may not open,
// with what to do about it) and returns the exit code for it.
int ReportNoDevice(const dock::DockDevice& dock, std::ostream& out);

}  // namespace cbx::cli
