#include "records/HistoryFiles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <ctime>
#include <filesystem>
#include <limits>
#include <optional>
#include <span>
#include <string_view>
#include <utility>

#include "app/EnsureFolder.h"
#include "app/FileBytes.h"
#include "app/Folders.h"
#include "app/Log.h"

namespace cbx::records {

namespace {

namespace fs = std::filesystem;

using update::CLensUpdateInfoData;

// Function numbers of the error reports.
constexpr int kFnLoadLens = 5;
constexpr int kFnSaveLens = 6;
constexpr int kFnLoadImage = 7;
constexpr int kFnSaveImage = 8;

constexpr int kErrCreateFolder = 9;
constexpr int kErrOpenHistory = 12;
constexpr int kErrLoadLensImage = 13;
constexpr int kErrLoadFcImage = 14;
constexpr int kErrLoadFlImage = 15;
constexpr int kErrOpenFile = 16;
constexpr int kErrWriteFile = 17;
constexpr int kErrSaveLensImage = 18;
constexpr int kErrSaveFcImage = 19;
constexpr int kErrSaveFlImage = 20;
constexpr int kErrOverwrite = 21;
constexpr int kErrDeleteTemp = 22;
constexpr int kErrSizeDiffers = 23;
constexpr int kErrOutOfRange = 38;

constexpr std::size_t kMaxPathUnits = 260;
constexpr std::string_view kDataPartBackslash = "ORVANE\\ORVANE Calibrix";
constexpr std::string_view kDataPartSlash = "ORVANE/ORVANE Calibrix";

std::function<bool(std::size_t)>& WriteHook() {
  static std::function<bool(std::size_t)> hook;
  return hook;
}

void Report(int functionNumber, int errorNumber, const std::string& detail) {
  ReportError(functionNumber, errorNumber, 0, detail);
}

// Mounts whose lenses never carry an FC picture.
bool IsMlMount(int mountCode) { return mountCode == 0x60 || mountCode == 0x90 || mountCode == 0xA0; }

// Out-of-range categories are stored as 0, so the pictures that follow must be those of 0.
int StoredCategory(int category) { return category >= 0 && category <= 3 ? category : 0; }

bool IsRegularFile(const std::string& path) {
  std::error_code ec;
  return fs::is_regular_file(path, ec);
}

bool Exists(const std::string& path) {
  std::error_code ec;
  return fs::exists(fs::symlink_status(path, ec));
}

std::string CacheName(const std::string& tempFolder, std::string_view prefix) {
  const auto now = std::chrono::system_clock::now();
  const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
  const auto millis =
      std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
  std::tm utc{};
  gmtime_r(&seconds, &utc);
  char name[64];
  std::snprintf(name, sizeof name, "%.*s_%04d%02d%02d_%02d%02d%02d%03d.dat", static_cast<int>(prefix.size()),
                prefix.data(), utc.tm_year + 1900, utc.tm_mon + 1, utc.tm_mday, utc.tm_hour, utc.tm_min,
                utc.tm_sec, static_cast<int>(millis));
  return JoinPath(tempFolder, name);
}

std::uint64_t BytesLeft(std::FILE* file) {
  struct stat info {};
  const off_t position = ftello(file);
  if (position < 0 || fstat(fileno(file), &info) != 0 || info.st_size < position) return 0;
  return static_cast<std::uint64_t>(info.st_size - position);
}

bool WriteAll(std::FILE* file, std::span<const std::uint8_t> bytes) {
  return bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
}

bool WriteAll(std::FILE* file, const std::string& bytes) {
  return bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
}

bool SkipBytes(std::FILE* file, std::int32_t count) {
  if (count < 0 || BytesLeft(file) < static_cast<std::uint64_t>(count)) return false;
  return fseeko(file, static_cast<off_t>(count), SEEK_CUR) == 0;
}

// Flushes a written file to the disk, so a rename after it never exposes a partial file.
bool FlushToDisk(std::FILE* file) { return std::fflush(file) == 0 && fsync(fileno(file)) == 0; }

void SyncFolder(const std::string& folder) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY);
  if (fd < 0) return;
  fsync(fd);
  ::close(fd);
}

// Copies `from` over `to` and flushes `to` to the disk; a partial `to` is removed.
bool CopyDurably(const std::string& from, const std::string& to) {
  std::FILE* in = std::fopen(from.c_str(), "rb");
  if (in == nullptr) return false;
  std::FILE* out = std::fopen(to.c_str(), "wb");
  if (out == nullptr) {
    std::fclose(in);
    return false;
  }
  std::array<char, 65536> buffer{};
  bool ok = true;
  std::size_t n = 0;
  while (ok && (n = std::fread(buffer.data(), 1, buffer.size(), in)) > 0) {
    ok = std::fwrite(buffer.data(), 1, n, out) == n;
  }
  ok = ok && std::ferror(in) == 0 && FlushToDisk(out);
  std::fclose(in);
  ok = std::fclose(out) == 0 && ok;
  if (!ok) std::remove(to.c_str());
  return ok;
}

enum class RecordStep { kRecord, kEnd, kCut, kOversize, kUndersize };

struct NextRecord {
  RecordStep step = RecordStep::kEnd;
  std::uint32_t size = 0;
};

// Reads the next record into `image` (zeroed first, so a shorter record of an earlier layout
// leaves the rest zero). Zero size words between records are skipped. Never reads more than
// one image: a larger size field is reported back without reading anything of the record.
NextRecord ReadNextRecord(std::FILE* file, std::span<std::uint8_t> image) {
  for (;;) {
    // No size query per word: a file may hold millions of zero words, and each query costs
    // system calls.
    std::array<std::uint8_t, 4> word{};
    if (std::fread(word.data(), 1, word.size(), file) != word.size()) return {RecordStep::kEnd, 0};
    const std::uint32_t size = ReadU32(word, 0);
    if (size == 0) continue;
    if (size > image.size()) return {RecordStep::kOversize, size};
    // A record always holds at least its own size word.
    if (size < word.size()) return {RecordStep::kUndersize, size};
    if (BytesLeft(file) < size - word.size()) return {RecordStep::kCut, size};
    std::fill(image.begin(), image.end(), std::uint8_t{0});
    std::copy(word.begin(), word.end(), image.begin());
    const std::size_t rest = size - word.size();
    if (std::fread(image.data() + word.size(), 1, rest, file) != rest) return {RecordStep::kCut, size};
    return {RecordStep::kRecord, size};
  }
}

// A picture may only be written inside the LensDatabase folder.
bool IsInsideFolder(const std::string& path, const std::string& folder) {
  if (path.empty() || folder.empty() || path.front() != '/') return false;
  const fs::path target(path);
  for (const auto& part : target) {
    if (part == "..") return false;
  }
  const fs::path base = fs::path(folder).lexically_normal();
  const fs::path normal = target.lexically_normal();
  auto b = base.begin();
  auto t = normal.begin();
  for (; b != base.end(); ++b, ++t) {
    if (b->empty()) continue;  // the trailing separator of a folder path
    if (t == normal.end() || *t != *b) return false;
  }
  return t != normal.end() && !t->empty();
}

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return {};
  return slash == 0 ? std::string("/") : path.substr(0, slash);
}

// The content of a picture file for the history file; nothing when it cannot be read or is
// too large for a size field.
std::optional<std::string> ReadPicture(const std::string& path) {
  std::optional<std::string> bytes = ReadFileBytes(path);
  if (bytes && bytes->size() > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max())) {
    return std::nullopt;
  }
  return bytes;
}

// Writes the complete new content under a temporary name and only then puts it in place of
// the history file, so an interrupted or failed save leaves the old file as it was. Through
// the time-stamped cache when a file is being replaced, directly when there is none yet.
void SaveHistoryFile(const HistoryLocations& where, const char* fileName, bool report,
                     const std::function<bool(std::FILE*, const std::string&)>& writeEntries) {
  const auto say = [report](int errorNumber, const std::string& detail) {
    if (report) Report(kFnSaveLens, errorNumber, detail);
  };
  if (!EnsureFolder(where.dataFolder)) return say(kErrCreateFolder, where.dataFolder);
  if (!EnsureFolder(where.tempFolder)) return say(kErrCreateFolder, where.tempFolder);

  const std::string historyPath = JoinPath(where.dataFolder, fileName);
  const std::string newPath = historyPath + ".new";
  const bool replacing = Exists(historyPath);
  const std::string target = replacing ? HistoryCacheFileName(where.tempFolder) : newPath;

  std::FILE* out = std::fopen(target.c_str(), "wb");
  if (out == nullptr) return say(kErrOpenFile, target);
  bool ok = writeEntries(out, target);
  if (ok && !FlushToDisk(out)) {
    say(kErrWriteFile, target);
    ok = false;
  }
  if (std::fclose(out) != 0 && ok) {
    say(kErrWriteFile, target);
    ok = false;
  }
  if (!ok) {
    std::remove(target.c_str());
    return;
  }

  if (replacing && !CopyDurably(target, newPath)) {
    say(kErrOverwrite, historyPath);
    if (std::remove(target.c_str()) != 0) say(kErrDeleteTemp, target);
    return;
  }
  if (std::rename(newPath.c_str(), historyPath.c_str()) != 0) {
    say(kErrOverwrite, historyPath);
    std::remove(newPath.c_str());
  } else {
    SyncFolder(where.dataFolder);
  }
  if (replacing && std::remove(target.c_str()) != 0) say(kErrDeleteTemp, target);
}

// Flushes a finished entry and lets a test fail or interrupt the save there.
bool EntryDone(std::FILE* out, std::size_t entries) {
  if (std::fflush(out) != 0) return false;
  const auto& hook = WriteHook();
  return !hook || hook(entries);
}

struct PictureToSave {
  const std::string* path = nullptr;
  int saveError = 0;         // (6, n) when it cannot be read or appended
  bool reportMissing = true;  // false where a missing picture is expected
  std::string bytes;
};

bool WriteLensEntries(std::FILE* out, const std::string& target, const update::LensHistory& history) {
  std::size_t entries = 0;
  for (const CLensUpdateInfoData& record : history.Records()) {
    const bool lens = StoredCategory(record.deviceCategory) == 0;
    const bool mlMount = IsMlMount(record.mountCode);
    CLensUpdateInfoData stored = record;
    std::array<PictureToSave, 3> pictures{{
        {&record.lensImagePath, kErrSaveLensImage, true, {}},
        {&record.focusFcImagePath, kErrSaveFcImage, true, {}},
        {&record.focusFlImagePath, kErrSaveFlImage, !mlMount, {}},
    }};
    const bool appended[3] = {true, lens && !mlMount, lens};
    int* sizes[3] = {&stored.lensImageSize, &stored.focusFcImageSize, &stored.focusFlImageSize};

    // Sizes are settled before the record is written, so each equals the bytes that follow.
    for (std::size_t i = 0; i < pictures.size(); ++i) {
      *sizes[i] = 0;
      if (!appended[i] || pictures[i].path->empty()) continue;
      std::optional<std::string> bytes = ReadPicture(*pictures[i].path);
      if (!bytes) {
        Report(kFnSaveImage, kErrOpenFile, *pictures[i].path);
        if (pictures[i].reportMissing) Report(kFnSaveLens, pictures[i].saveError, *pictures[i].path);
        continue;
      }
      pictures[i].bytes = std::move(*bytes);
      *sizes[i] = static_cast<int>(pictures[i].bytes.size());
    }

    if (!WriteAll(out, PackLensRecord(stored))) {
      Report(kFnSaveLens, kErrWriteFile, target);
      return false;
    }
    for (const PictureToSave& picture : pictures) {
      if (WriteAll(out, picture.bytes)) continue;
      Report(kFnSaveImage, kErrWriteFile, *picture.path);
      Report(kFnSaveLens, picture.saveError, *picture.path);
      return false;
    }
    if (!EntryDone(out, ++entries)) {
      Report(kFnSaveLens, kErrWriteFile, target);
      return false;
    }
  }
  return true;
}

// Where a stored picture goes on loading, and how many bytes of the file are its.
struct PictureToLoad {
  std::string path;       // empty: the bytes are read and dropped
  std::string shownPath;  // the path named in reports
  std::int32_t size = 0;
  int loadError = 0;
  bool failureIgnored = false;
};

bool LoadPicture(std::FILE* file, const PictureToLoad& picture, const HistoryLocations& where) {
  if (!picture.path.empty()) return LoadImageFile(file, picture.path, picture.size, where);
  if (SkipBytes(file, picture.size)) return true;
  Report(kFnLoadImage, kErrSizeDiffers, picture.shownPath);
  return false;
}

// Rebases the picture paths of a stored record and keeps only those inside the LensDatabase
// folder; returns the pictures to read after the record, in file order.
std::vector<PictureToLoad> SettlePicturePaths(CLensUpdateInfoData& record, const HistoryLocations& where) {
  const bool lens = record.deviceCategory == 0;
  record.lensImagePath = RebaseDataPath(record.lensImagePath, where.localAppData);
  if (!lens) {
    record.focusFcImagePath.clear();
    record.focusFlImagePath.clear();
  }
  record.focusFcImagePath = RebaseDataPath(record.focusFcImagePath, where.localAppData);
  record.focusFlImagePath = RebaseDataPath(record.focusFlImagePath, where.localAppData);

  struct Slot {
    std::string* path;
    int* size;
    int loadError;
    bool failureIgnored;
  };
  std::vector<Slot> slots{{&record.lensImagePath, &record.lensImageSize, kErrLoadLensImage, false}};
  if (lens) {
    slots.push_back({&record.focusFcImagePath, &record.focusFcImageSize, kErrLoadFcImage,
                     IsMlMount(record.mountCode)});
    slots.push_back({&record.focusFlImagePath, &record.focusFlImageSize, kErrLoadFlImage, false});
  }
  std::vector<PictureToLoad> pictures;
  for (const Slot& slot : slots) {
    PictureToLoad picture{*slot.path, *slot.path, *slot.size, slot.loadError, slot.failureIgnored};
    if (!IsInsideFolder(*slot.path, where.lensDatabase)) {
      // Its bytes are dropped and the path forgotten, so no later save reads that file.
      if (!slot.path->empty()) Report(kFnLoadLens, kErrOutOfRange, *slot.path);
      picture.path.clear();
      slot.path->clear();
      *slot.size = 0;
    }
    pictures.push_back(std::move(picture));
  }
  return pictures;
}

std::string LocalAppDataOf(std::string dataFolder) {
  const std::string suffix = std::string("/") + std::string(kDataPartSlash);
  if (!dataFolder.ends_with(suffix)) return {};
  dataFolder.resize(dataFolder.size() - suffix.size());
  return dataFolder.empty() ? std::string("/") : dataFolder;
}

}  // namespace

HistoryLocations HistoryLocations::Current() {
  HistoryLocations where;
  where.dataFolder = GetFolder(kFolderData);
  where.tempFolder = GetFolder(kFolderTemp);
  where.lensDatabase = GetFolder(kFolderLensDatabase);
  where.localAppData = LocalAppDataOf(where.dataFolder);
  return where;
}

std::string RebaseDataPath(const std::string& storedPath, const std::string& localAppDataFolder) {
  if (Utf16Length(storedPath) >= kMaxPathUnits) return {};
  if (localAppDataFolder.empty()) return storedPath;
  std::size_t found = std::string::npos;
  for (const std::string_view part : {kDataPartBackslash, kDataPartSlash}) {
    const std::size_t at = storedPath.rfind(part);
    if (at != std::string::npos && at >= 1 && (found == std::string::npos || at > found)) found = at;
  }
  if (found == std::string::npos) return storedPath;
  std::string tail = storedPath.substr(found);
  std::replace(tail.begin(), tail.end(), '\\', kPathSeparator);
  return JoinPath(localAppDataFolder, tail);
}

std::string RebaseDataPath(const std::string& storedPath) {
  return RebaseDataPath(storedPath, HistoryLocations::Current().localAppData);
}

std::string HistoryCacheFileName(const std::string& tempFolder) { return CacheName(tempFolder, "CBXCahce"); }

std::string ImageCacheFileName(const std::string& tempFolder) {
  return CacheName(tempFolder, "CBXImageCahce");
}

bool LoadImageFile(std::FILE* historyFile, const std::string& picturePath, std::int32_t byteCount,
                   const HistoryLocations& where) {
  if (byteCount == 0) return true;
  if (byteCount < 0 || BytesLeft(historyFile) < static_cast<std::uint64_t>(byteCount)) {
    Report(kFnLoadImage, kErrSizeDiffers, picturePath);
    return false;
  }
  std::string bytes(static_cast<std::size_t>(byteCount), '\0');
  if (std::fread(bytes.data(), 1, bytes.size(), historyFile) != bytes.size()) {
    Report(kFnLoadImage, kErrSizeDiffers, picturePath);
    return false;
  }
  const std::string folder = FolderOf(picturePath);
  if (!EnsureFolder(folder)) {
    Report(kFnLoadImage, kErrCreateFolder, folder);
    return false;
  }
  if (!EnsureFolder(where.tempFolder)) {
    Report(kFnLoadImage, kErrCreateFolder, where.tempFolder);
    return false;
  }
  const bool replacing = Exists(picturePath);
  const std::string target = replacing ? ImageCacheFileName(where.tempFolder) : picturePath;
  std::FILE* out = std::fopen(target.c_str(), "wb");
  if (out == nullptr) {
    Report(kFnLoadImage, kErrOpenFile, target);
    return false;
  }
  const bool written = WriteAll(out, bytes) && std::fflush(out) == 0;
  if (std::fclose(out) != 0 || !written) {
    Report(kFnLoadImage, kErrWriteFile, target);
    std::remove(target.c_str());
    return false;
  }
  if (replacing && std::rename(target.c_str(), picturePath.c_str()) != 0) {
    // Another file system: copy, then remove the cache.
    if (!CopyDurably(target, picturePath)) Report(kFnLoadImage, kErrOverwrite, picturePath);
    if (std::remove(target.c_str()) != 0) Report(kFnLoadImage, kErrDeleteTemp, target);
  }
  return true;
}

bool SaveImageFile(std::FILE* historyFile, const std::string& picturePath) {
  const std::optional<std::string> bytes = ReadPicture(picturePath);
  if (!bytes) {
    Report(kFnSaveImage, kErrOpenFile, picturePath);
    return false;
  }
  if (!WriteAll(historyFile, *bytes)) {
    Report(kFnSaveImage, kErrWriteFile, picturePath);
    return false;
  }
  return true;
}

void LoadLensUpdateInfoData(update::LensHistory& history, const HistoryLocations& where) {
  const std::string path = JoinPath(where.dataFolder, kLensHistoryFileName);
  if (!Exists(path)) return;
  std::FILE* file = IsRegularFile(path) ? std::fopen(path.c_str(), "rb") : nullptr;
  if (file == nullptr) return Report(kFnLoadLens, kErrOpenHistory, path);
  history.Clear();
  std::vector<std::uint8_t> image(kLensRecordSize);
  for (;;) {
    const NextRecord next = ReadNextRecord(file, image);
    if (next.step == RecordStep::kOversize) Report(kFnLoadLens, kErrOutOfRange, path);
    if (next.step != RecordStep::kRecord) break;
    CLensUpdateInfoData record = UnpackLensRecord(image);
    if (Utf16Length(record.focusFlImagePath) >= kMaxPathUnits) break;
    const std::vector<PictureToLoad> pictures = SettlePicturePaths(record, where);
    history.AddOrReplace(record);
    bool stop = false;
    for (const PictureToLoad& picture : pictures) {
      if (LoadPicture(file, picture, where) || picture.failureIgnored) continue;
      Report(kFnLoadLens, picture.loadError, picture.shownPath);
      stop = true;
      break;
    }
    if (stop) break;
  }
  std::fclose(file);
}

void SaveLensUpdateInfoData(const update::LensHistory& history, const HistoryLocations& where) {
  SaveHistoryFile(where, kLensHistoryFileName, true, [&history](std::FILE* out, const std::string& target) {
    return WriteLensEntries(out, target, history);
  });
}

void LoadDockHistory(update::DockHistory& history, const HistoryLocations& where) {
  const std::string path = JoinPath(where.dataFolder, kDockHistoryFileName);
  std::FILE* file = IsRegularFile(path) ? std::fopen(path.c_str(), "rb") : nullptr;
  if (file == nullptr) return;
  history.Clear();
  std::vector<std::uint8_t> image(kDockRecordSize);
  while (ReadNextRecord(file, image).step == RecordStep::kRecord) history.Add(UnpackDockRecord(image));
  std::fclose(file);
}

void SaveDockHistory(const update::DockHistory& history, const HistoryLocations& where) {
  SaveHistoryFile(where, kDockHistoryFileName, false, [&history](std::FILE* out, const std::string&) {
    std::size_t entries = 0;
    for (const update::_DOCK_INFO_DATA& record : history.Records()) {
      if (!WriteAll(out, PackDockRecord(record)) || !EntryDone(out, ++entries)) return false;
    }
    return true;
  });
}

std::vector<CLensUpdateInfoData> ReadLensHistoryFile(const std::string& path, std::string* error) {
  std::vector<CLensUpdateInfoData> records;
  const auto fail = [error](std::string why) {
    if (error != nullptr) *error = std::move(why);
  };
  fail({});
  std::FILE* file = IsRegularFile(path) ? std::fopen(path.c_str(), "rb") : nullptr;
  if (file == nullptr) {
    fail("cannot open " + path);
    return records;
  }
  std::vector<std::uint8_t> image(kLensRecordSize);
  for (;;) {
    const std::string entry = "entry " + std::to_string(records.size() + 1) + ": ";
    const NextRecord next = ReadNextRecord(file, image);
    if (next.step == RecordStep::kEnd) break;
    if (next.step != RecordStep::kRecord) {
      const std::string size = std::to_string(next.size);
      fail(entry + (next.step == RecordStep::kOversize    ? "size field " + size + " exceeds the record length"
                    : next.step == RecordStep::kUndersize ? "size field " + size + " is too small"
                                                          : "record cut short"));
      break;
    }
    records.push_back(UnpackLensRecord(image));
    const CLensUpdateInfoData& record = records.back();
    if (Utf16Length(record.focusFlImagePath) >= kMaxPathUnits) {
      fail(entry + "focusFlImagePath has no end");
      break;
    }
    bool complete = SkipBytes(file, record.lensImageSize);
    if (complete && record.deviceCategory == 0) {
      complete = SkipBytes(file, record.focusFcImageSize) && SkipBytes(file, record.focusFlImageSize);
    }
    if (!complete) {
      fail(entry + "picture bytes cut short");
      break;
    }
  }
  std::fclose(file);
  return records;
}

void SetHistoryWriteHookForTesting(std::function<bool(std::size_t entriesWritten)> hook) {
  WriteHook() = std::move(hook);
}

}  // namespace cbx::records
