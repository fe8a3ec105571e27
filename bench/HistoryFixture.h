// A data folder of its own (XDG_DATA_HOME points into it) holding a lens history with three
// 4 KiB pictures per record and a dock history: what the history and start-up benchmarks load.
#pragma once

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "records/HistoryFiles.h"
#include "update/DockHistory.h"
#include "update/LensHistory.h"

namespace cbx::bench {

namespace fs = std::filesystem;

inline constexpr std::size_t kPictureBytes = 4096;

inline void WritePicture(const std::string& path, const std::string& bytes) {
  fs::create_directories(fs::path(path).parent_path());
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) return;
  std::fwrite(bytes.data(), 1, bytes.size(), f);
  std::fclose(f);
}

// A lens with its three pictures on disk. Serials and focal lengths vary so the history's
// order has work to do.
inline update::CLensUpdateInfoData Device(const records::HistoryLocations& where, int n) {
  update::CLensUpdateInfoData r;
  r.serialNumber = std::to_string(10000000 + (n * 7919) % 1000003);
  r.productCodeText = "4A1";
  r.deviceCategory = 0;
  r.mountCode = 0x20;
  r.productName = "Device " + r.serialNumber;
  r.rawFocalLength = std::to_string(18 + n % 13) + "," + std::to_string(35 + n % 17 * 10);
  update::BuildListsFromRawTexts(r);
  const std::string folder = where.lensDatabase + "/" + r.serialNumber + "/Image/";
  r.lensImagePath = folder + "lensImage.png";
  r.focusFcImagePath = folder + "fc.png";
  r.focusFlImagePath = folder + "fl.png";
  const std::string picture(kPictureBytes, static_cast<char>('A' + n % 26));
  for (const std::string* p : {&r.lensImagePath, &r.focusFcImagePath, &r.focusFlImagePath}) WritePicture(*p, picture);
  r.lensImageSize = r.focusFcImageSize = r.focusFlImageSize = static_cast<int>(kPictureBytes);
  return r;
}

struct DataFolder {
  fs::path root;
  records::HistoryLocations where;

  // Points XDG_DATA_HOME of this process (and the programs it starts) into a fresh folder.
  explicit DataFolder(const std::string& name) {
    root = fs::temp_directory_path() / ("calibrix-bench-" + name + "-" + std::to_string(getpid()));
    fs::remove_all(root);
    setenv("XDG_DATA_HOME", (root / "share").c_str(), 1);
    where = records::HistoryLocations::Current();
    fs::create_directories(where.tempFolder);
    fs::create_directories(where.lensDatabase);
  }
  ~DataFolder() {
    std::error_code ec;
    fs::remove_all(root, ec);
  }
  DataFolder(const DataFolder&) = delete;
  DataFolder& operator=(const DataFolder&) = delete;

  void AddLenses(update::LensHistory& history, int records) const {
    for (int i = 0; i < records; ++i) history.AddOrReplace(Device(where, i));
  }
  // Both history files, as a shop's computer holds them after meeting these many devices
  // and ending a run: the pictures live only in the lens history until the next start.
  void WriteHistories(int lensRecords, int dockRecords) const {
    update::LensHistory lenses;
    AddLenses(lenses, lensRecords);
    records::SaveLensUpdateInfoData(lenses, where);
    update::DockHistory docks;
    for (int i = 0; i < dockRecords; ++i) {
      docks.UpdateDockHistory("1.02.0000." + std::to_string(i), "KV", "Dock " + std::to_string(i), "1.02");
    }
    records::SaveDockHistory(docks, where);
    RemovePictures();
  }
  // What the end of a run does to the lens database.
  void RemovePictures() const { fs::remove_all(where.lensDatabase); }
  std::uintmax_t FileBytes(const char* name) const {
    std::error_code ec;
    const std::uintmax_t size = fs::file_size(fs::path(where.dataFolder) / name, ec);
    return ec ? 0 : size;
  }
};

}  // namespace cbx::bench
