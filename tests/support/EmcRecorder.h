// Runs an EMC test loop on the calling thread and presses cancel at the moment what the
// loop has shown so far meets a condition; records every status text and the progress.
#pragma once

#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "update/EmcControl.h"

namespace cbx::test {

class EmcRecorder {
 public:
  struct Seen {
    std::vector<std::string> statuses;
    int position = -1;  // the latest progress, and its end
    int max = -1;
  };
  // Asked after every status and progress change, on the loop's thread.
  using CancelWhen = std::function<bool(const Seen&)>;

  // Never cancels when `cancelWhen` is empty.
  int Run(EmcControl& control, const std::function<int()>& loop, CancelWhen cancelWhen) {
    const auto check = [this, &control, &cancelWhen] {
      if (cancelled_ || !cancelWhen || !cancelWhen(Get())) return;
      cancelled_ = true;
      control.RequestCancel();
    };
    control.SetListener({[this, check](const std::string& s) {
                           {
                             std::lock_guard lock(mutex_);
                             seen_.statuses.push_back(s);
                           }
                           check();
                         },
                         [this, check](int, int max, int position) {
                           {
                             std::lock_guard lock(mutex_);
                             seen_.position = position;
                             seen_.max = max;
                           }
                           check();
                         }});
    const int result = loop();
    control.SetListener({});
    return result;
  }

  Seen Get() const {
    std::lock_guard lock(mutex_);
    return seen_;
  }

 private:
  mutable std::mutex mutex_;
  Seen seen_;
  bool cancelled_ = false;
};

}  // namespace cbx::test
