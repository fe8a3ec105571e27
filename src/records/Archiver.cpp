#include "records/Archiver.h"

#include <archive.h>
#include <archive_entry.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <system_error>
#include <utility>
#include <vector>

namespace cbx::records {
namespace fs = std::filesystem;
namespace {

constexpr std::size_t kBlockBytes = 64 * 1024;

Archiver::Result Fail(std::string message) { return {1, std::move(message)}; }

std::string Lower(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

// ---- command text ----

struct Token {
  std::string text;
  bool quotedStart = false;  // began inside quotation marks, so never a switch
};

std::optional<std::vector<Token>> Tokenize(std::string_view command) {
  std::vector<Token> tokens;
  Token current;
  bool inToken = false;
  bool inQuotes = false;
  for (char c : command) {
    if (c == '"') {
      if (!inToken) current.quotedStart = true;
      inToken = true;
      inQuotes = !inQuotes;
    } else if ((c == ' ' || c == '\t') && !inQuotes) {
      if (inToken) tokens.push_back(std::move(current));
      current = Token{};
      inToken = false;
    } else {
      inToken = true;
      current.text.push_back(c);
    }
  }
  if (inQuotes) return std::nullopt;
  if (inToken) tokens.push_back(std::move(current));
  return tokens;
}

struct Command {
  char verb = 0;  // 'a' or 'x'
  bool zipType = false;
  std::optional<std::string> password;
  std::optional<std::string> outputFolder;
  std::vector<std::string> operands;
};

// Switch names are case-insensitive; their values (password, folder) are taken as written.
std::optional<Command> Parse(const std::string& text, std::string& error) {
  const auto tokens = Tokenize(text);
  if (!tokens || tokens->empty()) {
    error = "empty command or unbalanced quotation marks";
    return std::nullopt;
  }
  Command command;
  const std::string verb = Lower((*tokens)[0].text);
  if (verb == "a" || verb == "x") {
    command.verb = verb[0];
  } else {
    error = "unknown command: " + (*tokens)[0].text;
    return std::nullopt;
  }
  for (std::size_t i = 1; i < tokens->size(); ++i) {
    const Token& token = (*tokens)[i];
    if (token.quotedStart || token.text.empty() || token.text[0] != '-') {
      command.operands.push_back(token.text);
      continue;
    }
    const std::string name = Lower(token.text);
    if (name == "-hide") continue;
    if (name == "-tzip") {
      command.zipType = true;
    } else if (name == "-aoa" && command.verb == 'x') {
      // Overwriting existing files is what extraction does anyway.
    } else if (name.size() > 2 && name[1] == 'p') {
      command.password = token.text.substr(2);
    } else if (name.size() > 2 && name[1] == 'o' && command.verb == 'x') {
      command.outputFolder = token.text.substr(2);
    } else {
      error = "unknown switch: " + token.text;
      return std::nullopt;
    }
  }
  if (command.verb == 'a') {
    if (!command.zipType || command.operands.size() != 3 || command.operands[2] != "*" ||
        command.operands[0].empty() || command.operands[1].empty()) {
      error = "expected: a -tzip [-p<password>] <archive> <folder> *";
      return std::nullopt;
    }
  } else if (command.operands.size() != 1 || command.operands[0].empty() || !command.outputFolder) {
    error = "expected: x <archive> [-p<password>] -o<folder>";
    return std::nullopt;
  }
  return command;
}

// ---- libarchive handles ----

struct ReadHandle {
  archive* a = archive_read_new();
  ~ReadHandle() {
    if (a != nullptr) archive_read_free(a);
  }
  ReadHandle() = default;
  ReadHandle(const ReadHandle&) = delete;
  ReadHandle& operator=(const ReadHandle&) = delete;
};

struct WriteHandle {
  archive* a;
  explicit WriteHandle(archive* handle) : a(handle) {}
  ~WriteHandle() {
    if (a != nullptr) archive_write_free(a);
  }
  WriteHandle(const WriteHandle&) = delete;
  WriteHandle& operator=(const WriteHandle&) = delete;
};

struct EntryHandle {
  archive_entry* e = archive_entry_new();
  ~EntryHandle() {
    if (e != nullptr) archive_entry_free(e);
  }
  EntryHandle() = default;
  EntryHandle(const EntryHandle&) = delete;
  EntryHandle& operator=(const EntryHandle&) = delete;
};

std::string ErrorText(archive* a, std::string_view what) {
  const char* detail = a != nullptr ? archive_error_string(a) : nullptr;
  std::string text(what);
  if (detail != nullptr) text.append(": ").append(detail);
  return text;
}

// ---- adding ----

// Every file and folder below base, relative to it with "/" separators, in a stable order.
// Links and special files are left out; a folder that cannot be listed fails the export.
bool ListTree(const fs::path& base, std::vector<std::string>& out) {
  std::error_code ec;
  fs::recursive_directory_iterator it(base, fs::directory_options::none, ec);
  for (; !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
    const fs::file_status status = it->symlink_status(ec);
    if (ec) return false;
    if (fs::is_regular_file(status) || fs::is_directory(status)) {
      out.push_back(it->path().lexically_relative(base).generic_string());
    }
  }
  if (ec) return false;
  std::sort(out.begin(), out.end());
  return true;
}

bool AddFileData(archive* a, const std::string& path, std::int64_t size) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
  if (fd < 0) return false;
  std::vector<char> buffer(kBlockBytes);
  std::int64_t remaining = size;
  bool ok = true;
  while (ok && remaining > 0) {
    const std::size_t want = remaining < static_cast<std::int64_t>(buffer.size())
                                 ? static_cast<std::size_t>(remaining)
                                 : buffer.size();
    const ssize_t got = ::read(fd, buffer.data(), want);
    if (got < 0 && errno == EINTR) continue;
    // A file that shrinks while it is read would leave its entry short.
    ok = got > 0 && archive_write_data(a, buffer.data(), static_cast<std::size_t>(got)) == got;
    remaining -= got;
  }
  ::close(fd);
  return ok;
}

Archiver::Result AddFolder(const std::string& archivePath, std::string folder,
                           const std::optional<std::string>& password) {
  while (folder.size() > 1 && (folder.back() == '/' || folder.back() == '\\')) folder.pop_back();
  const fs::path base(folder);
  std::error_code ec;
  if (!fs::is_directory(base, ec)) return Fail("not a folder: " + folder);
  std::vector<std::string> names;
  if (!ListTree(base, names)) return Fail("cannot list " + folder);

  WriteHandle writer(archive_write_new());
  archive* a = writer.a;
  if (a == nullptr) return Fail("out of memory");
  if (archive_write_set_format_zip(a) != ARCHIVE_OK ||
      archive_write_set_options(a, "zip:compression=deflate") != ARCHIVE_OK ||
      (password && (archive_write_set_options(a, "zip:encryption=zipcrypt") != ARCHIVE_OK ||
                    archive_write_set_passphrase(a, password->c_str()) != ARCHIVE_OK))) {
    return Fail(ErrorText(a, "zip writer setup"));
  }
  if (archive_write_open_filename(a, archivePath.c_str()) != ARCHIVE_OK) {
    return Fail(ErrorText(a, "cannot create " + archivePath));
  }

  // The archive may lie inside the folder it is made from; it must not swallow itself.
  struct stat self {};
  const bool haveSelf = ::stat(archivePath.c_str(), &self) == 0;
  auto failAndRemove = [&](const std::string& message) {
    archive_write_free(writer.a);
    writer.a = nullptr;
    ::unlink(archivePath.c_str());
    return Fail(message);
  };

  for (const std::string& name : names) {
    const std::string full = (base / name).string();
    struct stat info {};
    if (::lstat(full.c_str(), &info) != 0) return failAndRemove("cannot read " + full);
    if (haveSelf && info.st_dev == self.st_dev && info.st_ino == self.st_ino) continue;
    const bool isFile = S_ISREG(info.st_mode);
    if (!isFile && !S_ISDIR(info.st_mode)) continue;

    EntryHandle entry;
    if (entry.e == nullptr) return failAndRemove("out of memory");
    archive_entry_copy_stat(entry.e, &info);
    archive_entry_set_pathname(entry.e, name.c_str());
    if (!isFile) archive_entry_set_size(entry.e, 0);
    if (archive_write_header(a, entry.e) < ARCHIVE_WARN) return failAndRemove(ErrorText(a, "cannot add " + name));
    if (isFile && !AddFileData(a, full, info.st_size)) return failAndRemove("cannot read " + full);
    if (archive_write_finish_entry(a) < ARCHIVE_WARN) return failAndRemove(ErrorText(a, "cannot add " + name));
  }
  if (archive_write_close(a) != ARCHIVE_OK) return failAndRemove(ErrorText(a, "cannot write " + archivePath));
  return {};
}

// ---- extracting ----

// The entry's name as a relative path below the output folder, or nothing when the entry
// could write outside it. "\" counts as a separator too: archives made on Windows use it.
std::optional<std::string> SafeRelativeName(archive_entry* entry) {
  const char* raw = archive_entry_pathname(entry);
  if (raw == nullptr) raw = archive_entry_pathname_utf8(entry);
  if (raw == nullptr) return std::nullopt;
  std::string name(raw);
  std::replace(name.begin(), name.end(), '\\', '/');
  if (name.empty() || name[0] == '/') return std::nullopt;
  if (name.size() >= 2 && name[1] == ':') return std::nullopt;  // drive letter
  std::string out;
  std::size_t start = 0;
  while (start <= name.size()) {
    std::size_t end = name.find('/', start);
    if (end == std::string::npos) end = name.size();
    const std::string_view part(name.data() + start, end - start);
    if (part == "..") return std::nullopt;
    if (!part.empty() && part != ".") {
      if (!out.empty()) out.push_back('/');
      out.append(part);
    }
    start = end + 1;
  }
  if (out.empty()) return std::nullopt;
  return out;
}

bool IsPlainEntry(archive_entry* entry) {
  const auto type = archive_entry_filetype(entry);
  return (type == AE_IFREG || type == AE_IFDIR) && archive_entry_hardlink(entry) == nullptr &&
         archive_entry_symlink(entry) == nullptr;
}

bool OpenForReading(archive* a, const std::string& archivePath, const std::optional<std::string>& password) {
  return archive_read_support_format_zip(a) == ARCHIVE_OK &&
         (!password || archive_read_add_passphrase(a, password->c_str()) == ARCHIVE_OK) &&
         archive_read_open_filename(a, archivePath.c_str(), kBlockBytes) == ARCHIVE_OK;
}

// One pass into `staging`: every entry must be acceptable and its data must read back intact
// (password, checksums); the first that is not ends the pass.
Archiver::Result ExtractInto(const std::string& archivePath, const std::optional<std::string>& password,
                             const fs::path& staging) {
  ReadHandle reader;
  archive* a = reader.a;
  WriteHandle disk(archive_write_disk_new());
  if (a == nullptr || disk.a == nullptr) return Fail("out of memory");
  // Entry names are made absolute below the staging folder, so the absolute-path guard cannot
  // be used; the link and ".." guards still stop anything that slipped past the name check.
  archive_write_disk_set_options(disk.a, ARCHIVE_EXTRACT_TIME | ARCHIVE_EXTRACT_SECURE_SYMLINKS |
                                             ARCHIVE_EXTRACT_SECURE_NODOTDOT);
  if (!OpenForReading(a, archivePath, password)) return Fail(ErrorText(a, "cannot open " + archivePath));
  for (;;) {
    archive_entry* entry = nullptr;
    const int r = archive_read_next_header(a, &entry);
    if (r == ARCHIVE_EOF) break;
    if (r < ARCHIVE_WARN) return Fail(ErrorText(a, "damaged archive"));
    const auto name = SafeRelativeName(entry);
    if (!name || !IsPlainEntry(entry)) {
      const char* shown = archive_entry_pathname(entry);
      return Fail(std::string("refused entry: ") + (shown != nullptr ? shown : "?"));
    }
    const bool isFile = archive_entry_filetype(entry) == AE_IFREG;
    // The disk writer would make the file as long as the header says, so a header that claims
    // more than the data holds would give a file of nothing but zeros, of any size: the size
    // is checked against the data instead.
    const la_int64_t declared = archive_entry_size_is_set(entry) ? archive_entry_size(entry) : -1;
    archive_entry_unset_size(entry);
    archive_entry_set_pathname(entry, (staging / *name).c_str());
    // Extracted files must stay replaceable and removable by a later import.
    archive_entry_set_perm(entry, (archive_entry_perm(entry) & 0777) | (isFile ? 0600 : 0700));
    if (archive_write_header(disk.a, entry) < ARCHIVE_WARN) return Fail(ErrorText(disk.a, "cannot create " + *name));
    la_int64_t total = 0;
    if (isFile) {
      const void* block = nullptr;
      std::size_t size = 0;
      la_int64_t offset = 0;
      int d = ARCHIVE_OK;
      while ((d = archive_read_data_block(a, &block, &size, &offset)) == ARCHIVE_OK) {
        if (archive_write_data_block(disk.a, block, size, offset) < ARCHIVE_WARN) {
          return Fail(ErrorText(disk.a, "cannot write " + *name));
        }
        total += static_cast<la_int64_t>(size);
      }
      if (d != ARCHIVE_EOF) return Fail(ErrorText(a, "cannot read " + *name));
    }
    if (declared >= 0 && declared != total) return Fail("damaged archive: size of " + *name + " differs from its data");
    if (archive_write_finish_entry(disk.a) < ARCHIVE_WARN) return Fail(ErrorText(disk.a, "cannot write " + *name));
  }
  if (archive_write_close(disk.a) < ARCHIVE_WARN) return Fail(ErrorText(disk.a, "cannot finish extraction"));
  return {};
}

// Moves everything below `from` into `to`: files replace files of the same name, folders merge
// with folders. Both lie on one file system, so each move is a rename.
Archiver::Result MoveInto(const fs::path& from, const fs::path& to) {
  std::error_code ec;
  std::vector<fs::path> entries;
  for (const fs::directory_entry& e : fs::directory_iterator(from, ec)) entries.push_back(e.path());
  if (ec) return Fail("cannot list " + from.string());
  for (const fs::path& source : entries) {
    const fs::path target = to / source.filename();
    const bool folder = fs::is_directory(fs::symlink_status(source, ec));
    if (folder && fs::is_directory(fs::symlink_status(target, ec))) {
      if (Archiver::Result moved = MoveInto(source, target); moved.code != 0) return moved;
      continue;
    }
    if (fs::is_directory(fs::symlink_status(target, ec))) return Fail("a folder stands where " + target.string() + " goes");
    fs::rename(source, target, ec);
    if (ec) return Fail("cannot put " + target.string() + " in place: " + ec.message());
  }
  return {};
}

Archiver::Result Extract(const std::string& archivePath, const std::string& folder,
                         const std::optional<std::string>& password) {
  std::error_code ec;
  const bool folderExisted = fs::exists(folder, ec);
  fs::create_directories(folder, ec);
  const fs::path outputFolder = fs::canonical(folder, ec);
  if (ec || !fs::is_directory(outputFolder, ec)) return Fail("no output folder: " + folder);
  // Everything is extracted once into a staging folder beside the files it replaces and moved
  // into place only when the whole archive has proved good: a bad archive writes nothing.
  std::string staging = (outputFolder / ".extracting-XXXXXX").string();
  if (mkdtemp(staging.data()) == nullptr) return Fail("cannot create a folder in " + folder);
  Archiver::Result result = ExtractInto(archivePath, password, staging);
  if (result.code == 0) result = MoveInto(staging, outputFolder);
  fs::remove_all(staging, ec);
  if (result.code != 0 && !folderExisted) fs::remove(outputFolder, ec);  // only if still empty
  return result;
}

std::string Quoted(const std::string& text) { return '"' + text + '"'; }

}  // namespace

Archiver::Result Archiver::Run(const std::string& commandText) {
  try {
    if (commandText.size() > kMaxCommandBytes) return Fail("command text too long");
    std::string error;
    const auto command = Parse(commandText, error);
    if (!command) return Fail(error);
    if (command->password && command->password->empty()) return Fail("empty password");
    if (command->verb == 'a') return AddFolder(command->operands[0], command->operands[1], command->password);
    return Extract(command->operands[0], *command->outputFolder, command->password);
  } catch (...) {  // out of memory; the command simply fails
    return Fail("out of memory");
  }
}

std::string ExportCommand(const std::string& archivePath, const std::string& lensDatabaseFolder) {
  if (archivePath.find('"') != std::string::npos || lensDatabaseFolder.find('"') != std::string::npos) return {};
  if (archivePath.empty() || lensDatabaseFolder.empty()) return {};
  std::string folder = lensDatabaseFolder;
  if (folder.back() != '/') folder.push_back('/');
  return "a -tzip -hide -p" + std::string(kHistoryZipPassword) + " " + Quoted(archivePath) + " " +
         Quoted(folder) + " *";
}

std::string ImportCommand(const std::string& tmpArchivePath, const std::string& lensDatabaseFolder) {
  if (tmpArchivePath.empty() || lensDatabaseFolder.empty()) return {};
  if (tmpArchivePath.find('"') != std::string::npos || lensDatabaseFolder.find('"') != std::string::npos) return {};
  return "x " + Quoted(tmpArchivePath) + " -hide -p" + std::string(kHistoryZipPassword) + " -aoa -o" +
         Quoted(lensDatabaseFolder);
}

}  // namespace cbx::records
