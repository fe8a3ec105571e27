// Small helpers shared by the simulator tests: a profile built in code, a host that speaks
// through a HidConnection, and a raw client of the loopback link.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <thread>
#include <vector>

#include "dock/DockConfig.h"
#include "dock/HidBackend.h"
#include "dock/Protocol.h"
#include "sim/DeviceProfile.h"

namespace cbx::test {

// Long enough for any loaded machine; only reached when something is broken.
inline constexpr int kPatienceMs = 10000;

// A lens dock with a ready lens; tests change what they need.
inline sim::DeviceProfile DockProfile() {
  sim::DeviceProfile p;
  p.id = "test-dock";
  p.name = "test dock";
  p.device.vendorId = dock::DockVendorId();
  p.device.productId = dock::kProductLensDock;
  p.device.version = 0x10230045;
  p.device.mountCode = 0x10;
  p.device.capability = 0x06;
  p.device.pathCode = {0x01, 0x23};
  p.attached = sim::AttachedProfile{0x04A1, 0x10, "12345678", 0x10200001, 0xAA, 0xAA};
  return p;
}

// Polls `condition` until it holds or the patience runs out.
template <typename Condition>
bool Eventually(Condition condition) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kPatienceMs);
  while (!condition()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return true;
}

// The host side of one open connection, speaking whole reports.
struct Host {
  std::shared_ptr<dock::HidConnection> link;

  bool Send(const dock::Report& report) const {
    return link->Write(report.data(), report.size()) == static_cast<int>(report.size());
  }
  // The next reply; nothing on time-out or failure.
  std::optional<dock::Report> Next(int timeoutMs = kPatienceMs) const {
    dock::Report r{};
    if (link->Read(r.data(), r.size(), timeoutMs) != static_cast<int>(r.size())) return std::nullopt;
    return r;
  }
  std::optional<dock::Report> Ask(std::uint16_t code) const {
    if (!Send(dock::CodeRequest{code}.Encode())) return std::nullopt;
    return Next();
  }
};

// A raw TCP client of the loopback link.
class LinkClient {
 public:
  explicit LinkClient(std::uint16_t port) {
    fd_ = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(port);
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (connect(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
      close(fd_);
      fd_ = -1;
    }
  }
  ~LinkClient() {
    if (fd_ >= 0) close(fd_);
  }
  LinkClient(const LinkClient&) = delete;
  LinkClient& operator=(const LinkClient&) = delete;

  bool Connected() const { return fd_ >= 0; }

  bool Send(const std::vector<std::uint8_t>& bytes) const {
    return send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(bytes.size());
  }
  bool Send(const dock::Report& r) const { return Send(std::vector<std::uint8_t>(r.begin(), r.end())); }

  // Exactly n bytes; fewer when the peer closes, fails or stays silent for `timeoutMs`.
  std::vector<std::uint8_t> Receive(std::size_t n, int timeoutMs = kPatienceMs) const {
    std::vector<std::uint8_t> out;
    while (out.size() < n) {
      pollfd p{fd_, POLLIN, 0};
      if (poll(&p, 1, timeoutMs) <= 0) break;
      std::uint8_t buffer[512];
      const ssize_t got = recv(fd_, buffer, std::min(sizeof buffer, n - out.size()), 0);
      if (got <= 0) break;
      out.insert(out.end(), buffer, buffer + got);
    }
    return out;
  }
  std::optional<dock::Report> ReceiveReport() const {
    const auto bytes = Receive(dock::kReportSize);
    if (bytes.size() != dock::kReportSize) return std::nullopt;
    dock::Report r{};
    std::copy(bytes.begin(), bytes.end(), r.begin());
    return r;
  }
  // True once the peer has closed the connection.
  bool ClosedByPeer() const {
    pollfd p{fd_, POLLIN, 0};
    if (poll(&p, 1, kPatienceMs) <= 0) return false;
    std::uint8_t b = 0;
    return recv(fd_, &b, 1, 0) <= 0;
  }

 private:
  int fd_ = -1;
};

}  // namespace cbx::test
