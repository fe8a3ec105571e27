// The zip archiver behind history export and import. It understands two command texts:
//   a -tzip -hide -p<password> <archive> <folder>/ *      add everything below <folder>
//   x <archive> -hide -p<password> -aoa -o<folder>         extract with full paths, overwriting
// Tokens are separated by blanks; double quotation marks let a token hold blanks and are
// removed. Archives are Deflate zips protected with traditional PKWARE encryption, so other
// zip tools can read them with the password.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace cbx::records {

// The password of history archives.
inline constexpr std::string_view kHistoryZipPassword = "HrTavelQsULnx";

// Longest command text the archiver accepts, in bytes.
inline constexpr std::size_t kMaxCommandBytes = 1023;

class Archiver {
 public:
  struct Result {
    int code = 0;  // 0: the command succeeded; anything else: it failed
    std::string message;
  };

  // Runs one command text. Extraction puts nothing into the output folder unless every entry
  // is acceptable: absolute names, ".." components and entries other than files and folders
  // fail the whole command.
  Result Run(const std::string& commandText);
};

// The export command for an archive and the "LensDatabase" folder, both quoted so blanks work.
// Empty when a path holds a double quotation mark (it cannot be quoted).
std::string ExportCommand(const std::string& archivePath, const std::string& lensDatabaseFolder);

// The import command extracting the archive into the "LensDatabase" folder; empty under the
// same condition.
std::string ImportCommand(const std::string& tmpArchivePath, const std::string& lensDatabaseFolder);

}  // namespace cbx::records
