// Zips built with libarchive directly, so they can hold entries our own export never makes.
#pragma once

#include <archive.h>
#include <archive_entry.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace cbx::records {

inline const std::string kZipFixturePassword = "HrTavelQsULnx";

struct ZipEntry {
  std::string name;
  mode_t type = AE_IFREG;
  std::string content;  // link target for symbolic links
};

inline void WriteZip(const std::string& path, const std::vector<ZipEntry>& entries) {
  archive* a = archive_write_new();
  ASSERT_EQ(archive_write_set_format_zip(a), ARCHIVE_OK);
  ASSERT_EQ(archive_write_set_options(a, "zip:encryption=zipcrypt"), ARCHIVE_OK);
  ASSERT_EQ(archive_write_set_passphrase(a, kZipFixturePassword.c_str()), ARCHIVE_OK);
  ASSERT_EQ(archive_write_open_filename(a, path.c_str()), ARCHIVE_OK);
  for (const ZipEntry& e : entries) {
    archive_entry* entry = archive_entry_new();
    archive_entry_set_pathname(entry, e.name.c_str());
    archive_entry_set_filetype(entry, e.type);
    archive_entry_set_perm(entry, 0644);
    if (e.type == AE_IFLNK) {
      archive_entry_set_symlink(entry, e.content.c_str());
    } else {
      archive_entry_set_size(entry, static_cast<la_int64_t>(e.content.size()));
    }
    EXPECT_EQ(archive_write_header(a, entry), ARCHIVE_OK) << e.name << ": " << archive_error_string(a);
    if (e.type == AE_IFREG) archive_write_data(a, e.content.data(), e.content.size());
    archive_entry_free(entry);
  }
  EXPECT_EQ(archive_write_close(a), ARCHIVE_OK);
  archive_write_free(a);
}

}  // namespace cbx::records
