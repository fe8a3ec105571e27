#include "records/HistoryFiles.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/ErrorTables.h"
#include "app/Log.h"
#include "support/TempDir.h"

namespace cbx::records {
namespace {

namespace fs = std::filesystem;
using test::ReadFile;
using update::CLensUpdateInfoData;

class HistoryFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    where_.localAppData = dir_ / "share";
    where_.dataFolder = where_.localAppData + "/ORVANE/ORVANE Calibrix";
    where_.tempFolder = where_.dataFolder + "/Temp";
    where_.lensDatabase = where_.dataFolder + "/LensDatabase";
    logPath_ = dir_ / "CBXLog.txt";
    Log::Instance().Configure(true, logPath_);
  }
  void TearDown() override {
    SetHistoryWriteHookForTesting({});
    Log::Instance().Configure(false, "");
  }

  std::string LensFile() const { return where_.dataFolder + "/LensHistory.dat"; }
  std::string DockFile() const { return where_.dataFolder + "/DockHistory.dat"; }
  std::string LogText() const { return ReadFile(logPath_); }
  bool Reported(int code, const std::string& detail) const {
    const std::string line = "ErrNo." + std::to_string(code) + "::" + std::string(ErrorText(code % 100)) +
                             ":\"" + detail + "\"";
    return LogText().find(line) != std::string::npos;
  }

  std::string Picture(const std::string& serial, const std::string& name) const {
    return where_.lensDatabase + "/" + serial + "/Image/" + name;
  }

  // A device with its pictures on disk; the sizes are what the update check recorded.
  CLensUpdateInfoData Device(const std::string& serial, int category, int mountCode) const {
    CLensUpdateInfoData r;
    r.serialNumber = serial;
    r.productCodeText = "1A3";
    r.deviceCategory = category;
    r.mountCode = mountCode;
    r.productName = "Device " + serial;
    r.rawFocalLength = "24,70";
    update::BuildListsFromRawTexts(r);
    r.lensImagePath = Picture(serial, "lensImage.png");
    r.focusFcImagePath = Picture(serial, "fc.png");
    r.focusFlImagePath = Picture(serial, "fl.png");
    const std::string pictures[] = {"LENS-" + serial, "FC-" + serial + "-xx", "FL-" + serial + "-yyyy"};
    WritePicture(r.lensImagePath, pictures[0]);
    WritePicture(r.focusFcImagePath, pictures[1]);
    WritePicture(r.focusFlImagePath, pictures[2]);
    r.lensImageSize = static_cast<int>(pictures[0].size());
    r.focusFcImageSize = static_cast<int>(pictures[1].size());
    r.focusFlImageSize = static_cast<int>(pictures[2].size());
    return r;
  }

  static void WritePicture(const std::string& path, const std::string& bytes) {
    fs::create_directories(fs::path(path).parent_path());
    std::FILE* f = std::fopen(path.c_str(), "wb");
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
  }

  // One stored entry: the record, then the given picture bytes.
  static std::string Entry(const CLensUpdateInfoData& record, const std::string& pictureBytes = {},
                           std::size_t recordLength = kLensRecordSize) {
    const LensRecordImage image = PackLensRecord(record);
    std::string out(reinterpret_cast<const char*>(image.data()), recordLength);
    for (std::size_t i = 0; i < 4; ++i) out[i] = static_cast<char>((recordLength >> (8 * i)) & 0xFF);
    return out + pictureBytes;
  }

  void WriteLensFile(const std::string& bytes) const {
    fs::create_directories(where_.dataFolder);
    WritePicture(LensFile(), bytes);
  }

  std::vector<std::string> CacheFiles() const {
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(where_.tempFolder, ec)) names.push_back(e.path().filename());
    return names;
  }

  test::TempDir dir_;
  HistoryLocations where_;
  std::string logPath_;
};

TEST_F(HistoryFiles, LensHistoryRoundTripWithPictures) {
  update::LensHistory history;
  const CLensUpdateInfoData lens = Device("100", 0, 0x20);
  CLensUpdateInfoData ml = Device("200", 0, 0x90);  // its FC picture is never appended
  const CLensUpdateInfoData adapter = Device("300", 1, 0x20);
  const CLensUpdateInfoData flash = Device("400", 2, 0x30);
  for (const auto& r : {lens, ml, adapter, flash}) history.AddOrReplace(r);

  SaveLensUpdateInfoData(history, where_);
  // Every picture of "100", LENS and FL of "200", LENS only of "300" and "400".
  EXPECT_EQ(fs::file_size(LensFile()), 4 * kLensRecordSize + (8 + 9 + 11) + (8 + 11) + 8 + 8);
  fs::remove_all(where_.lensDatabase);

  update::LensHistory loaded;
  LoadLensUpdateInfoData(loaded, where_);
  ml.focusFcImageSize = 0;
  std::vector<CLensUpdateInfoData> expected{lens, ml, adapter, flash};
  for (auto* other : {&expected[2], &expected[3]}) {
    other->focusFcImagePath.clear();
    other->focusFlImagePath.clear();
    other->focusFcImageSize = 0;
    other->focusFlImageSize = 0;
  }
  EXPECT_EQ(loaded.Records(), expected);
  EXPECT_EQ(ReadFile(lens.focusFcImagePath), "FC-100-xx");
  EXPECT_EQ(ReadFile(ml.focusFlImagePath), "FL-200-yyyy");
  EXPECT_EQ(ReadFile(adapter.lensImagePath), "LENS-300");
  EXPECT_FALSE(fs::exists(ml.focusFcImagePath));
  EXPECT_FALSE(fs::exists(adapter.focusFcImagePath));

  // Loading again replaces the existing pictures through image caches that do not stay.
  WritePicture(lens.lensImagePath, "stale");
  LoadLensUpdateInfoData(loaded, where_);
  EXPECT_EQ(ReadFile(lens.lensImagePath), "LENS-100");
  EXPECT_TRUE(CacheFiles().empty());
  EXPECT_EQ(loaded.Records(), expected);
  EXPECT_EQ(LogText(), "");
}

TEST_F(HistoryFiles, NewFileIsWrittenDirectlyAndAnOldOneReplacedThroughTheCache) {
  update::LensHistory history;
  history.AddOrReplace(Device("100", 0, 0x20));
  std::vector<std::string> seenInTemp;
  bool newFileSeen = false;
  SetHistoryWriteHookForTesting([&](std::size_t) {
    seenInTemp = CacheFiles();
    newFileSeen = fs::exists(LensFile() + ".new");
    return true;
  });

  SaveLensUpdateInfoData(history, where_);
  EXPECT_TRUE(seenInTemp.empty());
  EXPECT_TRUE(newFileSeen);
  EXPECT_TRUE(fs::exists(LensFile()));

  history.AddOrReplace(Device("200", 0, 0x20));
  SaveLensUpdateInfoData(history, where_);
  ASSERT_EQ(seenInTemp.size(), 1u);
  EXPECT_EQ(seenInTemp[0].rfind("CBXCahce_", 0), 0u);
  EXPECT_EQ(seenInTemp[0].size(), std::string("CBXCahce_20240501_120000000.dat").size());
  EXPECT_FALSE(newFileSeen);
  EXPECT_TRUE(CacheFiles().empty()) << "the cache is gone afterwards";
  EXPECT_FALSE(fs::exists(LensFile() + ".new"));

  update::LensHistory loaded;
  LoadLensUpdateInfoData(loaded, where_);
  EXPECT_EQ(loaded.Size(), 2);
}

TEST_F(HistoryFiles, FailedOrKilledSaveKeepsTheOldFile) {
  update::LensHistory history;
  history.AddOrReplace(Device("100", 0, 0x20));
  SaveLensUpdateInfoData(history, where_);
  const std::string old = ReadFile(LensFile());
  history.AddOrReplace(Device("200", 0, 0x20));
  history.AddOrReplace(Device("300", 0, 0x20));

  // A full disk after the first entry.
  SetHistoryWriteHookForTesting([](std::size_t entries) { return entries < 1; });
  SaveLensUpdateInfoData(history, where_);
  EXPECT_TRUE(ReadFile(LensFile()) == old);
  EXPECT_TRUE(CacheFiles().empty());
  EXPECT_NE(LogText().find("ErrNo.617::"), std::string::npos);

  // The process dies in the middle of writing the new content.
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    SetHistoryWriteHookForTesting([](std::size_t entries) {
      if (entries == 2) std::raise(SIGKILL);
      return true;
    });
    SaveLensUpdateInfoData(history, where_);
    _exit(0);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
  EXPECT_TRUE(ReadFile(LensFile()) == old);
  const auto leftovers = CacheFiles();
  ASSERT_EQ(leftovers.size(), 1u);
  EXPECT_GT(fs::file_size(where_.tempFolder + "/" + leftovers[0]), kLensRecordSize)
      << "the kill came while the new content was half written";

  SetHistoryWriteHookForTesting({});
  SaveLensUpdateInfoData(history, where_);
  update::LensHistory loaded;
  LoadLensUpdateInfoData(loaded, where_);
  EXPECT_EQ(loaded.Size(), 3);
}

TEST_F(HistoryFiles, MissingPictureIsSavedWithSizeZero) {
  update::LensHistory history;
  const CLensUpdateInfoData a = Device("100", 0, 0x20);
  const CLensUpdateInfoData b = Device("200", 0, 0x20);
  history.AddOrReplace(a);
  history.AddOrReplace(b);
  fs::remove(a.focusFcImagePath);

  SaveLensUpdateInfoData(history, where_);
  EXPECT_TRUE(Reported(816, a.focusFcImagePath));
  EXPECT_TRUE(Reported(619, a.focusFcImagePath));
  EXPECT_EQ(fs::file_size(LensFile()), 2 * kLensRecordSize + 2 * (8 + 9 + 11) - 9);

  update::LensHistory loaded;
  LoadLensUpdateInfoData(loaded, where_);
  ASSERT_EQ(loaded.Size(), 2);
  EXPECT_EQ(loaded.GetAt(0).focusFcImageSize, 0);
  EXPECT_EQ(loaded.GetAt(1), b);
}

TEST_F(HistoryFiles, DamagedFilesKeepTheEntriesBeforeTheDamage) {
  const CLensUpdateInfoData a = Device("100", 1, 0x20);
  const CLensUpdateInfoData b = Device("200", 1, 0x20);
  CLensUpdateInfoData c = Device("300", 1, 0x20);
  const std::string entries = Entry(a, "LENS-100") + std::string(4, '\0') + Entry(b, "LENS-200");
  const std::string oversize = [&] {
    std::string e = Entry(c, "LENS-300");
    e[0] = 0x05, e[1] = 0x78;  // 30725
    return e;
  }();
  const struct {
    const char* name;
    std::string file;
    std::size_t records;
    bool reported;
  } cases[] = {
      {"complete, with a zero gap", entries, 2, false},
      {"last record cut", entries + Entry(c).substr(0, 1000), 2, false},
      {"last picture cut", entries + Entry(c, "LENS-300").substr(0, kLensRecordSize + 3), 3, true},
      {"size field beyond the record", entries + oversize + Entry(c, "LENS-300"), 2, true},
  };
  for (const auto& t : cases) {
    WriteLensFile(t.file);
    fs::remove(logPath_);
    update::LensHistory loaded;
    loaded.AddOrReplace(Device("999", 0, 0x20));
    LoadLensUpdateInfoData(loaded, where_);
    EXPECT_EQ(static_cast<std::size_t>(loaded.Size()), t.records) << t.name;
    EXPECT_EQ(loaded.GetAt(1).serialNumber, "200") << t.name;
    EXPECT_EQ(LogText().empty(), !t.reported) << t.name;
  }
  EXPECT_TRUE(Reported(538, LensFile()));
}

TEST_F(HistoryFiles, OldLayoutAndRepeatedDeviceAndNoFile) {
  update::LensHistory loaded;
  loaded.AddOrReplace(Device("999", 0, 0x20));
  LoadLensUpdateInfoData(loaded, where_);
  EXPECT_EQ(loaded.Size(), 1) << "without a file the history stays";

  CLensUpdateInfoData old = Device("100", 0, 0x20);
  old.productCodeText.clear();
  old.productId = 291;
  old.focusFcImageSize = 0;
  old.focusFlImageSize = 0;
  CLensUpdateInfoData first = Device("200", 3, 0x20);
  CLensUpdateInfoData later = first;
  later.productName = "Renamed";
  WriteLensFile(Entry(first, "LENS-200") + Entry(old, "LENS-100", 26548) + Entry(later, "LENS-200"));

  LoadLensUpdateInfoData(loaded, where_);
  ASSERT_EQ(loaded.Size(), 2);
  const CLensUpdateInfoData r = loaded.GetAt(0);
  EXPECT_EQ(r.productCodeText, "291");
  EXPECT_EQ(r.productId, -1);
  EXPECT_EQ(r.MFreset, 1);
  EXPECT_EQ(r.DataWriteNumLimit, 0);
  EXPECT_EQ(ReadFile(r.lensImagePath), "LENS-100");
  EXPECT_EQ(loaded.GetAt(1).productName, "Renamed");
  EXPECT_EQ(LogText(), "");
}

TEST_F(HistoryFiles, PicturePathsAreMovedHereAndKeptInsideTheLensDatabase) {
  CLensUpdateInfoData moved = Device("100", 0, 0x20);
  moved.lensImagePath = R"(C:\Users\A\AppData\Local\ORVANE\ORVANE Calibrix\LensDatabase\100\Image\lensImage.png)";
  moved.focusFcImageSize = 0;
  moved.focusFlImagePath = "/elsewhere/ORVANE/ORVANE Calibrix/LensDatabase/../../../outside.png";
  moved.focusFlImageSize = 7;
  CLensUpdateInfoData outside = Device("200", 0, 0x20);
  outside.lensImagePath = dir_ / "outside.png";
  outside.focusFcImageSize = 0;
  outside.focusFlImageSize = 0;
  const CLensUpdateInfoData next = Device("300", 2, 0x20);
  fs::remove_all(where_.lensDatabase);
  WriteLensFile(Entry(moved, "LENS-100FL-EVIL") + Entry(outside, "EVIL-200") + Entry(next, "LENS-300"));

  update::LensHistory loaded;
  LoadLensUpdateInfoData(loaded, where_);
  ASSERT_EQ(loaded.Size(), 3);
  EXPECT_EQ(loaded.GetAt(0).lensImagePath, Picture("100", "lensImage.png"));
  EXPECT_EQ(ReadFile(Picture("100", "lensImage.png")), "LENS-100");
  EXPECT_EQ(loaded.GetAt(0).focusFlImagePath, "");
  EXPECT_EQ(loaded.GetAt(0).focusFlImageSize, 0);
  EXPECT_EQ(loaded.GetAt(1).lensImagePath, "");
  EXPECT_EQ(ReadFile(Picture("300", "lensImage.png")), "LENS-300");
  EXPECT_FALSE(fs::exists(dir_ / "outside.png"));
  EXPECT_FALSE(fs::exists(where_.localAppData + "/outside.png"));
  EXPECT_TRUE(Reported(538, outside.lensImagePath));
  EXPECT_TRUE(Reported(538, where_.localAppData + "/ORVANE/ORVANE Calibrix/LensDatabase/../../../outside.png"));
}

TEST_F(HistoryFiles, DockHistoryRoundTripAndZeroGap) {
  update::DockHistory history;
  history.Add({2084, "EO", "Dock EO", "1.0.02.0004", "1.02"});
  history.Add({2084, "TL", "Dock TL", "1.02.0003.0", "f.ff"});
  SaveDockHistory(history, where_);
  EXPECT_EQ(fs::file_size(DockFile()), 2 * kDockRecordSize);

  const std::string saved = ReadFile(DockFile());
  WritePicture(DockFile(), saved.substr(0, kDockRecordSize) + std::string(4, '\0') + saved.substr(kDockRecordSize) +
                               saved.substr(0, 100));
  update::DockHistory loaded;
  loaded.Add({2084, "KV", "Dock KV", "1", "1"});
  LoadDockHistory(loaded, where_);
  EXPECT_EQ(loaded.Records(), history.Records());

  history.Add({2084, "KV", "Dock KV", "1", "1"});
  SaveDockHistory(history, where_);
  LoadDockHistory(loaded, where_);
  EXPECT_EQ(loaded.Records().size(), 3u);
  EXPECT_TRUE(CacheFiles().empty());
  EXPECT_EQ(LogText(), "");
}

TEST_F(HistoryFiles, ARecordAfterALongZeroGapStillLoads) {
  // An imported archive can unpack to a history file of many megabytes of zero words.
  update::DockHistory history;
  history.Add({2084, "EO", "Dock EO", "1.0.02.0004", "1.02"});
  SaveDockHistory(history, where_);
  const std::string record = ReadFile(DockFile());
  fs::resize_file(DockFile(), record.size() + (std::uintmax_t{8} << 20));
  std::ofstream(DockFile(), std::ios::binary | std::ios::app) << record;

  update::DockHistory loaded;
  LoadDockHistory(loaded, where_);
  EXPECT_EQ(loaded.Records().size(), 2u);
}

TEST_F(HistoryFiles, InspectingAFileWritesNothing) {
  CLensUpdateInfoData a = Device("100", 0, 0x20);
  fs::remove_all(where_.lensDatabase);
  const std::string file = dir_ / "copy.dat";
  WritePicture(file, Entry(a, "LENS-100FC-100-xxFL-100-yyyy") + Entry(a).substr(0, 50));
  std::string error;
  const auto records = ReadLensHistoryFile(file, &error);
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0], a);
  EXPECT_EQ(error, "entry 2: record cut short");
  EXPECT_FALSE(fs::exists(where_.lensDatabase));
  ReadLensHistoryFile(dir_ / "none.dat", &error);
  EXPECT_FALSE(error.empty());
}

}  // namespace
}  // namespace cbx::records
