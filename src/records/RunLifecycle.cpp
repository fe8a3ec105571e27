#include "records/RunLifecycle.h"

#include "app/Folders.h"
#include "app/Language.h"
#include "app/Log.h"
#include "app/ProgramVersion.h"

namespace cbx::records {

RunLifecycle::RunLifecycle(HistoryLocations locations) : locations_(std::move(locations)) {}

RunLifecycle::~RunLifecycle() { Finish(); }

RunLifecycle::StartResult RunLifecycle::Start(AppState& state) {
  if (!lock_.Acquire(locations_.dataFolder)) return StartResult::kAnotherInstance;
  state_ = &state;
  // Missing text files leave the tables empty; the run goes on with empty texts.
  texts_.LoadTexts(JoinPath(GetFolder(kFolderStrings), kStringFileName));
  texts_.LoadFonts(JoinPath(GetFolder(kFolderFonts), kFontFileName));
  state.uiLanguage = SelectLanguage(texts_, state.uiLanguage);
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
  texts_.ClearTexts();
  texts_.ClearFonts();
  lock_.Release();
}

}  // namespace cbx::records
