// History export and import end to end: real files, the archiver, the cipher and 7-Zip as
// an independent reader.
#include "records/HistoryTransfer.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "app/Folders.h"
#include "records/Archiver.h"
#include "records/FolderOps.h"
#include "records/HistoryCipher.h"
#include "support/SilentSessionUi.h"
#include "support/TempDir.h"
#include "ZipFixture.h"

namespace cbx::records {
namespace {

namespace fs = std::filesystem;
using test::ReadFile;
using test::TempDir;

class FakeUi : public test::SilentSessionUi {
 public:
  int AskMessage(int kind, const std::string&) override {
    shown.push_back(kind);
    return kind == kMessageConfirmImport ? confirm : kResultAcknowledged;
  }
  std::optional<std::string> ChooseHistoryFile(bool) override { return file; }
  void HistoryImported() override { ++imported; }

  std::optional<std::string> file;
  int confirm = kResultYes;
  std::vector<int> shown;
  int imported = 0;
};

// One data folder with its mirror, as a run leaves it.
struct DataFolder {
  explicit DataFolder(const fs::path& root) {
    locations.localAppData = (root / "share").string();
    locations.dataFolder = (root / "share/ORVANE/ORVANE Calibrix").string();
    locations.tempFolder = JoinPath(locations.dataFolder, "Temp");
    locations.lensDatabase = JoinPath(locations.dataFolder, "LensDatabase");
  }
  HistoryLocations locations;
  AppState state;
  FakeUi ui;

  TransferOutcome Export() {
    TransferContext context{state, ui, nullptr, locations};
    return ExportHistory(context);
  }
  TransferOutcome Import() {
    TransferContext context{state, ui, nullptr, locations};
    return ImportHistory(context);
  }
  std::string L(const std::string& name) const { return JoinPath(locations.lensDatabase, name); }
  std::string D(const std::string& name) const { return JoinPath(locations.dataFolder, name); }
};

// A run that met one lens and one dock, with the lens's picture in the mirror.
void FillRun(DataFolder& run) {
  fs::create_directories(run.L("4A1/Image"));
  fs::create_directories(run.L("4A1/KV/0123"));
  const std::string picture = run.L("4A1/Image/lensImage.png");
  { std::ofstream(picture, std::ios::binary) << std::string("\x89PNG picture bytes", 18); }
  { std::ofstream(run.L("4A1/KV/0123/1.02.ini")) << "[Lens Config]\n"; }
  update::CLensUpdateInfoData lens;
  lens.serialNumber = "12345678";
  lens.productCodeText = "4A1";
  lens.productName = "24-70mm F2.8";
  lens.mountCode = 0x10;
  lens.formatMarker = 0xAA;
  lens.rawVersion = "1.02.0000.1";
  lens.deviceCategory = 1;  // pictures: the product picture only
  lens.lensImagePath = picture;
  lens.lensImageSize = 18;
  run.state.lensHistory.AddOrReplace(lens);
  run.state.dockHistory.UpdateDockHistory("1.02.0000.1", "KV", "KV mount dock", "1.02");
}

bool Have7Zip() { return fs::exists("/usr/bin/7zz"); }

TEST(HistoryTransfer, ExportedArchiveOpensIn7ZipAndImportsIntoAnEmptyDataFolder) {
  TempDir dir;
  DataFolder source(dir.path() / "pc1");
  FillRun(source);
  const std::string archive = dir / "my history.hist";
  source.ui.file = archive;
  ASSERT_EQ(source.Export(), TransferOutcome::kDone);
  EXPECT_TRUE(source.ui.shown.empty());
  EXPECT_FALSE(fs::exists(source.L("LensHistory.dat"))) << "the copies for the archiver are gone";
  EXPECT_FALSE(fs::exists(source.L("DockHistory.dat")));

  // The file is an enciphered zip: deciphered, 7-Zip lists and extracts it with the password.
  ASSERT_TRUE(DecipherToTemp(archive));
  ASSERT_EQ(ReadFile(archive + ".tmp").substr(0, 2), "PK");
  if (Have7Zip()) {
    const std::string out = dir / "extracted";
    const std::string command = "/usr/bin/7zz x -y -pHrTavelQsULnx -o'" + out + "' '" + archive + ".tmp' >/dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0);
    EXPECT_EQ(ReadFile(out + "/LensHistory.dat"), ReadFile(source.D("LensHistory.dat")));
    EXPECT_EQ(ReadFile(out + "/DockHistory.dat"), ReadFile(source.D("DockHistory.dat")));
    EXPECT_EQ(ReadFile(out + "/4A1/Image/lensImage.png"), std::string("\x89PNG picture bytes", 18));
    EXPECT_TRUE(fs::exists(out + "/4A1/KV/0123/1.02.ini"));
  }
  fs::remove(archive + ".tmp");

  DataFolder target(dir.path() / "pc2");
  target.ui.file = archive;
  target.state.shownDevice.serialNumber = "old";
  ASSERT_EQ(target.Import(), TransferOutcome::kDone);
  EXPECT_EQ(target.ui.shown, (std::vector<int>{kMessageConfirmImport}));
  EXPECT_EQ(target.ui.imported, 1);
  EXPECT_EQ(target.state.shownDevice.serialNumber, "");
  EXPECT_EQ(target.state.dockHistory.Records(), source.state.dockHistory.Records());
  const auto records = target.state.lensHistory.Records();
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].serialNumber, "12345678");
  EXPECT_EQ(records[0].productName, "24-70mm F2.8");
  EXPECT_EQ(records[0].lensImagePath, target.L("4A1/Image/lensImage.png")) << "rebased to this data folder";
  EXPECT_EQ(ReadFile(records[0].lensImagePath), std::string("\x89PNG picture bytes", 18));
  EXPECT_EQ(ReadFile(target.D("LensHistory.dat")), ReadFile(source.D("LensHistory.dat")));
  EXPECT_FALSE(fs::exists(target.D("LensHistory.dat.org")));
  EXPECT_FALSE(fs::exists(target.D("LensDatabase_org")));
  EXPECT_FALSE(fs::exists(archive + ".tmp"));
}

// What an import must leave alone when it fails.
struct Snapshot {
  explicit Snapshot(const DataFolder& run)
      : lens(ReadFile(run.D("LensHistory.dat"))), dock(ReadFile(run.D("DockHistory.dat"))),
        picture(ReadFile(run.L("4A1/Image/lensImage.png"))) {}
  bool operator==(const Snapshot&) const = default;
  std::string lens, dock, picture;
};

class FailedImportTest : public ::testing::Test {
 protected:
  void SetUp() override {
    FillRun(run_);
    // A first export leaves the history files in the data folder.
    run_.ui.file = dir_ / "first.hist";
    ASSERT_EQ(run_.Export(), TransferOutcome::kDone);
    run_.ui.shown.clear();
  }
  void ExpectUnchanged(const Snapshot& before) {
    EXPECT_EQ(Snapshot(run_), before);
    EXPECT_TRUE(fs::exists(run_.L("4A1/KV/0123/1.02.ini")));
    EXPECT_FALSE(fs::exists(run_.D("LensDatabase_org")));
    EXPECT_FALSE(fs::exists(run_.D("LensHistory.dat.org")));
    EXPECT_EQ(run_.ui.imported, 0);
  }
  TempDir dir_;
  DataFolder run_{dir_.path() / "pc"};
};

TEST_F(FailedImportTest, RandomFileIsUnreadable) {
  const Snapshot before(run_);
  run_.ui.file = dir_.Write("x.hist", std::string(4096, '\x5A'));
  EXPECT_EQ(run_.Import(), TransferOutcome::kFailed);
  EXPECT_EQ(run_.ui.shown, (std::vector<int>{kMessageConfirmImport, kMessageImportUnreadable}));
  ExpectUnchanged(before);
}

TEST_F(FailedImportTest, ArchiveWithoutTheLensHistoryIsIncomplete) {
  const Snapshot before(run_);
  const std::string content = dir_ / "content";
  fs::create_directories(content + "/Other");
  { std::ofstream(content + "/DockHistory.dat") << "dock"; }
  const std::string archive = dir_ / "partial.hist";
  ASSERT_EQ(Archiver().Run(ExportCommand(archive, content)).code, 0);
  ASSERT_TRUE(EncipherFile(archive));
  run_.ui.file = archive;
  EXPECT_EQ(run_.Import(), TransferOutcome::kFailed);
  EXPECT_EQ(run_.ui.shown, (std::vector<int>{kMessageConfirmImport, kMessageImportIncomplete}));
  ExpectUnchanged(before);
  EXPECT_FALSE(fs::exists(run_.L("Other"))) << "nothing of the failed archive stays";
}

TEST_F(FailedImportTest, EntriesLeavingTheMirrorAreRefused) {
  const Snapshot before(run_);
  const std::string archive = dir_ / "evil.hist";
  WriteZip(archive, {{"LensHistory.dat", AE_IFREG, "x"},
                     {"DockHistory.dat", AE_IFREG, "y"},
                     {"../../../escaped.txt", AE_IFREG, "outside"}});
  ASSERT_TRUE(EncipherFile(archive));
  run_.ui.file = archive;
  EXPECT_EQ(run_.Import(), TransferOutcome::kFailed);
  EXPECT_EQ(run_.ui.shown, (std::vector<int>{kMessageConfirmImport, kMessageImportUnreadable}));
  ExpectUnchanged(before);
  for (const auto& entry : fs::recursive_directory_iterator(dir_.path())) {
    EXPECT_NE(entry.path().filename(), "escaped.txt") << entry.path();
  }
}

TEST_F(FailedImportTest, CancelledConfirmationChangesNothing) {
  const Snapshot before(run_);
  run_.ui.confirm = kResultNo;
  run_.ui.file = dir_ / "first.hist";
  EXPECT_EQ(run_.Import(), TransferOutcome::kCancelled);
  ExpectUnchanged(before);
  run_.ui.confirm = kResultYes;
  run_.ui.file.reset();
  EXPECT_EQ(run_.Import(), TransferOutcome::kCancelled);
  ExpectUnchanged(before);
}

TEST(HistoryTransfer, ExportWithoutAMirrorFailsAndWritesNothing) {
  TempDir dir;
  DataFolder run(dir.path() / "pc");
  run.ui.file = dir / "out.hist";
  EXPECT_EQ(run.Export(), TransferOutcome::kFailed);
  EXPECT_EQ(run.ui.shown, (std::vector<int>{kMessageExportFailed}));
  EXPECT_FALSE(fs::exists(dir / "out.hist"));
  EXPECT_FALSE(run.state.exportImportRunning);
}

}  // namespace
}  // namespace cbx::records
