// Events from the device threads to the controller, with the program's message numbers.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>

namespace cbx {

inline constexpr std::uint32_t WM_APP_BASE = 0x8000;
inline constexpr std::uint32_t UM_SHOW_SCREEN = 0x8001;
inline constexpr std::uint32_t UM_SPIN_CHANGED = 0x8002;
inline constexpr std::uint32_t UM_GRID_SELECTED = 0x8003;
inline constexpr std::uint32_t UM_TRACK_CHANGED = 0x8004;
inline constexpr std::uint32_t UM_TRACK_FOCUS = 0x8005;
inline constexpr std::uint32_t WM_START_MONITORING = 0x8006;
inline constexpr std::uint32_t UM_LENS_HOME = 0x8007;
inline constexpr std::uint32_t WM_DOCK_RESTARTED = 0x8008;
inline constexpr std::uint32_t WM_CONVERTER_RESTARTED = 0x8009;
inline constexpr std::uint32_t UM_MOUNT_HOME = 0x8010;
inline constexpr std::uint32_t UM_FLASH_HOME = 0x8011;
inline constexpr std::uint32_t WM_DOCK_OPENED = 0x8100;
inline constexpr std::uint32_t WM_DOCK_STATUS = 0x8101;
inline constexpr std::uint32_t UM_WORKER_DONE = 0x8101;
// A matching device is present but this user may not open it; posted once until that changes.
inline constexpr std::uint32_t WM_DOCK_ACCESS_DENIED = 0x8102;
// The platform's "devices changed" notice; only the node-list change is used.
inline constexpr std::uint32_t WM_DEVICECHANGE = 0x0219;
inline constexpr std::uintptr_t DBT_DEVNODES_CHANGED = 7;

struct Event {
  std::uint32_t message = 0;
  std::uintptr_t wParam = 0;
  std::intptr_t lParam = 0;
};

// Receives posted events; Post may be called from any thread and must not block long.
class EventSink {
 public:
  virtual ~EventSink() = default;
  virtual void Post(const Event& event) = 0;
};

// A thread-safe queue of events, for the CLI and for tests.
class EventQueue : public EventSink {
 public:
  void Post(const Event& event) override {
    {
      std::lock_guard lock(mutex_);
      events_.push_back(event);
    }
    cv_.notify_all();
  }

  // The next event, waiting at most `timeout`.
  std::optional<Event> Next(std::chrono::milliseconds timeout) {
    std::unique_lock lock(mutex_);
    if (!cv_.wait_for(lock, timeout, [this] { return !events_.empty(); })) return std::nullopt;
    Event e = events_.front();
    events_.pop_front();
    return e;
  }

  std::size_t Size() const {
    std::lock_guard lock(mutex_);
    return events_.size();
  }

 private:
  mutable std::mutex mutex_;
  std::condition_variable cv_;
  std::deque<Event> events_;
};

}  // namespace cbx
