// A HID backend whose devices answer as the test says: each written report goes to a
// responder that returns the reports to queue for the host.
#pragma once

#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "dock/DockConfig.h"
#include "dock/HidBackend.h"
#include "dock/Protocol.h"

namespace cbx::test {

using dock::Report;

class ScriptedDevice {
 public:
  using Responder = std::function<std::vector<Report>(const Report&)>;

  explicit ScriptedDevice(std::uint16_t productId, Responder responder = nullptr)
      : productId_(productId), responder_(std::move(responder)) {}

  std::uint16_t productId() const { return productId_; }
  std::size_t reportLength = dock::kReportSize;
  // Present but closed to this user, as a device node without permission.
  std::atomic<bool> locked{false};

  void SetResponder(Responder responder) {
    std::lock_guard lock(mutex_);
    responder_ = std::move(responder);
  }
  void SetPresent(bool present) {
    {
      std::lock_guard lock(mutex_);
      present_ = present;
      if (!present) replies_.clear();
    }
    cv_.notify_all();
  }
  bool present() const {
    std::lock_guard lock(mutex_);
    return present_;
  }
  std::vector<Report> Written() const {
    std::lock_guard lock(mutex_);
    return written_;
  }
  std::size_t QueuedReplies() const {
    std::lock_guard lock(mutex_);
    return replies_.size();
  }

  int Write(const std::uint8_t* data, std::size_t length) {
    std::unique_lock lock(mutex_);
    if (!present_) return -1;
    Report r{};
    std::copy_n(data, std::min(length, r.size()), r.begin());
    written_.push_back(r);
    Responder responder = responder_;
    lock.unlock();
    std::vector<Report> replies = responder ? responder(r) : std::vector<Report>{};
    lock.lock();
    for (auto& reply : replies) replies_.push_back(reply);
    lock.unlock();
    cv_.notify_all();
    return static_cast<int>(length);
  }

  int Read(std::uint8_t* data, std::size_t capacity, int timeoutMs) {
    std::unique_lock lock(mutex_);
    const bool ready = cv_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                                    [this] { return !present_ || !replies_.empty(); });
    if (!present_) return -1;
    if (!ready) return 0;
    const Report r = replies_.front();
    replies_.pop_front();
    const std::size_t n = std::min(capacity, reportLength);
    std::copy_n(r.begin(), std::min(n, r.size()), data);
    return static_cast<int>(n);
  }

 private:
  std::uint16_t productId_;
  mutable std::mutex mutex_;
  std::condition_variable cv_;
  Responder responder_;
  bool present_ = true;
  std::vector<Report> written_;
  std::deque<Report> replies_;
};

class ScriptedBackend : public dock::HidBackend {
 public:
  std::shared_ptr<ScriptedDevice> Add(std::shared_ptr<ScriptedDevice> device) {
    std::lock_guard lock(mutex_);
    devices_.push_back(device);
    return device;
  }

  std::optional<dock::HidInterface> FindAndOpen(std::uint16_t vendorId, std::uint16_t productId) override {
    std::lock_guard lock(mutex_);
    for (const auto& device : devices_) {
      if (vendorId != dock::DockVendorId() || device->productId() != productId || !device->present()) continue;
      dock::HidInterface found;
      found.devicePath = "scripted";
      found.vendorId = vendorId;
      found.productId = productId;
      found.inputReportLength = found.outputReportLength = device->reportLength;
      if (device->locked.load()) {
        found.accessDenied = true;
      } else {
        found.connection = std::make_shared<Connection>(device);
      }
      return found;
    }
    return std::nullopt;
  }
  std::string Describe() const override { return "scripted"; }

 private:
  class Connection : public dock::HidConnection {
   public:
    explicit Connection(std::shared_ptr<ScriptedDevice> device) : device_(std::move(device)) {}
    int Write(const std::uint8_t* data, std::size_t length) override { return device_->Write(data, length); }
    int Read(std::uint8_t* data, std::size_t capacity, int timeoutMs) override {
      return device_->Read(data, capacity, timeoutMs);
    }

   private:
    std::shared_ptr<ScriptedDevice> device_;
  };

  std::mutex mutex_;
  std::vector<std::shared_ptr<ScriptedDevice>> devices_;
};

// A responder that answers the status request with a settable byte and ignores the rest.
struct StatusResponder {
  std::shared_ptr<std::atomic<int>> status = std::make_shared<std::atomic<int>>(dock::kStatusDone);
  std::vector<Report> operator()(const Report& request) const {
    if (dock::CodeOf(request) != dock::cmd::kStatus) return {};
    return {dock::StatusReply{dock::cmd::kStatusReply, static_cast<std::uint8_t>(status->load())}.Encode()};
  }
};

}  // namespace cbx::test
