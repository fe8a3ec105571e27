// A real HTTP server on 127.0.0.1 serving a folder, with faults a test can switch on.
#pragma once

#include <httplib.h>

#include <map>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace cbx::test {

class LoopbackServer {
 public:
  explicit LoopbackServer(const std::string& folder) {
    server_.set_mount_point("/", folder);
    server_.set_pre_routing_handler([this](const httplib::Request& request, httplib::Response& response) {
      std::lock_guard lock(mutex_);
      requests_.push_back(request.path);
      if (!request.has_header("Authorization")) authorizationMissing_ = true;
      if (missing_.count(request.path) > 0) {
        response.status = 404;
        return httplib::Server::HandlerResponse::Handled;
      }
      if (const auto it = replaced_.find(request.path); it != replaced_.end()) {
        response.set_content(it->second, "application/octet-stream");
        return httplib::Server::HandlerResponse::Handled;
      }
      return httplib::Server::HandlerResponse::Unhandled;
    });
    port_ = server_.bind_to_any_port("127.0.0.1");
    thread_ = std::thread([this] { server_.listen_after_bind(); });
    while (!server_.is_running()) std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  ~LoopbackServer() {
    server_.stop();
    thread_.join();
  }
  LoopbackServer(const LoopbackServer&) = delete;
  LoopbackServer& operator=(const LoopbackServer&) = delete;

  std::string BaseUrl() const { return "http://127.0.0.1:" + std::to_string(port_) + "/"; }

  // Answers 404 for this path (as requested, e.g. "/4A1/KV/0123/1.02.ini").
  void Remove(const std::string& path) {
    std::lock_guard lock(mutex_);
    missing_.insert(path);
  }
  // Serves this content for the path instead of the file.
  void Replace(const std::string& path, const std::string& content) {
    std::lock_guard lock(mutex_);
    replaced_[path] = content;
  }
  std::vector<std::string> Requests() const {
    std::lock_guard lock(mutex_);
    return requests_;
  }
  bool AuthorizationMissing() const {
    std::lock_guard lock(mutex_);
    return authorizationMissing_;
  }

 private:
  httplib::Server server_;
  std::thread thread_;
  int port_ = 0;
  mutable std::mutex mutex_;
  std::set<std::string> missing_;
  std::map<std::string, std::string> replaced_;
  std::vector<std::string> requests_;
  bool authorizationMissing_ = false;
};

}  // namespace cbx::test
