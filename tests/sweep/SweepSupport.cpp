#include "SweepSupport.h"

namespace cbx::sweep {

Counts& Counts::Instance() {
  static Counts counts;
  return counts;
}

void Counts::Add(const std::string& variant, std::size_t exchanges, std::size_t points, std::size_t runs,
                 Clock::duration took) {
  std::lock_guard lock(mutex_);
  ++variants_;
  exchanges_ += exchanges;
  points_ += points;
  runs_ += runs;
  took_ += took;
  std::printf("[sweep] %-34s %5zu exchanges  %5zu points  %5zu runs  %s\n", variant.c_str(), exchanges, points, runs,
              Ms(took).c_str());
  std::fflush(stdout);
}

void Counts::PrintTotal() const {
  std::lock_guard lock(mutex_);
  if (variants_ == 0) return;
  std::printf("[sweep] %s, seed %u: %zu variants, %zu exchanges, %zu points, %zu runs, %s\n",
              FullSweep() ? "full" : "sampled", SweepSeed(), variants_, exchanges_, points_, runs_,
              Ms(took_).c_str());
  std::fflush(stdout);
}

namespace {

class PrintTotals : public ::testing::Environment {
 public:
  void TearDown() override { Counts::Instance().PrintTotal(); }
};

[[maybe_unused]] const auto* const kTotals = ::testing::AddGlobalTestEnvironment(new PrintTotals);

}  // namespace

}  // namespace cbx::sweep
