#include "cli/DeviceConnection.h"

#include <chrono>

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

}  // namespace cbx::cli
