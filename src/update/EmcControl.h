// What the EMC test's worker and its front end share: the cancel request, written by the
// front end and read by the worker between steps, and the status text and progress that
// the worker shows. Safe from any thread.
#pragma once

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <utility>

namespace cbx {

// The status texts of the EMC test.
inline constexpr const char* kEmcStatusTransfer = "読み込み中";
inline constexpr const char* kEmcStatusWaiting = "待機中";
inline constexpr const char* kEmcStatusCancelling = "キャンセル中";

class EmcControl {
 public:
  // Told of every status text and progress change, in order, on the thread that made it
  // (the worker, or the front end for the cancel); a window carries them over to its own
  // thread. A listener may press cancel itself.
  struct Listener {
    std::function<void(const std::string& status)> status;
    std::function<void(int min, int max, int position)> progress;
  };

  // The cancel button: the current step finishes first. Shows the cancelling text.
  void RequestCancel() { Show(kEmcStatusCancelling, true); }
  bool CancelRequested() const { return cancelRequested_.load() != 0; }

  // From the worker. Once a cancel is requested the cancelling text stays in view, so the
  // user is never told the test goes on waiting when it is about to end.
  void SetStatus(const std::string& text) { Show(text, false); }
  void SetProgress(int min, int max, int position) {
    std::lock_guard lock(mutex_);
    if (listener_.progress) listener_.progress(min, max, position);
  }
  std::string Status() const {
    std::lock_guard lock(mutex_);
    return status_;
  }

  void SetListener(Listener listener) {
    std::lock_guard lock(mutex_);
    listener_ = std::move(listener);
  }

 private:
  // Under one lock, so a worker's text can never land after the cancelling text.
  void Show(const std::string& text, bool cancel) {
    std::lock_guard lock(mutex_);
    if (cancel) {
      cancelRequested_ = 1;
    } else if (cancelRequested_.load() != 0) {
      return;
    }
    status_ = text;
    if (listener_.status) listener_.status(text);
  }

  std::atomic<int> cancelRequested_{0};
  // Recursive: a listener that presses cancel comes back in on its own thread.
  mutable std::recursive_mutex mutex_;
  std::string status_;
  Listener listener_;
};

}  // namespace cbx
