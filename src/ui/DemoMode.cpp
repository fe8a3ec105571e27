#include "ui/DemoMode.h"

#include <httplib.h>

#include <QMainWindow>
#include <QMenuBar>
#include <filesystem>

#include "app/Folders.h"
#include "sim/DeviceProfile.h"
#include "sim/SimBackend.h"

namespace cbx::ui {

DemoMode::DemoMode(const std::string& profile, const std::string& serverFolder)
    : device_(std::make_shared<sim::VirtualDevice>(sim::LoadProfile(profile))),
      backend_(std::make_shared<sim::SimBackend>(std::vector<std::shared_ptr<sim::VirtualDevice>>{device_})),
      server_(std::make_unique<httplib::Server>()) {
  // As slow as a real USB device, so that transfers take the time they take in real life.
  device_->SetLatency(std::chrono::milliseconds(1));
  server_->set_mount_point("/", serverFolder);
  port_ = server_->bind_to_any_port("127.0.0.1");
  serverThread_ = std::thread([this] { server_->listen_after_bind(); });
  while (!server_->is_running()) std::this_thread::sleep_for(std::chrono::milliseconds(2));
}

DemoMode::~DemoMode() {
  server_->stop();
  if (serverThread_.joinable()) serverThread_.join();
}

std::string DemoMode::ServerUrl() const { return "http://127.0.0.1:" + std::to_string(port_) + "/"; }

std::string DemoMode::DefaultServerFolder() { return (std::filesystem::path(ProgramFolder()) / "server").string(); }

void DemoMode::AddMenu(QMainWindow& window) {
  QMenu* menu = window.menuBar()->addMenu(QStringLiteral("Demo"));
  menu->addAction(QStringLiteral("Plug in"), this, [this] { device_->Plug(); });
  menu->addAction(QStringLiteral("Unplug"), this, [this] { device_->Unplug(); });
  menu->addAction(QStringLiteral("Take off the attached device"), this, [this] { device_->Unmount(); });
  QMenu* mount = menu->addMenu(QStringLiteral("Mount"));
  QMenu* swap = menu->addMenu(QStringLiteral("Become"));
  for (const std::string& name : sim::ShippedProfileNames()) {
    const QString label = QString::fromStdString(name);
    swap->addAction(label, this, [this, name] { device_->Swap(sim::LoadProfile(name)); });
    try {
      if (sim::LoadProfile(name).attached) {
        mount->addAction(label, this, [this, name] {
          if (auto attached = sim::LoadProfile(name).attached) device_->Mount(*attached);
        });
      }
    } catch (const std::exception&) {
      // A profile that cannot be read is simply not offered.
    }
  }
}

}  // namespace cbx::ui
