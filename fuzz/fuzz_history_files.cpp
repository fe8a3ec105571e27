// LensHistory.dat and DockHistory.dat loading, and the record codec behind them.
//
// Input: the content of a history file; it is loaded as the lens history (pictures are
// written back below LensDatabase) and as the dock history, then saved and loaded again.
// Checks: no file appears outside the data folder's own files, a stored record packs to
// the same bytes after one more unpack and pack, and saving and loading again keeps the
// number of records.
#include <cstring>
#include <string>

#include "FuzzSupport.h"
#include "records/HistoryFiles.h"
#include "records/RecordCodec.h"

namespace {

using namespace cbx::records;

bool AllowedFile(const std::string& relative) {
  const std::string data = "appdata/ORVANE/ORVANE Calibrix/";
  if (relative.rfind(data, 0) != 0) return false;
  const std::string rest = relative.substr(data.size());
  return rest == kLensHistoryFileName || rest == kDockHistoryFileName || rest.rfind("Temp/", 0) == 0 ||
         rest.rfind("LensDatabase/", 0) == 0;
}

void CheckNoStrayFiles(const std::string& root) {
  for (const std::string& file : cbx::fuzz::FilesBelow(root)) {
    if (!AllowedFile(file)) cbx::fuzz::Fail("file written outside its folders: " + file);
  }
  for (const std::string& file : cbx::fuzz::FilesBelow(cbx::fuzz::ScratchFolder())) {
    if (file.rfind("history/", 0) != 0) cbx::fuzz::Fail("file written outside the sandbox: " + file);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string root = cbx::fuzz::FreshFolder("history");
  HistoryLocations where;
  where.localAppData = root + "/appdata";
  where.dataFolder = where.localAppData + "/ORVANE/ORVANE Calibrix";
  where.tempFolder = where.dataFolder + "/Temp";
  where.lensDatabase = where.dataFolder + "/LensDatabase";
  cbx::fuzz::FreshFolder("history/appdata/ORVANE/ORVANE Calibrix/Temp");
  cbx::fuzz::FreshFolder("history/appdata/ORVANE/ORVANE Calibrix/LensDatabase");
  const std::string lensFile = where.dataFolder + "/" + kLensHistoryFileName;
  const std::string dockFile = where.dataFolder + "/" + kDockHistoryFileName;
  cbx::fuzz::WriteBytes(lensFile, data, size);
  cbx::fuzz::WriteBytes(dockFile, data, size);

  std::string error;
  for (const auto& record : ReadLensHistoryFile(lensFile, &error)) {
    const LensRecordImage once = PackLensRecord(record);
    const LensRecordImage twice = PackLensRecord(UnpackLensRecord(once));
    if (once != twice) cbx::fuzz::Fail("lens record changes on a second pack");
  }

  cbx::update::LensHistory lenses;
  LoadLensUpdateInfoData(lenses, where);
  cbx::update::DockHistory docks;
  LoadDockHistory(docks, where);
  for (const auto& record : docks.Records()) {
    const DockRecordImage once = PackDockRecord(record);
    const DockRecordImage twice = PackDockRecord(UnpackDockRecord(once));
    if (once != twice) cbx::fuzz::Fail("dock record changes on a second pack");
  }
  CheckNoStrayFiles(root);

  SaveLensUpdateInfoData(lenses, where);
  SaveDockHistory(docks, where);
  cbx::update::LensHistory lensesAgain;
  LoadLensUpdateInfoData(lensesAgain, where);
  cbx::update::DockHistory docksAgain;
  LoadDockHistory(docksAgain, where);
  if (lensesAgain.Size() != lenses.Size()) {
    cbx::fuzz::Fail("lens history of " + std::to_string(lenses.Size()) + " records reloads with " +
                    std::to_string(lensesAgain.Size()));
  }
  if (docksAgain.Records().size() != docks.Records().size()) cbx::fuzz::Fail("dock history count changed");
  CheckNoStrayFiles(root);
  return 0;
}
