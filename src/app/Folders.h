// The folders every file of the program lives in, chosen by a small folder number.
#pragma once

#include <string>
#include <string_view>

namespace cbx {

enum FolderNumber : int {
  kFolderLog = 0,           // data folder: CBXLog.txt
  kFolderData = 1,          // data folder: CBXConfig.ini, history files
  kFolderStrings = 2,       // program folder: String.txt
  kFolderFonts = 3,         // program folder: Font.txt
  kFolderManual = 4,        // program folder: User Manual.pdf
  kFolderTemp = 7,          // data folder + Temp: caches, removed at exit
  kFolderLicense = 8,       // program folder: License.txt
  kFolderLensDatabase = 11, // data folder + LensDatabase: server mirror, removed at exit
  kFolderDownloads = 12,    // Downloads folder, with a trailing separator
};

inline constexpr char kPathSeparator = '/';

// Computes a folder afresh from the environment on every call; creates nothing.
// Unused numbers give an empty text.
std::string GetFolder(int folderNumber);

// True when the text ends with a path separator.
bool EndsWithSeparator(std::string_view path);

// Folder + separator (only when missing) + name.
std::string JoinPath(std::string_view folder, std::string_view name);

// The base folders, exposed for tools and tests.
std::string DataFolder();
std::string ProgramFolder();
std::string DownloadsFolder();

}  // namespace cbx
