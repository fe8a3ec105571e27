// calibrix --demo: virtual devices inside the program and a loopback HTTP server serving
// the sample update-server tree, with a "Demo" menu to plug, unplug, mount and swap them.
#pragma once

#include <QObject>
#include <memory>
#include <string>
#include <thread>

#include "dock/HidBackend.h"
#include "sim/VirtualDevice.h"

class QMainWindow;

namespace httplib {
class Server;
}

namespace cbx::ui {

class DemoMode : public QObject {
  Q_OBJECT
 public:
  // `profile` names the device the demo starts with; `serverFolder` the tree it serves.
  DemoMode(const std::string& profile, const std::string& serverFolder);
  ~DemoMode() override;

  std::shared_ptr<dock::HidBackend> Backend() const { return backend_; }
  std::string ServerUrl() const;
  sim::VirtualDevice& Device() { return *device_; }
  void AddMenu(QMainWindow& window);

  // The sample tree beside the program (build tree or installation).
  static std::string DefaultServerFolder();

 private:
  std::shared_ptr<sim::VirtualDevice> device_;
  std::shared_ptr<dock::HidBackend> backend_;
  std::unique_ptr<httplib::Server> server_;
  std::thread serverThread_;
  int port_ = 0;
};

}  // namespace cbx::ui
