// Runs calibrix-cli with arguments and collects its exit code and standard output.
#pragma once

#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <string>
#include <vector>

namespace cbx::test {

struct RunResult {
  int exitCode = -1;
  std::string out;
};

inline std::string ShellQuote(const std::string& arg) {
  std::string q = "'";
  for (char c : arg) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

// `env` is a prefix such as "env A=1" (may be empty).
inline RunResult RunCli(const std::string& env, const std::vector<std::string>& args) {
  std::string command = env + " " + ShellQuote(CALIBRIX_CLI);
  for (const auto& a : args) command += " " + ShellQuote(a);
  command += " 2>/dev/null";
  RunResult result;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return result;
  std::array<char, 4096> buffer{};
  std::size_t n = 0;
  while ((n = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0) result.out.append(buffer.data(), n);
  const int status = pclose(pipe);
  result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}

}  // namespace cbx::test
