#include "records/HistoryTransfer.h"

#include <filesystem>
#include <system_error>

#include "app/EnsureFolder.h"
#include "app/Folders.h"
#include "records/Archiver.h"
#include "records/FolderOps.h"
#include "records/HistoryCipher.h"

namespace cbx::records {

namespace {

namespace fs = std::filesystem;

constexpr const char* kDockFile = "DockHistory.dat";
constexpr const char* kLensFile = "LensHistory.dat";

bool IsFile(const std::string& path) {
  std::error_code ec;
  return fs::is_regular_file(path, ec);
}

bool IsFolder(const std::string& path) {
  std::error_code ec;
  return fs::is_directory(path, ec);
}

void Remove(const std::string& path) {
  std::error_code ec;
  fs::remove(path, ec);
}

bool Rename(const std::string& from, const std::string& to) {
  std::error_code ec;
  fs::rename(from, to, ec);
  return !ec;
}

// The device link stays closed for the whole command, whatever its outcome.
class LinkSuspension {
 public:
  explicit LinkSuspension(TransferContext& context) : context_(context) {
    context_.state.exportImportRunning = true;
    if (context_.dock != nullptr) {
      context_.dock->StopPolling();
      context_.dock->StopConnectThread();
      context_.dock->Close();
    }
  }
  ~LinkSuspension() {
    context_.state.exportImportRunning = false;
    if (context_.dock != nullptr) context_.dock->StartConnectThread();
  }
  LinkSuspension(const LinkSuspension&) = delete;
  LinkSuspension& operator=(const LinkSuspension&) = delete;

 private:
  TransferContext& context_;
};

}  // namespace

std::string ImportBackupFolder(const HistoryLocations& locations) {
  return JoinPath(locations.dataFolder, "LensDatabase_org");
}

bool CanExport(const HistoryLocations& l) {
  return IsFolder(l.lensDatabase) && IsFile(JoinPath(l.dataFolder, kDockFile)) &&
         IsFile(JoinPath(l.dataFolder, kLensFile));
}

bool IsImportComplete(const HistoryLocations& l) {
  return IsFolder(l.lensDatabase) && IsFile(JoinPath(l.lensDatabase, kDockFile)) &&
         IsFile(JoinPath(l.lensDatabase, kLensFile));
}

void BackupForImport(const HistoryLocations& l) {
  for (const char* name : {kDockFile, kLensFile}) {
    const std::string file = JoinPath(l.dataFolder, name);
    if (IsFile(file)) Rename(file, file + ".org");
  }
  // A backup folder left by an interrupted import holds only an old run's mirror.
  const std::string backup = ImportBackupFolder(l);
  if (IsFolder(backup)) DeleteFolderTree(backup);
  // Moving the mirror aside takes no time and no space, and cannot stop half-way and then
  // empty a mirror whose copy is incomplete; copying is for a mirror on another file system.
  if (Rename(l.lensDatabase, backup)) {
    EnsureFolder(l.lensDatabase);
    return;
  }
  CopyFolder(l.lensDatabase, backup);
  EmptyFolder(l.lensDatabase);
}

void RestoreAfterFailedImport(const HistoryLocations& l) {
  const std::string backup = ImportBackupFolder(l);
  // Whatever a failed extraction left goes, so the mirror is exactly as before.
  EmptyFolder(l.lensDatabase);
  MoveSubfolders(backup, l.lensDatabase);
  DeleteFolderTree(backup);
  for (const char* name : {kDockFile, kLensFile}) {
    const std::string file = JoinPath(l.dataFolder, name);
    if (IsFile(file + ".org")) Rename(file + ".org", file);
  }
}

void FinishImport(const HistoryLocations& l) {
  const std::string backup = ImportBackupFolder(l);
  if (IsFolder(backup)) DeleteFolderTree(backup);
  for (const char* name : {kDockFile, kLensFile}) {
    Remove(JoinPath(l.dataFolder, name) + ".org");
    MoveItem(JoinPath(l.lensDatabase, name), JoinPath(l.dataFolder, name));
  }
}

TransferOutcome ExportHistory(TransferContext& context) {
  const HistoryLocations& l = context.locations;
  LinkSuspension suspended(context);
  const std::optional<std::string> chosen = context.ui.ChooseHistoryFile(true);
  if (!chosen) return TransferOutcome::kCancelled;
  const std::string& archive = *chosen;

  SaveDockHistory(context.state.dockHistory, l);
  SaveLensUpdateInfoData(context.state.lensHistory, l);
  if (!CanExport(l)) {
    context.ui.AskMessage(kMessageExportFailed);
    return TransferOutcome::kFailed;
  }
  for (const char* name : {kDockFile, kLensFile}) CopyFolder(JoinPath(l.dataFolder, name), l.lensDatabase);
  Remove(archive);
  const std::string command = ExportCommand(archive, l.lensDatabase);
  const bool archived = !command.empty() && Archiver().Run(command).code == 0;
  for (const char* name : {kDockFile, kLensFile}) Remove(JoinPath(l.lensDatabase, name));
  // An archive that could not be enciphered must not stay behind unprotected.
  if (!archived || !EncipherFile(archive)) {
    Remove(archive);
    context.ui.AskMessage(kMessageExportFailed);
    return TransferOutcome::kFailed;
  }
  return TransferOutcome::kDone;
}

TransferOutcome ImportHistory(TransferContext& context) {
  const HistoryLocations& l = context.locations;
  LinkSuspension suspended(context);
  if (context.ui.AskMessage(kMessageConfirmImport) != kResultYes) return TransferOutcome::kCancelled;
  const std::optional<std::string> chosen = context.ui.ChooseHistoryFile(false);
  if (!chosen) return TransferOutcome::kCancelled;
  const std::string& archive = *chosen;

  // A fresh command-line run has no mirror yet; the import needs one to extract into.
  EnsureFolder(l.lensDatabase);
  if (!DecipherToTemp(archive)) {
    context.ui.AskMessage(kMessageImportUnreadable);
    return TransferOutcome::kFailed;
  }
  BackupForImport(l);
  bool failed = !IsFolder(l.lensDatabase);
  if (!failed) {
    const std::string moved = JoinPath(l.lensDatabase, GetFileName(archive) + ".tmp");
    failed = MoveItem(archive + ".tmp", moved) != 0;
    if (!failed) {
      const std::string command = ImportCommand(moved, l.lensDatabase);
      const int code = command.empty() ? 1 : Archiver().Run(command).code;
      Remove(moved);
      if (code != 0) {
        context.ui.AskMessage(kMessageImportUnreadable);
        RestoreAfterFailedImport(l);
        return TransferOutcome::kFailed;
      }
    }
  }
  Remove(archive + ".tmp");
  if (failed || !IsImportComplete(l)) {
    context.ui.AskMessage(kMessageImportIncomplete);
    RestoreAfterFailedImport(l);
    return TransferOutcome::kFailed;
  }
  FinishImport(l);

  context.state.lensHistory.Clear();
  LoadDockHistory(context.state.dockHistory, l);
  LoadLensUpdateInfoData(context.state.lensHistory, l);
  context.state.shownDevice.serialNumber.clear();  // matches no device any more
  context.ui.HistoryImported();
  return TransferOutcome::kDone;
}

}  // namespace cbx::records
