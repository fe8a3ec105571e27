#include "cli/DeviceConnection.h"

#include <chrono>

#include "cli/CliContext.h"

namespace cbx::cli {

bool WaitForDevice(dock::DockDevice& dock, double waitSeconds) {
  EventQueue events;
  dock.RegisterArrival(&events);
  dock.StartConnectThread();
  const auto deadline =
      std::chrono::steady_clock::now() + std::chrono::milliseconds(static_cast<long long>(waitSeconds * 1000));
  bool opened = false;
  while (!opened) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) break;
    const auto event = events.Next(left);
    opened = event && event->message == WM_DOCK_OPENED;
  }
  dock.StopConnectThread();
  dock.RegisterArrival(nullptr);
  return opened;
}

int ReportNoDevice(const dock::DockDevice& dock, std::ostream& out) {
  const auto denied = dock.DeniedDevicePath();
  if (!denied) {
    out << "calibrix-cli: no device found on " << dock.Backend().Describe() << "\n";
    return kExitNoDevice;
  }
  out << "calibrix-cli: a USB device is connected at " << *denied << ", but this user may not open it.\n"
      << "  Install the device rule 70-calibrix.rules into /usr/lib/udev/rules.d (the package and\n"
      << "  'cmake --install' put it there), run 'sudo udevadm control --reload-rules', then unplug\n"
      << "  the device and plug it in again while you are logged in at this computer.\n"
      << "  Otherwise give your user read and write access to " << *denied << " (for example through\n"
      << "  a group that owns it), then log in again.\n";
  return kExitNoAccess;
}

}  // namespace cbx::cli
