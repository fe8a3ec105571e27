// The two history files in the data folder: "LensHistory.dat" (lens records, each followed by
// the device's pictures) and "DockHistory.dat" (dock records). They let the history list show
// a device while it is unplugged and the update server is out of reach.
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "records/RecordCodec.h"
#include "update/DockHistory.h"
#include "update/LensHistory.h"
#include "update/LensUpdateInfo.h"

namespace cbx::records {

inline constexpr const char* kLensHistoryFileName = "LensHistory.dat";
inline constexpr const char* kDockHistoryFileName = "DockHistory.dat";

// Where the history files, their caches and the pictures live.
struct HistoryLocations {
  std::string dataFolder;    // holds the two history files
  std::string tempFolder;    // cache files
  std::string lensDatabase;  // the only folder pictures are written to
  std::string localAppData;  // the folder that holds "ORVANE/ORVANE Calibrix"

  static HistoryLocations Current();
};

// Moves a stored absolute path below `localAppDataFolder`: the part from the last
// "ORVANE\ORVANE Calibrix" (or with '/') on is kept, with '/' between all its parts. Paths of
// 260 or more characters give an empty text; paths without that part come back unchanged.
std::string RebaseDataPath(const std::string& storedPath, const std::string& localAppDataFolder);
std::string RebaseDataPath(const std::string& storedPath);

// "<temp>/CBXCahce_YYYYMMDD_hhmmssmmm.dat" and "<temp>/CBXImageCahce_....dat", in UTC. The
// spelling is part of the file set other copies of the program expect.
std::string HistoryCacheFileName(const std::string& tempFolder);
std::string ImageCacheFileName(const std::string& tempFolder);

// Replaces the lens history with the file's content and writes every stored picture back to
// its file below the LensDatabase folder. Without a file the history stays as it is.
void LoadLensUpdateInfoData(update::LensHistory& history, const HistoryLocations& where);
// Writes the lens history and its pictures; the old file is replaced only by a complete one.
void SaveLensUpdateInfoData(const update::LensHistory& history, const HistoryLocations& where);

// Reads the next `byteCount` bytes of `historyFile` and writes them to `picturePath` (an
// existing picture is replaced through an image cache file). A count of 0 writes nothing.
bool LoadImageFile(std::FILE* historyFile, const std::string& picturePath, std::int32_t byteCount,
                   const HistoryLocations& where);
// Appends the whole picture file to `historyFile`.
bool SaveImageFile(std::FILE* historyFile, const std::string& picturePath);

// Same as the lens history, without any report: a dock history is only a convenience.
void LoadDockHistory(update::DockHistory& history, const HistoryLocations& where);
void SaveDockHistory(const update::DockHistory& history, const HistoryLocations& where);

// The records of a lens history file as stored (paths not moved, pictures skipped), for
// looking into a file without touching anything. Stops where a load would stop; `error` then
// says why and the records before that point are returned.
std::vector<update::CLensUpdateInfoData> ReadLensHistoryFile(const std::string& path,
                                                             std::string* error = nullptr);

// Testing seam: called after each complete entry has been written and flushed to the new
// file of a save, with the number of entries so far. Returning false fails the save as a
// full disk would. An empty function removes the hook.
void SetHistoryWriteHookForTesting(std::function<bool(std::size_t entriesWritten)> hook);

}  // namespace cbx::records
