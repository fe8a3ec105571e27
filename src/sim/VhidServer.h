// The device side of the loopback virtual-HID link: serves one VirtualDevice on a TCP port
// of the loopback interface.
//
// On connect the device sends the 8-byte hello ("VHID", vendor, product, each 16 bits low
// byte first); after that raw 65-byte reports flow both ways. One host at a time: a second
// connection is closed at once. While the device is unplugged or restarting the server does
// not listen at all, so a host's connect is refused, just as enumeration finds nothing; it
// listens on the same port again when the device comes back.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "sim/VirtualDevice.h"

namespace cbx::sim {

struct Endpoint {
  std::string host;  // without brackets
  std::uint16_t port = 0;
};

// "127.0.0.1:5555", "[::1]:5555" or "localhost:0"; nothing when malformed.
std::optional<Endpoint> ParseEndpoint(std::string_view text);

class VhidServer {
 public:
  using Trace = std::function<void(const std::string&)>;

  // Binds at once (port 0 picks a free port). Throws std::runtime_error when the address
  // cannot be used. `trace` gets one line per link event, on the server's thread.
  VhidServer(std::shared_ptr<VirtualDevice> device, const std::string& host = "127.0.0.1",
             std::uint16_t port = 0, Trace trace = {});
  ~VhidServer();
  VhidServer(const VhidServer&) = delete;
  VhidServer& operator=(const VhidServer&) = delete;

  std::uint16_t Port() const { return port_; }
  // "127.0.0.1:PORT" or "[::1]:PORT", with the actual port.
  std::string Address() const;

  // Returns once the server has acted on every device change made before the call (after
  // Unplug(), for one, the connection is closed and connects are refused).
  void Sync();

  // Closes everything and joins the server thread; also done by the destructor.
  void Stop();

  // Why the server thread ended early, if it did.
  std::string Error() const;

  struct Waker;

 private:
  void Run();
  void Loop();
  void Reconcile();
  void OpenListener();
  void CloseListener();
  void AcceptHost();
  void ReadFromHost();
  void PumpReplies();
  void CloseHost(const std::string& why);
  void Log(const std::string& line);

  std::shared_ptr<VirtualDevice> device_;
  Trace trace_;
  std::shared_ptr<Waker> waker_;
  int observerId_ = 0;

  // Resolved once; the port stays the same for the server's life.
  struct SocketAddress;
  std::unique_ptr<SocketAddress> address_;
  std::uint16_t port_ = 0;

  // Owned by the server thread once it runs.
  int listenFd_ = -1;
  int hostFd_ = -1;
  std::shared_ptr<dock::HidConnection> connection_;
  std::vector<std::uint8_t> inbox_;  // a host report not complete yet
  bool rebindFailed_ = false;

  mutable std::mutex mutex_;
  std::condition_variable synced_;
  bool stopRequested_ = false;
  bool stopped_ = false;
  std::uint64_t syncRequested_ = 0;
  std::uint64_t syncDone_ = 0;
  std::string error_;

  std::thread thread_;
};

}  // namespace cbx::sim
