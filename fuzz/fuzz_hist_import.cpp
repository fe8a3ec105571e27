// History import (.hist): decipher, then unpack into the LensDatabase folder, then load.
//
// Input: the archive as it is before encipherment (a zip); the target enciphers it with
// the history key so that the import runs its own decipher step on a real .hist file.
// Each run starts from a data folder holding a history and a mirror. Checks: nothing is
// written outside the data folder's own files, and a failed import leaves the history
// files and the mirror exactly as they were.
#include <map>
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "app/FileBytes.h"
#include "records/HistoryCipher.h"
#include "records/HistoryTransfer.h"
#include "support/SilentSessionUi.h"

namespace {

using namespace cbx::records;

class ImportUi : public cbx::test::SilentSessionUi {
 public:
  explicit ImportUi(std::string file) : file_(std::move(file)) {}
  int Reply(int kind, const std::string&) override {
    return kind == kMessageConfirmImport ? cbx::kResultYes : cbx::kResultAcknowledged;
  }
  std::optional<std::string> ChooseHistoryFile(bool) override { return file_; }

 private:
  std::string file_;
};

const std::string kData = "share/ORVANE/ORVANE Calibrix/";

// Every file below the data folder with its content.
std::map<std::string, std::string> Contents(const std::string& root) {
  std::map<std::string, std::string> contents;
  for (const std::string& file : cbx::fuzz::FilesBelow(root + "/" + kData)) {
    contents[file] = cbx::ReadFileBytes(root + "/" + kData + file).value_or("<unreadable>");
  }
  return contents;
}

void Put(const std::string& root, const std::string& relative, const std::string& bytes) {
  cbx::fuzz::WriteBytes(root + "/" + relative, bytes);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string root = cbx::fuzz::FreshFolder("import");
  cbx::fuzz::FreshFolder("import/" + kData + "LensDatabase/4A1/Image");
  cbx::fuzz::FreshFolder("import/" + kData + "Temp");
  Put(root, kData + "LensHistory.dat", std::string("\0\0\0\0", 4));
  Put(root, kData + "DockHistory.dat", "");
  Put(root, kData + "LensDatabase/4A1/Image/lensImage.png", "\x89PNG old picture");

  std::vector<std::uint8_t> archive(data, data + size);
  if (!Rc4Transform(HistoryKey(), archive)) cbx::fuzz::Fail("no cipher");
  const std::string hist = root + "/in.hist";
  cbx::fuzz::WriteBytes(hist, archive.data(), archive.size());
  const std::map<std::string, std::string> before = Contents(root);

  HistoryLocations where;
  where.localAppData = root + "/share";
  where.dataFolder = root + "/" + kData.substr(0, kData.size() - 1);
  where.tempFolder = where.dataFolder + "/Temp";
  where.lensDatabase = where.dataFolder + "/LensDatabase";
  cbx::AppState state;
  ImportUi ui(hist);
  TransferContext context{state, ui, nullptr, where};
  const TransferOutcome outcome = ImportHistory(context);

  for (const std::string& file : cbx::fuzz::FilesBelow(root)) {
    if (file == "in.hist") continue;
    const std::string rest = file.rfind(kData, 0) == 0 ? file.substr(kData.size()) : std::string();
    const bool allowed = rest == "LensHistory.dat" || rest == "DockHistory.dat" ||
                         rest.rfind("LensDatabase/", 0) == 0 || rest.rfind("Temp/", 0) == 0;
    if (!allowed) cbx::fuzz::Fail("import wrote " + file);
  }
  for (const std::string& file : cbx::fuzz::FilesBelow(cbx::fuzz::ScratchFolder())) {
    if (file.rfind("import/", 0) != 0) cbx::fuzz::Fail("import wrote outside its sandbox: " + file);
  }
  if (outcome != TransferOutcome::kDone && Contents(root) != before) {
    cbx::fuzz::Fail("a failed import changed the data folder");
  }
  return 0;
}
