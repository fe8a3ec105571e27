// The session controller test bench: a scripted front end, virtual devices, and a
// loopback server serving demo/server.
#pragma once

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <map>
#include <mutex>

#include "app/Folders.h"
#include "app/Log.h"
#include "app/MessageKinds.h"
#include "app/TextResources.h"
#include "session/SessionController.h"
#include "sim/DeviceProfile.h"
#include "sim/SimBackend.h"
#include "support/LoopbackServer.h"
#include "support/ShippedTexts.h"
#include "support/TempDir.h"

namespace cbx::session {

inline const std::string kSource = CALIBRIX_SOURCE_DIR;

// Records what the session shows, as "ask 3:3107", "screen -1", "home 8007" ...
class ScriptedUi : public SessionUi {
 public:
  // Questions carry texts from the shipped table; the log names them by id.
  explicit ScriptedUi(const TextTable& texts) : texts_(texts) {}
  int AskMessage(int kind, const std::string& text) override {
    Record("ask " + std::to_string(kind) + (text.empty() ? "" : ":" + IdOf(text)));
    std::function<void()> action;
    {
      std::lock_guard lock(mutex_);
      ended_.reset();
      if (const auto it = onAsk_.find(kind); it != onAsk_.end()) {
        action = std::move(it->second);
        onAsk_.erase(it);
      }
    }
    if (action) {
      // The modal loop: device events reach the session while the question is open, and
      // may end it from outside.
      action();
      const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(3);
      while (!Ended() && std::chrono::steady_clock::now() < deadline) pump_(std::chrono::milliseconds(20));
      std::lock_guard lock(mutex_);
      if (ended_) return *ended_ ? MessageKind(kind).okResult : MessageKind(kind).cancelResult;
    }
    std::lock_guard lock(mutex_);
    auto it = answers_.find(kind);
    if (it == answers_.end() || it->second.empty()) return kResultClosed;
    const int answer = it->second.front();
    if (it->second.size() > 1) it->second.erase(it->second.begin());
    return answer;
  }
  void HideUpdateCheckWindow() override {}
  std::optional<std::string> ChooseHistoryFile(bool) override { return std::nullopt; }
  void HistoryImported() override {}
  void EndMessage(bool withOk) override {
    Record(withOk ? "end ok" : "end cancel");
    std::lock_guard lock(mutex_);
    ended_ = withOk;
  }
  void EndWaitMessage() override { Record("end wait"); }
  int RunUpdateCheck(int waitKind, const std::function<int()>& check) override {
    const int result = check();
    Record("check " + std::to_string(waitKind) + "=" + std::to_string(result));
    if (auto after = Take(afterCheck_, waitKind)) after();
    return result;
  }
  int RunTransfer(int type, const std::function<int()>& transfer) override {
    if (auto before = Take(beforeTransfer_, type)) before();
    const int result = transfer();
    Record("transfer " + std::to_string(type) + "=" + std::to_string(result));
    if (auto after = Take(afterTransfer_, type)) after();
    return result;
  }
  void ShowScreen(int screen) override { Record("screen " + std::to_string(screen)); }
  void HomeMessage(std::uint32_t message, bool, bool) override {
    char text[16];
    std::snprintf(text, sizeof text, "home %x", message);
    Record(text);
  }
  void RefreshHistoryList() override {}
  void MarkConnectedDevice(int index, bool) override { Record("mark " + std::to_string(index)); }
  void ClosePreferenceDialog() override { Record("close preference"); }
  void SetDeviceTitle(const std::string&, bool) override {}
  void SetConnectionLamp(bool on) override { Record(on ? "lamp on" : "lamp off"); }
  void OpenProgramWebPage() override { Record("web"); }

  void Answer(int kind, int result) { Answers(kind, {result}); }
  // Given in turn; the last one stays.
  void Answers(int kind, std::vector<int> results) {
    std::lock_guard lock(mutex_);
    answers_[kind] = std::move(results);
  }
  // Once, inside the next question of the kind (which then runs its modal loop).
  void OnAsk(int kind, std::function<void()> action) { Set(onAsk_, kind, std::move(action)); }
  // Once, after the next check with this waiting message.
  void AfterCheck(int waitKind, std::function<void()> action) { Set(afterCheck_, waitKind, std::move(action)); }
  // Once, around the next transfer of the type.
  void BeforeTransfer(int type, std::function<void()> action) { Set(beforeTransfer_, type, std::move(action)); }
  void AfterTransfer(int type, std::function<void()> action) { Set(afterTransfer_, type, std::move(action)); }
  // Hands one event (waiting at most the time given) to the session: the modal loop's step.
  void SetPump(std::function<void(std::chrono::milliseconds)> pump) { pump_ = std::move(pump); }
  // Only the entries starting with one of the prefixes.
  std::vector<std::string> Shown(const std::vector<std::string>& prefixes) const {
    std::lock_guard lock(mutex_);
    std::vector<std::string> out;
    for (const auto& e : log_)
      for (const auto& p : prefixes)
        if (e.rfind(p, 0) == 0) out.push_back(e);
    return out;
  }
  void Forget() {
    std::lock_guard lock(mutex_);
    log_.clear();
  }

 private:
  std::string IdOf(const std::string& text) const {
    for (const auto& item : texts_.Texts()) {
      if (item.text == text) return std::to_string(item.id);
    }
    return text;
  }
  using Actions = std::map<int, std::function<void()>>;
  void Set(Actions& actions, int key, std::function<void()> action) {
    std::lock_guard lock(mutex_);
    actions[key] = std::move(action);
  }
  std::function<void()> Take(Actions& actions, int key) {
    std::lock_guard lock(mutex_);
    const auto it = actions.find(key);
    if (it == actions.end()) return {};
    auto action = std::move(it->second);
    actions.erase(it);
    return action;
  }
  bool Ended() const {
    std::lock_guard lock(mutex_);
    return ended_.has_value();
  }
  void Record(std::string entry) {
    std::lock_guard lock(mutex_);
    log_.push_back(std::move(entry));
  }
  const TextTable& texts_;
  mutable std::mutex mutex_;
  std::map<int, std::vector<int>> answers_;
  Actions onAsk_, afterCheck_, beforeTransfer_, afterTransfer_;
  std::optional<bool> ended_;
  std::function<void(std::chrono::milliseconds)> pump_ = [](std::chrono::milliseconds) {};
  std::vector<std::string> log_;
};

class SessionControllerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    server_ = std::make_unique<test::LoopbackServer>(kSource + "/demo/server");
    state_.serverUrlOverride = server_->BaseUrl();
    Log::Instance().Configure(true, dir_ / "CBXLog.txt");
  }
  void TearDown() override {
    controller_.reset();
    if (dock_) {
      dock_->RegisterArrival(nullptr);
      dock_->StopConnectThread();
      dock_->StopPolling();
    }
    Log::Instance().Configure(false, "");
  }

  // Plugs a virtual device in; the connect thread finds it and posts the opening.
  void Plug(const std::string& profile) {
    device_ = std::make_shared<sim::VirtualDevice>(sim::LoadProfile(kSource + "/demo/devices/" + profile + ".json"));
    dock_ = std::make_unique<dock::DockDevice>(
        std::make_shared<sim::SimBackend>(std::vector<std::shared_ptr<sim::VirtualDevice>>{device_}));
    dock_->SetReadTimeoutMs(500);
    checker_ = std::make_unique<update::UpdateChecker>(state_, *dock_, ui_, dir_ / "LensDatabase", "2.0.0");
    checker_->SetNothingCheckDelayMs(10);
    updater_ = std::make_unique<firmware::FirmwareUpdater>(firmware::FirmwareUpdater{
        *dock_, state_, ui_, host_, progress_,
        firmware::ReconnectTiming{std::chrono::milliseconds(50), std::chrono::milliseconds(50), 40}});
    settings_ = std::make_unique<lens::SettingsController>(*dock_, model_, state_, host_);
    controller_ = std::make_unique<SessionController>(
        SessionParts{state_, *dock_, ui_, *checker_, *updater_, events_, texts_, model_, *settings_});
    controller_->SetReconnectStep(std::chrono::milliseconds(5));
    host_.SetUi(&ui_);
    ui_.SetPump([this](std::chrono::milliseconds wait) {
      if (auto e = events_.Next(wait)) controller_->HandleEvent(*e);
    });
    if (beforeConnect_) beforeConnect_(*device_);
    dock_->RegisterArrival(&events_);
    dock_->StartConnectThread();
  }

  // Hands the next event of this message to the controller; other events are dropped.
  void Deliver(std::uint32_t message) {
    while (auto e = events_.Next(std::chrono::seconds(10))) {
      if (e->message != message) continue;
      controller_->HandleEvent(*e);
      return;
    }
    FAIL() << "no event " << std::hex << message;
  }

  // Hands every event to the controller until none comes for `quiet`.
  void RunUntilQuiet(std::chrono::milliseconds quiet = std::chrono::milliseconds(600)) {
    while (auto e = events_.Next(quiet)) controller_->HandleEvent(*e);
  }
  // Plugs the device in and lets the session open it and identify what is mounted.
  void PlugAndIdentify(const std::string& profile) {
    Plug(profile);
    RunUntilQuiet();
  }
  std::string LogText() const {
    std::ifstream in(dir_ / "CBXLog.txt");
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

  test::TempDir dir_;
  std::unique_ptr<test::LoopbackServer> server_;
  AppState state_;
  TextTable texts_ = test::ShippedTexts();
  ScriptedUi ui_{texts_};
  EventQueue events_;
  lens::TransferHost host_;
  lens::TransferProgress progress_;
  std::shared_ptr<sim::VirtualDevice> device_;
  std::unique_ptr<dock::DockDevice> dock_;
  std::unique_ptr<update::UpdateChecker> checker_;
  std::unique_ptr<firmware::FirmwareUpdater> updater_;
  std::unique_ptr<SessionController> controller_;
  lens::LensSettingsModel model_;
  std::unique_ptr<lens::SettingsController> settings_;
  // Called with each plugged device before the session first looks for it.
  std::function<void(sim::VirtualDevice&)> beforeConnect_;
};

}  // namespace cbx::session
