// Small helpers the benchmark programs share: settings from the environment, the peer tools'
// command lines and wall-clock timing.
#pragma once

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <string>

namespace cbx::bench {

// A positive number from the environment, or `fallback`.
inline std::uint64_t EnvNumber(const char* name, std::uint64_t fallback) {
  const char* text = std::getenv(name);
  if (text == nullptr || *text == '\0') return fallback;
  const std::uint64_t value = std::strtoull(text, nullptr, 10);
  return value == 0 ? fallback : value;
}

// The peer program the environment names (e.g. CALIBRIX_BENCH_7ZZ), or its usual name.
inline std::string PeerProgram(const char* variable, const char* usualName) {
  const char* text = std::getenv(variable);
  return text != nullptr && *text != '\0' ? text : usualName;
}

// `text` as one word of a shell command line.
inline std::string ShellQuote(const std::string& text) {
  std::string out = "'";
  for (const char c : text) {
    if (c == '\'') out += "'\\''";
    else out.push_back(c);
  }
  return out + "'";
}

inline double Seconds(std::chrono::steady_clock::duration elapsed) {
  return std::chrono::duration<double>(elapsed).count();
}

inline double Seconds(const std::function<void()>& work) {
  const auto start = std::chrono::steady_clock::now();
  work();
  return Seconds(std::chrono::steady_clock::now() - start);
}

}  // namespace cbx::bench
