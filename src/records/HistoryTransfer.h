// History export and import: the device histories and the run's server mirror travel
// as one enciphered, password-protected archive (".hist").
#pragma once

#include <string>

#include "dock/DockDevice.h"
#include "records/HistoryFiles.h"
#include "update/AppState.h"
#include "update/SessionUi.h"

namespace cbx::records {

// Message kinds of the two commands.
inline constexpr int kMessageConfirmImport = 314;
inline constexpr int kMessageImportUnreadable = 315;
inline constexpr int kMessageImportIncomplete = 316;
inline constexpr int kMessageExportFailed = 317;

struct TransferContext {
  AppState& state;
  SessionUi& ui;
  dock::DockDevice* dock;  // null when no device link runs (command line)
  HistoryLocations locations;
};

enum class TransferOutcome { kDone, kCancelled, kFailed };

TransferOutcome ExportHistory(TransferContext& context);
TransferOutcome ImportHistory(TransferContext& context);

// The file steps, exposed for tests.
bool CanExport(const HistoryLocations& locations);
bool IsImportComplete(const HistoryLocations& locations);
void BackupForImport(const HistoryLocations& locations);
void RestoreAfterFailedImport(const HistoryLocations& locations);
void FinishImport(const HistoryLocations& locations);
std::string ImportBackupFolder(const HistoryLocations& locations);  // D/LensDatabase_org

}  // namespace cbx::records
