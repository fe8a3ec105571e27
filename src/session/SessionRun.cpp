#include "session/SessionRun.h"

#include "app/ProgramVersion.h"

namespace cbx::session {

SessionRun::SessionRun(std::shared_ptr<dock::HidBackend> backend, SessionUi& ui, EventSink& events,
                       records::HistoryLocations locations)
    : lifecycle_(std::move(locations)), dock_(std::move(backend)), ui_(ui), events_(events) {
  host_.SetUi(&ui_);
  updater_ = std::make_unique<firmware::FirmwareUpdater>(firmware::FirmwareUpdater{dock_, state_, ui_, host_, progress_});
  settings_ = std::make_unique<lens::SettingsController>(dock_, model_, state_, host_);
}

SessionRun::~SessionRun() { Finish(); }

SessionRun::StartResult SessionRun::Start() {
  const StartResult result = lifecycle_.Start(state_);
  if (result != StartResult::kStarted) return result;
  if (!serverOverride_.empty()) state_.serverUrlOverride = serverOverride_;
  // The configuration is read now (the server address), and the texts the questions carry.
  checker_ = std::make_unique<update::UpdateChecker>(state_, dock_, ui_, lifecycle_.Locations().lensDatabase,
                                                     GetProgramVersion(true));
  controller_ = std::make_unique<SessionController>(SessionParts{
      state_, dock_, ui_, *checker_, *updater_, events_, lifecycle_.Texts(), model_, *settings_});
  started_ = true;
  return result;
}

void SessionRun::Finish() {
  if (!started_) return;
  started_ = false;
  dock_.StopPolling();
  dock_.RegisterArrival(nullptr);
  dock_.StopConnectThread();
  dock_.Close();
  // The reconnect-wait thread posts into the front end's queue: it ends before the run.
  controller_.reset();
  lens::ClearImage(model_.AfImage);
  lens::ClearImage(model_.CsImage);
  lifecycle_.Finish();
}

}  // namespace cbx::session
