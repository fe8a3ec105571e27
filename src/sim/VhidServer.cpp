#include "sim/VhidServer.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <stdexcept>

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

namespace cbx::sim {

namespace {

constexpr std::size_t kLinkReportSize = 65;
// A host that stops reading for this long while its socket is full is dropped, so the
// server thread never hangs in a send.
constexpr int kSendTimeoutMs = 5000;
constexpr int kRebindRetryMs = 100;

std::string SystemError(const std::string& what) { return what + ": " + std::strerror(errno); }

bool SendAll(int fd, const std::uint8_t* data, std::size_t length) {
  while (length > 0) {
    const ssize_t n = send(fd, data, length, MSG_NOSIGNAL);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    data += n;
    length -= static_cast<std::size_t>(n);
  }
  return true;
}

}  // namespace

// Wakes the server thread from other threads. Shared with the device's observer list, so it
// stays valid for an observer call that is still running while the server stops.
struct VhidServer::Waker {
  Waker() : fd(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {
    if (fd < 0) throw std::runtime_error(SystemError("eventfd"));
  }
  ~Waker() { close(fd); }
  Waker(const Waker&) = delete;
  Waker& operator=(const Waker&) = delete;

  void Wake() const {
    const std::uint64_t one = 1;
    if (write(fd, &one, sizeof one) < 0) {
      // Only fails when the counter is saturated, and then the thread is woken anyway.
    }
  }
  void Drain() const {
    std::uint64_t value = 0;
    while (read(fd, &value, sizeof value) > 0) {
    }
  }

  const int fd;
};

struct VhidServer::SocketAddress {
  sockaddr_storage storage{};
  socklen_t length = 0;

  int Family() const { return storage.ss_family; }
  void SetPort(std::uint16_t port) {
    if (Family() == AF_INET6) reinterpret_cast<sockaddr_in6*>(&storage)->sin6_port = htons(port);
    else reinterpret_cast<sockaddr_in*>(&storage)->sin_port = htons(port);
  }
  std::string HostText() const {
    char text[INET6_ADDRSTRLEN] = {};
    if (Family() == AF_INET6) {
      inet_ntop(AF_INET6, &reinterpret_cast<const sockaddr_in6*>(&storage)->sin6_addr, text, sizeof text);
      return std::string("[") + text + "]";
    }
    inet_ntop(AF_INET, &reinterpret_cast<const sockaddr_in*>(&storage)->sin_addr, text, sizeof text);
    return text;
  }
};

std::optional<Endpoint> ParseEndpoint(std::string_view text) {
  const std::size_t colon = text.rfind(':');
  if (colon == std::string_view::npos || colon == 0 || colon + 1 == text.size()) return std::nullopt;
  std::string_view host = text.substr(0, colon);
  const std::string_view portText = text.substr(colon + 1);
  if (host.front() == '[') {
    if (host.size() < 3 || host.back() != ']') return std::nullopt;
    host = host.substr(1, host.size() - 2);
  } else if (host.find(':') != std::string_view::npos) {
    return std::nullopt;  // a bare IPv6 address needs brackets
  }
  unsigned long port = 0;
  for (char c : portText) {
    if (c < '0' || c > '9') return std::nullopt;
    port = port * 10 + static_cast<unsigned long>(c - '0');
    if (port > 0xFFFF) return std::nullopt;
  }
  return Endpoint{std::string(host), static_cast<std::uint16_t>(port)};
}

VhidServer::VhidServer(std::shared_ptr<VirtualDevice> device, const std::string& host, std::uint16_t port,
                       Trace trace)
    : device_(std::move(device)), trace_(std::move(trace)), waker_(std::make_shared<Waker>()),
      address_(std::make_unique<SocketAddress>()) {
  if (!device_) throw std::invalid_argument("VhidServer needs a device");
  std::string name = host;
  if (name.size() > 2 && name.front() == '[' && name.back() == ']') name = name.substr(1, name.size() - 2);
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  if (const int rc = getaddrinfo(name.c_str(), nullptr, &hints, &found); rc != 0 || found == nullptr) {
    throw std::runtime_error("cannot use address " + host + ": " + gai_strerror(rc));
  }
  std::memcpy(&address_->storage, found->ai_addr, found->ai_addrlen);
  address_->length = found->ai_addrlen;
  freeaddrinfo(found);
  address_->SetPort(port);
  port_ = port;

  // Bind now, so that a taken port fails here and port 0 becomes a known port.
  OpenListener();
  if (listenFd_ < 0) throw std::runtime_error(SystemError("cannot listen on " + Address()));
  sockaddr_storage bound{};
  socklen_t boundLength = sizeof bound;
  getsockname(listenFd_, reinterpret_cast<sockaddr*>(&bound), &boundLength);
  port_ = ntohs(bound.ss_family == AF_INET6 ? reinterpret_cast<sockaddr_in6*>(&bound)->sin6_port
                                            : reinterpret_cast<sockaddr_in*>(&bound)->sin_port);
  address_->SetPort(port_);

  std::shared_ptr<Waker> waker = waker_;
  observerId_ = device_->AddObserver([waker] { waker->Wake(); });
  thread_ = std::thread([this] { Run(); });
}

VhidServer::~VhidServer() { Stop(); }

std::string VhidServer::Address() const { return address_->HostText() + ":" + std::to_string(port_); }

std::string VhidServer::Error() const {
  std::lock_guard lock(mutex_);
  return error_;
}

void VhidServer::Sync() {
  std::unique_lock lock(mutex_);
  if (stopped_ || !thread_.joinable()) return;
  const std::uint64_t target = ++syncRequested_;
  waker_->Wake();
  synced_.wait(lock, [&] { return syncDone_ >= target || stopped_; });
}

void VhidServer::Stop() {
  {
    std::lock_guard lock(mutex_);
    stopRequested_ = true;
  }
  waker_->Wake();
  if (thread_.joinable()) thread_.join();
  device_->RemoveObserver(observerId_);
  observerId_ = 0;
  // Nothing runs on the server thread any more.
  CloseHost("server stopped");
  CloseListener();
}

void VhidServer::Log(const std::string& line) {
  if (trace_) trace_(line);
}

void VhidServer::Run() {
  try {
    Loop();
  } catch (const std::exception& e) {
    std::lock_guard lock(mutex_);
    error_ = e.what();
  } catch (...) {
    std::lock_guard lock(mutex_);
    error_ = "unknown failure";
  }
  {
    std::lock_guard lock(mutex_);
    stopped_ = true;
  }
  synced_.notify_all();
}

void VhidServer::Loop() {
  for (;;) {
    std::uint64_t seen = 0;
    {
      std::lock_guard lock(mutex_);
      if (stopRequested_) return;
      seen = syncRequested_;
    }
    Reconcile();
    {
      std::lock_guard lock(mutex_);
      syncDone_ = seen;
    }
    synced_.notify_all();

    int timeoutMs = -1;
    if (const auto deadline = device_->RestartDeadline()) {
      const auto left = std::chrono::ceil<std::chrono::milliseconds>(*deadline - std::chrono::steady_clock::now());
      timeoutMs = static_cast<int>(std::clamp<std::chrono::milliseconds::rep>(left.count() + 1, 1, 60000));
    }
    if (rebindFailed_) timeoutMs = timeoutMs < 0 ? kRebindRetryMs : std::min(timeoutMs, kRebindRetryMs);

    std::array<pollfd, 3> fds{};
    nfds_t count = 0;
    fds[count++] = {waker_->fd, POLLIN, 0};
    const nfds_t listenIndex = listenFd_ >= 0 ? count : 0;
    if (listenFd_ >= 0) fds[count++] = {listenFd_, POLLIN, 0};
    const nfds_t hostIndex = hostFd_ >= 0 ? count : 0;
    if (hostFd_ >= 0) fds[count++] = {hostFd_, POLLIN, 0};

    if (poll(fds.data(), count, timeoutMs) < 0) {
      if (errno == EINTR) continue;
      throw std::runtime_error(SystemError("poll"));
    }
    if (fds[0].revents != 0) waker_->Drain();
    if (hostIndex != 0 && fds[hostIndex].revents != 0) ReadFromHost();
    if (listenIndex != 0 && fds[listenIndex].revents != 0) AcceptHost();
  }
}

// Brings the link in line with the device: replies out, a dropped connection closed, the
// listener open exactly while the device is there.
void VhidServer::Reconcile() {
  PumpReplies();
  const bool present = device_->IsPlugged();
  if (!present) CloseHost("device unplugged");
  if (present && listenFd_ < 0) {
    OpenListener();
    if (listenFd_ < 0 && !rebindFailed_) Log(SystemError("== cannot listen on " + Address() + " again"));
    rebindFailed_ = listenFd_ < 0;
    if (listenFd_ >= 0) Log("== listening on " + Address());
  } else if (!present && listenFd_ >= 0) {
    CloseListener();
    rebindFailed_ = false;
    Log("== refusing connections");
  }
}

void VhidServer::OpenListener() {
  const int fd = socket(address_->Family(), SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return;
  // The port is given up while the device is away and must be taken again afterwards,
  // with the old connection possibly still in TIME_WAIT.
  const int yes = 1;
  setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
  if (bind(fd, reinterpret_cast<const sockaddr*>(&address_->storage), address_->length) != 0 || listen(fd, 4) != 0) {
    const int saved = errno;
    close(fd);
    errno = saved;
    return;
  }
  listenFd_ = fd;
}

void VhidServer::CloseListener() {
  if (listenFd_ >= 0) close(listenFd_);
  listenFd_ = -1;
}

void VhidServer::AcceptHost() {
  const int fd = accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
  if (fd < 0) return;
  if (hostFd_ >= 0) {
    close(fd);
    Log("== closed a second host connection");
    return;
  }
  std::shared_ptr<dock::HidConnection> connection = device_->Open();
  if (!connection) {
    close(fd);
    Log("== device cannot be opened; connection closed");
    return;
  }
  const int yes = 1;
  setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &yes, sizeof yes);
  timeval sendTimeout{kSendTimeoutMs / 1000, 0};
  setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &sendTimeout, sizeof sendTimeout);

  const std::uint16_t vendor = device_->VendorId();
  const std::uint16_t product = device_->ProductId();
  const std::array<std::uint8_t, 8> hello = {
      'V', 'H', 'I', 'D', static_cast<std::uint8_t>(vendor & 0xFF), static_cast<std::uint8_t>(vendor >> 8),
      static_cast<std::uint8_t>(product & 0xFF), static_cast<std::uint8_t>(product >> 8)};
  if (!SendAll(fd, hello.data(), hello.size())) {
    close(fd);
    return;
  }
  hostFd_ = fd;
  connection_ = std::move(connection);
  inbox_.clear();
  Log("== host connected");
}

void VhidServer::ReadFromHost() {
  std::array<std::uint8_t, 4096> buffer{};
  const ssize_t n = recv(hostFd_, buffer.data(), buffer.size(), 0);
  if (n < 0 && (errno == EINTR || errno == EAGAIN)) return;
  if (n <= 0) {
    CloseHost("host disconnected");
    return;
  }
  inbox_.insert(inbox_.end(), buffer.begin(), buffer.begin() + n);
  // Reports are exactly 65 bytes on the link; the device gets them at its own report length,
  // so a profile with another length refuses them as a real device would.
  std::size_t used = 0;
  while (hostFd_ >= 0 && inbox_.size() - used >= kLinkReportSize) {
    std::vector<std::uint8_t> report(device_->ReportLength(), 0);
    std::copy_n(inbox_.begin() + static_cast<std::ptrdiff_t>(used), std::min(report.size(), kLinkReportSize),
                report.begin());
    used += kLinkReportSize;
    // A refused write either ends the connection (seen by the pump) or, for a wrong report
    // length, leaves the host to time out.
    connection_->Write(report.data(), report.size());
    PumpReplies();
  }
  if (hostFd_ >= 0) inbox_.erase(inbox_.begin(), inbox_.begin() + static_cast<std::ptrdiff_t>(used));
}

void VhidServer::PumpReplies() {
  if (hostFd_ < 0 || !connection_) return;
  std::vector<std::uint8_t> reply(std::max<std::size_t>(device_->ReportLength(), kLinkReportSize));
  for (;;) {
    const int n = connection_->Read(reply.data(), reply.size(), 0);
    if (n == 0) return;
    if (n < 0) {
      CloseHost("device dropped the connection");
      return;
    }
    if (!SendAll(hostFd_, reply.data(), static_cast<std::size_t>(n))) {
      CloseHost("host stopped reading");
      return;
    }
  }
}

void VhidServer::CloseHost(const std::string& why) {
  if (hostFd_ < 0) return;
  close(hostFd_);
  hostFd_ = -1;
  connection_.reset();
  inbox_.clear();
  Log("== connection closed: " + why);
}

}  // namespace cbx::sim
