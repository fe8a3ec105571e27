// One run of the program around the device session, the same for the window and the
// terminal: the start steps (one instance, texts and language, configuration, log start,
// histories loaded), the parts of the session wired together, and the end steps (device
// threads stopped, device closed, histories saved, the run's folders removed, log end).
#pragma once

#include <memory>

#include "dock/DockDevice.h"
#include "dock/EventSink.h"
#include "firmware/FirmwareUpdate.h"
#include "lens/LensSettingsModel.h"
#include "lens/SettingsWorkers.h"
#include "lens/TransferHost.h"
#include "records/RunLifecycle.h"
#include "session/SessionController.h"
#include "update/AppState.h"
#include "update/SessionUi.h"
#include "update/UpdateCheck.h"

namespace cbx::session {

class SessionRun {
 public:
  using StartResult = records::RunLifecycle::StartResult;

  // `events` is where the device threads post (the front end's queue); `ui` shows what the
  // session asks. Both must outlive the run.
  SessionRun(std::shared_ptr<dock::HidBackend> backend, SessionUi& ui, EventSink& events,
             records::HistoryLocations locations = records::HistoryLocations::Current());
  ~SessionRun();  // finishes a started run
  SessionRun(const SessionRun&) = delete;
  SessionRun& operator=(const SessionRun&) = delete;

  // Asks this server instead of the configured one (the demo's loopback server); before Start.
  void SetServerOverride(std::string url) { serverOverride_ = std::move(url); }
  // The start steps; kAnotherInstance leaves nothing written and no device touched.
  StartResult Start();
  // The end steps; safe to call more than once.
  void Finish();

  AppState& State() { return state_; }
  dock::DockDevice& Dock() { return dock_; }
  SessionController& Controller() { return *controller_; }
  lens::TransferProgress& Progress() { return progress_; }
  lens::LensSettingsModel& Model() { return model_; }
  lens::SettingsController& Settings() { return *settings_; }
  const TextTable& Texts() const { return lifecycle_.Texts(); }
  records::RunLifecycle& Lifecycle() { return lifecycle_; }

 private:
  AppState state_;
  records::RunLifecycle lifecycle_;
  dock::DockDevice dock_;
  SessionUi& ui_;
  EventSink& events_;
  lens::TransferHost host_;
  lens::TransferProgress progress_;
  lens::LensSettingsModel model_;
  std::unique_ptr<update::UpdateChecker> checker_;
  std::unique_ptr<firmware::FirmwareUpdater> updater_;
  std::unique_ptr<lens::SettingsController> settings_;
  std::unique_ptr<SessionController> controller_;
  std::string serverOverride_;
  bool started_ = false;
};

}  // namespace cbx::session
