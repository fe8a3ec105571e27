// Opening the USB device from the command line the way the connect thread finds it.
#pragma once

#include "dock/DockDevice.h"

namespace cbx::cli {

// Runs the connect thread until it opens a device or `waitSeconds` pass; the connect
// thread is stopped either way and posts go nowhere afterwards.
bool WaitForDevice(dock::DockDevice& dock, double waitSeconds);

}  // namespace cbx::cli
