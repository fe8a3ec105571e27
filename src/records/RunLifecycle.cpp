#include "records/RunLifecycle.h"

#include "app/Folders.h"
#include "app/Log.h"
#include "app/ProgramVersion.h"

namespace cbx::records {

RunLifecycle::RunLifecycle(HistoryLocations locations) : locations_(std::move(locations)) {}

RunLifecycle::~RunLifecycle() { Finish(); }

RunLifecycle::StartResult RunLifecycle::Start(AppState& state) {
  if (!lock_.Acquire(locations_.dataFolder)) return StartResult::kAnotherInstance;
  state_ = &state;
  ReadConfiguration(config_, JoinPath(locations_.dataFolder, kConfigFileName));
  state.serverUrlOverride = config_.serverUrlOverride;
  state.emcTestEnabled = config_.emcTestEnabled;
  Log::Instance().Configure(config_.logEnabled, JoinPath(locations_.dataFolder, kLogFileName));
  WriteLogLine("---------- Start ORVANE Calibrix  Ver." + GetProgramVersion(false) + " ----------");
  LoadDockHistory(state.dockHistory, locations_);
  LoadLensUpdateInfoData(state.lensHistory, locations_);
  return StartResult::kStarted;
}

void RunLifecycle::Finish() {
  if (state_ == nullptr) return;
  SaveDockHistory(state_->dockHistory, locations_);
  SaveLensUpdateInfoData(state_->lensHistory, locations_);
  RemoveRunFolders(locations_.lensDatabase, locations_.tempFolder, documentCopies_);
  WriteLogLine("---------- End ORVANE Calibrix\n\n");
  Log::Instance().Configure(false, "");
  state_ = nullptr;
  lock_.Release();
}

}  // namespace cbx::records
