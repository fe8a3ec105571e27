// Runs a program with pipes to its standard input and output, for end-to-end tests.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <vector>

namespace cbx::test {

class Subprocess {
 public:
  explicit Subprocess(const std::vector<std::string>& argv) {
    int in[2], out[2];
    // Close-on-exec: a second program started later must not hold this one's standard input
    // open, or closing it would never end this program.
    if (pipe2(in, O_CLOEXEC) != 0 || pipe2(out, O_CLOEXEC) != 0) return;
    pid_ = fork();
    if (pid_ == 0) {
      dup2(in[0], 0);
      dup2(out[1], 1);
      close(in[0]), close(in[1]), close(out[0]), close(out[1]);
      std::vector<char*> args;
      for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
      args.push_back(nullptr);
      execv(args[0], args.data());
      _exit(127);
    }
    close(in[0]);
    close(out[1]);
    stdin_ = in[1];
    stdout_ = out[0];
  }
  ~Subprocess() {
    if (stdin_ >= 0) close(stdin_);
    if (pid_ > 0) {
      // Closing standard input asks the program to end; a kill makes sure of it.
      if (!WaitExit(std::chrono::seconds(5))) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
      }
    }
    if (stdout_ >= 0) close(stdout_);
  }
  Subprocess(const Subprocess&) = delete;
  Subprocess& operator=(const Subprocess&) = delete;

  bool Send(const std::string& line) {
    const std::string text = line + "\n";
    return write(stdin_, text.data(), text.size()) == static_cast<ssize_t>(text.size());
  }

  // The next line of output without its line feed; empty after `timeout` or at the end.
  std::string ReadLine(std::chrono::milliseconds timeout = std::chrono::seconds(10)) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (true) {
      const auto nl = buffer_.find('\n');
      if (nl != std::string::npos) {
        std::string line = buffer_.substr(0, nl);
        buffer_.erase(0, nl + 1);
        return line;
      }
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
      if (left.count() <= 0) return {};
      pollfd p{stdout_, POLLIN, 0};
      if (poll(&p, 1, static_cast<int>(left.count())) <= 0) return {};
      char chunk[4096];
      const ssize_t n = read(stdout_, chunk, sizeof chunk);
      if (n <= 0) return {};
      buffer_.append(chunk, static_cast<std::size_t>(n));
    }
  }

  bool WaitExit(std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (std::chrono::steady_clock::now() < deadline) {
      int status = 0;
      const pid_t r = waitpid(pid_, &status, WNOHANG);
      if (r == pid_) {
        exitCode_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        pid_ = -1;
        return true;
      }
      usleep(20000);
    }
    return false;
  }
  int exitCode() const { return exitCode_; }
  // Sends a signal, as a user's Ctrl+C does with SIGINT.
  void Signal(int signal) {
    if (pid_ > 0) kill(pid_, signal);
  }

 private:
  pid_t pid_ = -1;
  int stdin_ = -1;
  int stdout_ = -1;
  int exitCode_ = -1;
  std::string buffer_;
};

}  // namespace cbx::test
