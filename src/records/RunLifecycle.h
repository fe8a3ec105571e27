// The toolkit-free start and end of a run that every front end goes through: one
// instance per data folder, configuration and log, histories loaded at the start and
// saved at the end, the run's folders removed.
#pragma once

#include <string>

#include "app/Configuration.h"
#include "app/InstanceLock.h"
#include "app/TextResources.h"
#include "records/FolderOps.h"
#include "records/HistoryFiles.h"
#include "update/AppState.h"

namespace cbx::records {

class RunLifecycle {
 public:
  enum class StartResult { kStarted, kAnotherInstance };

  explicit RunLifecycle(HistoryLocations locations = HistoryLocations::Current());
  ~RunLifecycle();  // finishes a started run that was not finished
  RunLifecycle(const RunLifecycle&) = delete;
  RunLifecycle& operator=(const RunLifecycle&) = delete;

  // Takes the instance lock, loads the text and font tables and picks the language,
  // reads the configuration into `state`, opens the log with the start line and loads
  // the dock history, then the lens history.
  StartResult Start(AppState& state);
  // Saves the dock history, then the lens history, removes the run's folders and the
  // document copies, writes the end line and lets the next instance in.
  void Finish();

  const AppConfig& Config() const { return config_; }
  const TextTable& Texts() const { return texts_; }
  const HistoryLocations& Locations() const { return locations_; }
  DocumentCopyMap& DocumentCopies() { return documentCopies_; }

 private:
  HistoryLocations locations_;
  InstanceLock lock_;
  AppConfig config_;
  TextTable texts_;
  AppState* state_ = nullptr;
  DocumentCopyMap documentCopies_;
};

}  // namespace cbx::records
