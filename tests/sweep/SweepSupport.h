// What every part of the fault sweep shares: which exchange indexes a run is repeated at,
// the faults it is repeated with, the bounds each run must keep, and the counts it prints.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <vector>

#include "dock/Protocol.h"
#include "sim/VirtualDevice.h"
#include "support/ThreadCount.h"

namespace cbx::sweep {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// Short bounds so that a silent or stuck device costs little; the margin is for a loaded
// machine and the sanitizers, and is only used up when something hangs.
inline constexpr milliseconds kReadTimeout{300};
inline constexpr milliseconds kStillWorkingLimit{200};
inline constexpr milliseconds kMargin{2500};

// Indexes a sampled sweep always runs at each end of a run, and how many it spreads between.
inline constexpr std::size_t kEdge = 12;
inline constexpr std::size_t kSpread = 16;

inline bool FullSweep() {
  const char* full = std::getenv("CALIBRIX_SWEEP_FULL");
  return full != nullptr && std::string(full) == "1";
}

inline std::uint32_t SweepSeed() {
  const char* seed = std::getenv("CALIBRIX_SWEEP_SEED");
  return seed != nullptr ? static_cast<std::uint32_t>(std::strtoul(seed, nullptr, 10)) : 1;
}

// Exchange indexes 1..n to repeat a run at: all of them in a full sweep or a short run;
// otherwise the first and last `edge` and `spread` evenly spread between, shifted within
// their stride by the seed so that another seed visits other indexes.
inline std::vector<std::size_t> ExchangePoints(std::size_t n, std::size_t edge = kEdge, std::size_t spread = kSpread) {
  std::vector<std::size_t> points;
  if (FullSweep() || n <= 2 * edge + spread) {
    for (std::size_t k = 1; k <= n; ++k) points.push_back(k);
    return points;
  }
  for (std::size_t k = 1; k <= edge; ++k) points.push_back(k);
  const std::size_t inner = n - 2 * edge;
  const std::size_t stride = inner / spread;
  const std::size_t shift = SweepSeed() % stride;
  for (std::size_t i = 0; i < spread; ++i) points.push_back(edge + 1 + shift + i * stride);
  for (std::size_t k = n - edge + 1; k <= n; ++k) points.push_back(k);
  return points;
}

enum class Fault { Unplug, WrongCode };

inline const char* Name(Fault f) { return f == Fault::Unplug ? "unplugged" : "wrong code"; }

// The device drops off the bus, or answers with a wrong code, at exchange k of the run
// (counted from the moment the faults are set).
inline sim::Faults FaultAt(Fault fault, std::size_t k) {
  sim::Faults faults;
  if (fault == Fault::Unplug) {
    faults.disconnectAfter = k;
  } else {
    faults.reply = sim::ReplyFault::WrongCode;
    faults.replyFaultAfter = k;
  }
  return faults;
}

inline sim::Faults StillWorking(std::uint8_t status) {
  sim::Faults faults;
  faults.stillWorking = status;
  return faults;
}

using test::Threads;

// Runs `run(fault, k)` for each fault at every point, under a trace that names them, and
// checks that each run leaves no thread behind. Returns how many runs it made.
template <class Run>
std::size_t SweepFaults(const std::string& variant, std::size_t exchanges, const std::vector<std::size_t>& points,
                        Run&& run) {
  std::size_t runs = 0;
  for (const Fault fault : {Fault::Unplug, Fault::WrongCode}) {
    for (const std::size_t k : points) {
      SCOPED_TRACE(variant + ", " + Name(fault) + " at exchange " + std::to_string(k) + " of " +
                   std::to_string(exchanges));
      const int threads = Threads();
      run(fault, k);
      ++runs;
      EXPECT_EQ(Threads(), threads);
    }
  }
  return runs;
}

// Runs `run(faults)` with a device that answers "not finished" and then "still working" for
// ever, with the same trace and thread check. Returns how many runs it made.
template <class Run>
std::size_t SweepStillWorking(const std::string& variant, Run&& run) {
  std::size_t runs = 0;
  for (const std::uint8_t status : {dock::kStatusNotFinished, dock::kStatusWorking}) {
    SCOPED_TRACE(variant + ", still working with " + std::to_string(status));
    const int threads = Threads();
    run(StillWorking(status));
    ++runs;
    EXPECT_EQ(Threads(), threads);
  }
  return runs;
}

// One line per variant and a total at the end of the program.
class Counts {
 public:
  static Counts& Instance();
  void Add(const std::string& variant, std::size_t exchanges, std::size_t points, std::size_t runs,
           Clock::duration took);
  void PrintTotal() const;

 private:
  mutable std::mutex mutex_;
  std::size_t variants_ = 0, exchanges_ = 0, points_ = 0, runs_ = 0;
  Clock::duration took_{};
};

// The time a run took, for the bound checks.
class Stopwatch {
 public:
  Clock::duration Elapsed() const { return Clock::now() - start_; }

 private:
  Clock::time_point start_ = Clock::now();
};

inline std::string Ms(Clock::duration d) {
  return std::to_string(std::chrono::duration_cast<milliseconds>(d).count()) + " ms";
}

}  // namespace cbx::sweep
