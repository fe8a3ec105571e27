#include "dock/VhidBackend.h"

#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <mutex>
#include <stdexcept>

#include "dock/Protocol.h"

namespace cbx::dock {

namespace {

constexpr int kConnectTimeoutMs = 1000;
constexpr int kHelloTimeoutMs = 2000;
constexpr std::size_t kHelloSize = 8;

class Socket {
 public:
  explicit Socket(int fd = -1) : fd_(fd) {}
  ~Socket() { Reset(); }
  Socket(Socket&& other) noexcept : fd_(other.Release()) {}
  Socket& operator=(Socket&& other) noexcept {
    if (this != &other) {
      Reset();
      fd_ = other.Release();
    }
    return *this;
  }
  Socket(const Socket&) = delete;
  int fd() const { return fd_; }
  int Release() {
    const int fd = fd_;
    fd_ = -1;
    return fd;
  }
  void Reset() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
  }

 private:
  int fd_;
};

// Waits for readability up to the deadline; false on time-out or error.
bool WaitReadable(int fd, std::chrono::steady_clock::time_point deadline) {
  while (true) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() < 0) return false;
    pollfd p{fd, POLLIN, 0};
    const int r = ::poll(&p, 1, static_cast<int>(left.count()));
    if (r > 0) return true;
    if (r == 0) return false;
    if (errno != EINTR) return false;
  }
}

Socket ConnectTo(const VhidEndpoint& endpoint) {
  addrinfo hints{};
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_flags = AI_NUMERICSERV;
  addrinfo* found = nullptr;
  if (::getaddrinfo(endpoint.host.c_str(), endpoint.port.c_str(), &hints, &found) != 0) return Socket();
  Socket result;
  for (addrinfo* a = found; a != nullptr && result.fd() < 0; a = a->ai_next) {
    Socket s(::socket(a->ai_family, a->ai_socktype | SOCK_CLOEXEC | SOCK_NONBLOCK, a->ai_protocol));
    if (s.fd() < 0) continue;
    if (::connect(s.fd(), a->ai_addr, a->ai_addrlen) != 0) {
      if (errno != EINPROGRESS) continue;
      pollfd p{s.fd(), POLLOUT, 0};
      if (::poll(&p, 1, kConnectTimeoutMs) <= 0) continue;
      int error = 0;
      socklen_t len = sizeof error;
      if (::getsockopt(s.fd(), SOL_SOCKET, SO_ERROR, &error, &len) != 0 || error != 0) continue;
    }
    const int flags = ::fcntl(s.fd(), F_GETFL);
    ::fcntl(s.fd(), F_SETFL, flags & ~O_NONBLOCK);
    int one = 1;
    ::setsockopt(s.fd(), IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    result = Socket(s.Release());
  }
  ::freeaddrinfo(found);
  return result;
}

// Reads exactly n bytes before the deadline.
bool ReadExactly(int fd, std::uint8_t* data, std::size_t n, std::chrono::steady_clock::time_point deadline) {
  std::size_t got = 0;
  while (got < n) {
    if (!WaitReadable(fd, deadline)) return false;
    const ssize_t r = ::recv(fd, data + got, n - got, 0);
    if (r <= 0) {
      if (r < 0 && errno == EINTR) continue;
      return false;
    }
    got += static_cast<std::size_t>(r);
  }
  return true;
}

class VhidConnection : public HidConnection {
 public:
  explicit VhidConnection(Socket socket) : socket_(std::move(socket)) {}

  int Write(const std::uint8_t* data, std::size_t length) override {
    if (length != kReportSize || failed_) return -1;
    std::lock_guard lock(writeMutex_);
    std::size_t sent = 0;
    while (sent < length) {
      const ssize_t r = ::send(socket_.fd(), data + sent, length - sent, MSG_NOSIGNAL);
      if (r < 0 && errno == EINTR) continue;
      if (r <= 0) {
        failed_ = true;
        return -1;
      }
      sent += static_cast<std::size_t>(r);
    }
    return static_cast<int>(sent);
  }

  // Reports arrive as a plain byte stream; a report split across packets is collected
  // over several reads so that a time-out never loses a partial report.
  int Read(std::uint8_t* data, std::size_t capacity, int timeoutMs) override {
    std::lock_guard lock(readMutex_);
    if (failed_ || capacity < kReportSize) return -1;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (pendingSize_ < kReportSize) {
      if (!WaitReadable(socket_.fd(), deadline)) return 0;
      const ssize_t r = ::recv(socket_.fd(), pending_.data() + pendingSize_, kReportSize - pendingSize_, 0);
      if (r < 0 && errno == EINTR) continue;
      if (r <= 0) {
        failed_ = true;  // the device closed the link: unplugged or restarting
        return -1;
      }
      pendingSize_ += static_cast<std::size_t>(r);
    }
    std::copy(pending_.begin(), pending_.end(), data);
    pendingSize_ = 0;
    return static_cast<int>(kReportSize);
  }

 private:
  Socket socket_;
  std::mutex readMutex_, writeMutex_;
  std::atomic<bool> failed_{false};
  Report pending_{};
  std::size_t pendingSize_ = 0;
};

}  // namespace

std::vector<VhidEndpoint> ParseVhidEndpoints(const std::string& list) {
  std::vector<VhidEndpoint> endpoints;
  std::size_t start = 0;
  while (start <= list.size()) {
    const std::size_t comma = list.find(',', start);
    const std::string item = list.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
    VhidEndpoint e;
    std::size_t colon;
    if (!item.empty() && item.front() == '[') {
      const std::size_t close = item.find(']');
      if (close == std::string::npos || close + 1 >= item.size() || item[close + 1] != ':') {
        throw std::invalid_argument("bad endpoint '" + item + "' (expected [HOST]:PORT)");
      }
      e.host = item.substr(1, close - 1);
      colon = close + 1;
    } else {
      colon = item.rfind(':');
      if (colon == std::string::npos || colon == 0) {
        throw std::invalid_argument("bad endpoint '" + item + "' (expected HOST:PORT)");
      }
      e.host = item.substr(0, colon);
    }
    e.port = item.substr(colon + 1);
    if (e.port.empty() || e.port.find_first_not_of("0123456789") != std::string::npos || e.port.size() > 5 ||
        std::stoi(e.port) > 65535) {
      throw std::invalid_argument("bad port in endpoint '" + item + "'");
    }
    endpoints.push_back(std::move(e));
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  return endpoints;
}

VhidBackend::VhidBackend(std::vector<VhidEndpoint> endpoints) : endpoints_(std::move(endpoints)) {}

std::string VhidBackend::Describe() const {
  std::string text = "vhid:";
  for (std::size_t i = 0; i < endpoints_.size(); ++i) {
    if (i > 0) text += ",";
    const bool v6 = endpoints_[i].host.find(':') != std::string::npos;
    text += (v6 ? "[" + endpoints_[i].host + "]" : endpoints_[i].host) + ":" + endpoints_[i].port;
  }
  return text;
}

std::optional<HidInterface> VhidBackend::FindAndOpen(std::uint16_t vendorId, std::uint16_t productId) {
  for (const auto& endpoint : endpoints_) {
    Socket socket = ConnectTo(endpoint);
    if (socket.fd() < 0) continue;  // nothing plugged in there
    std::uint8_t hello[kHelloSize];
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kHelloTimeoutMs);
    if (!ReadExactly(socket.fd(), hello, kHelloSize, deadline)) continue;
    if (hello[0] != 'V' || hello[1] != 'H' || hello[2] != 'I' || hello[3] != 'D') continue;
    const auto vid = static_cast<std::uint16_t>(hello[4] | (hello[5] << 8));
    const auto pid = static_cast<std::uint16_t>(hello[6] | (hello[7] << 8));
    if (vid != vendorId || pid != productId) continue;  // closing tells the device we passed
    HidInterface found;
    found.devicePath = "vhid:" + endpoint.host + ":" + endpoint.port;
    found.vendorId = vid;
    found.productId = pid;
    found.inputReportLength = kReportSize;
    found.outputReportLength = kReportSize;
    found.connection = std::make_shared<VhidConnection>(std::move(socket));
    return found;
  }
  return std::nullopt;
}

}  // namespace cbx::dock
