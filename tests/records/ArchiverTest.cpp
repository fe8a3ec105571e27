#include "records/Archiver.h"
#include "ZipFixture.h"

#include <archive.h>
#include <archive_entry.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "support/TempDir.h"

namespace cbx::records {
namespace {

namespace fs = std::filesystem;
using test::ReadFile;
using test::TempDir;

const std::string kPassword(kHistoryZipPassword);

// Every file and folder below root: relative name -> "/" for a folder, else size and digest of
// the content (short enough to read in a failure message).
std::map<std::string, std::string> Tree(const fs::path& root) {
  std::map<std::string, std::string> tree;
  for (auto it = fs::recursive_directory_iterator(root); it != fs::recursive_directory_iterator(); ++it) {
    const std::string name = it->path().lexically_relative(root).generic_string();
    if (it->is_symlink()) {
      tree[name] = "link";
    } else if (it->is_directory()) {
      tree[name] = "/";
    } else {
      const std::string content = ReadFile(it->path().string());
      tree[name] = std::to_string(content.size()) + " bytes #" + std::to_string(std::hash<std::string>{}(content));
    }
  }
  return tree;
}

std::string Binary(std::size_t size) {
  std::string text;
  std::uint32_t x = 7;
  for (std::size_t i = 0; i < size; ++i) {
    x = x * 1664525u + 1013904223u;
    text.push_back(static_cast<char>(x >> 24));
  }
  return text;
}

// A "LensDatabase" folder as export sees it, with a blank in its path.
std::map<std::string, std::string> MakeLensDatabase(const TempDir& dir, const std::string& folder) {
  dir.Write(folder + "/DockHistory.dat", std::string("dock\0history", 12));
  dir.Write(folder + "/LensHistory.dat", "lens history");
  dir.Write(folder + "/P1/E/L 1/Image/photo.jpg", Binary(300000));
  dir.Write(folder + "/P1/Message/eng.ini", "");
  fs::create_directories(dir / (folder + "/Empty"));
  return Tree(dir / folder);
}

std::string SevenZip() {
  for (const char* candidate : {"/usr/bin/7zz", "/usr/local/bin/7zz"}) {
    if (access(candidate, X_OK) == 0) return candidate;
  }
  return {};
}

// Runs a program in folder cwd; returns its exit code and puts its output in `output`.
int RunTool(const std::vector<std::string>& argv, const std::string& cwd, const TempDir& dir, std::string& output) {
  const std::string log = dir / "tool-output.txt";
  const pid_t pid = fork();
  if (pid == 0) {
    const int fd = open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (fd < 0 || chdir(cwd.c_str()) != 0) _exit(126);
    dup2(fd, 1);
    dup2(fd, 2);
    std::vector<char*> args;
    for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    execv(args[0], args.data());
    _exit(127);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  output = ReadFile(log);
  fs::remove(log);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(ArchiverCommands, AreQuotedAndRefuseQuotationMarks) {
  EXPECT_EQ(ExportCommand("/d/my h.hist", "/d/Lens Database"),
            "a -tzip -hide -pHrTavelQsULnx \"/d/my h.hist\" \"/d/Lens Database/\" *");
  EXPECT_EQ(ExportCommand("/d/h.hist", "/d/LensDatabase/"), "a -tzip -hide -pHrTavelQsULnx \"/d/h.hist\" \"/d/LensDatabase/\" *");
  EXPECT_EQ(ImportCommand("/d/L/h.hist.tmp", "/d/L"), "x \"/d/L/h.hist.tmp\" -hide -pHrTavelQsULnx -aoa -o\"/d/L\"");
  EXPECT_EQ(ExportCommand("/d/a\"b.hist", "/d/L"), "");
  EXPECT_EQ(ExportCommand("/d/h.hist", "/d/\"L"), "");
  EXPECT_EQ(ImportCommand("/d/a\"b.tmp", "/d/L"), "");
  EXPECT_EQ(ImportCommand("/d/h.tmp", "/d/L\""), "");
}

TEST(Archiver, ExportThenImportRestoresTheTreeAndOverwrites) {
  TempDir dir;
  const auto expected = MakeLensDatabase(dir, "Lens Database");
  fs::create_symlink(dir / "Lens Database/P1", dir / "Lens Database/link");  // links are not archived
  const std::string archive = dir / "my history.zip";
  Archiver archiver;
  const auto exported = archiver.Run(ExportCommand(archive, dir / "Lens Database"));
  ASSERT_EQ(exported.code, 0) << exported.message;

  dir.Write("Out Folder/DockHistory.dat", "older content that is longer");
  const auto imported = archiver.Run(ImportCommand(archive, dir / "Out Folder"));
  ASSERT_EQ(imported.code, 0) << imported.message;
  EXPECT_EQ(Tree(dir / "Out Folder"), expected);
}

TEST(Archiver, ExportInsideTheArchivedFolderLeavesTheArchiveOut) {
  TempDir dir;
  const auto expected = MakeLensDatabase(dir, "L");
  const std::string archive = dir / "L/h.hist.zip";
  Archiver archiver;
  ASSERT_EQ(archiver.Run(ExportCommand(archive, dir / "L")).code, 0);
  ASSERT_EQ(archiver.Run(ImportCommand(archive, dir / "out")).code, 0);
  EXPECT_EQ(Tree(dir / "out"), expected);
}

TEST(Archiver, SevenZipReadsOurArchives) {
  const std::string sevenZip = SevenZip();
  if (sevenZip.empty()) GTEST_SKIP() << "7zz is not installed";
  TempDir dir;
  const auto expected = MakeLensDatabase(dir, "Lens Database");
  const std::string archive = dir / "ours.zip";
  ASSERT_EQ(Archiver().Run(ExportCommand(archive, dir / "Lens Database")).code, 0);

  std::string output;
  ASSERT_EQ(RunTool({sevenZip, "l", "-slt", "-p" + kPassword, archive}, dir.path(), dir, output), 0) << output;
  EXPECT_NE(output.find("Path = P1/E/L 1/Image/photo.jpg"), std::string::npos) << output;
  EXPECT_NE(output.find("Method = ZipCrypto Deflate"), std::string::npos) << output;

  EXPECT_NE(RunTool({sevenZip, "x", "-pWrongPassword", "-o" + (dir / "wrong"), archive}, dir.path(), dir, output), 0);
  ASSERT_EQ(RunTool({sevenZip, "x", "-p" + kPassword, "-o" + (dir / "by 7zz"), archive}, dir.path(), dir, output), 0)
      << output;
  EXPECT_EQ(Tree(dir / "by 7zz"), expected);
}

TEST(Archiver, ReadsArchivesMadeBySevenZip) {
  const std::string sevenZip = SevenZip();
  if (sevenZip.empty()) GTEST_SKIP() << "7zz is not installed";
  TempDir dir;
  const auto expected = MakeLensDatabase(dir, "src");
  const std::string archive = dir / "by 7zz.zip";
  std::string output;
  ASSERT_EQ(RunTool({sevenZip, "a", "-tzip", "-p" + kPassword, "-mem=ZipCrypto", archive, "*"}, dir / "src", dir, output), 0)
      << output;

  const auto result = Archiver().Run(ImportCommand(archive, dir / "Lens Database"));
  ASSERT_EQ(result.code, 0) << result.message;
  EXPECT_EQ(Tree(dir / "Lens Database"), expected);
}

TEST(Archiver, BadCommandsAndBadArchivesFailWithoutWriting) {
  TempDir dir;
  MakeLensDatabase(dir, "L");
  const std::string good = dir / "good.zip";
  ASSERT_EQ(Archiver().Run(ExportCommand(good, dir / "L")).code, 0);
  const std::string random = dir.Write("random.hist", Binary(5000));
  const std::string truncated = dir.Write("truncated.zip", ReadFile(good).substr(0, 2000));
  const std::string out = dir / "out";
  const std::string longPath = dir / std::string(1000, 'x');

  for (const std::string& command : {
           "x \"" + good + "\" -hide -pWrongPassword -aoa -o\"" + out + "\"",
           "x \"" + good + "\" -hide -aoa -o\"" + out + "\"",  // no password
           ImportCommand(random, out),
           ImportCommand(truncated, out),
           ImportCommand(dir / "missing.zip", out),
           ImportCommand(dir / "L", out),
           "x \"" + good + "\" -hide -p" + kPassword + " -aoa",  // no output folder
           "x \"" + good + "\" -hide -p" + kPassword + " -aoa -o\"" + out,  // unbalanced quotes
           "x \"" + good + "\" -hide -p" + kPassword + " -aoa -y -o\"" + out + "\"",
           "t \"" + good + "\" -p" + kPassword,
           ImportCommand(longPath, out),
           std::string(),
       }) {
    EXPECT_NE(Archiver().Run(command).code, 0) << command;
    EXPECT_TRUE(!fs::exists(out) || fs::is_empty(out)) << command;
  }

  for (const std::string& command : {
           ExportCommand(dir / "x.zip", dir / "missing"),
           "a -hide -p" + kPassword + " \"" + (dir / "x.zip") + "\" \"" + (dir / "L/") + "\" *",  // no -tzip
           "a -tzip -hide -p" + kPassword + " \"" + (dir / "x.zip") + "\" \"" + (dir / "L/") + "\"",  // no *
           ExportCommand(dir / "no such folder/x.zip", dir / "L"),
       }) {
    EXPECT_NE(Archiver().Run(command).code, 0) << command;
    EXPECT_FALSE(fs::exists(dir / "x.zip")) << command;
  }
}

// A damaged zip found by fuzzing: its "DockHistory.dat" entry, of an unknown method, claims
// 160 MB and holds nothing; extracting it made a file of 160 MB of zeros.
std::string ZipClaimingMoreThanItHolds() {
  const std::string hex =
      "504b0304140000000000dd718a5d000000000000000000000000040000004132372f50006c696e6b2f4c656e73486973"
      "746f72792e64617400000000504b030414000000023cdc718a5d00000000000000000000000a0f000000446f636b4869"
      "73746f72792e646174504b0304140000000000dc718a5d1cdf442104000000040000000f0000004c656e73486973746f"
      "72792e64617400000000504b0102496d00004132372f49002f6d61670f652f0a99999999999999999999999999999999"
      "99999999999999999999999999999999990000";
  std::string bytes;
  for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
    bytes.push_back(static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16)));
  }
  return bytes;
}

TEST(Archiver, RefusesAnEntryWhoseSizeDiffersFromItsData) {
  TempDir dir;
  const std::string zip = dir.Write("claims.zip", ZipClaimingMoreThanItHolds());
  const std::string out = dir / "out";
  const auto result = Archiver().Run(ImportCommand(zip, out));
  EXPECT_NE(result.code, 0) << result.message;
  EXPECT_TRUE(!fs::exists(out) || fs::is_empty(out));
}

TEST(Archiver, AFailedImportLeavesTheOutputFolderAsItWas) {
  TempDir dir;
  dir.Write("out/good.txt", "old");
  const auto before = Tree(dir / "out");
  const std::string zip = dir / "late-fault.zip";
  WriteZip(zip, {{"good.txt", AE_IFREG, "new"}, {"sub/new.txt", AE_IFREG, "x"}, {"../evil.txt", AE_IFREG, "x"}});
  EXPECT_NE(Archiver().Run(ImportCommand(zip, dir / "out")).code, 0);
  EXPECT_EQ(Tree(dir / "out"), before);
}

TEST(Archiver, RefusesEntriesThatCouldWriteOutsideTheOutputFolder) {
  TempDir dir;
  const std::string absolute = dir / "abs-evil.txt";
  const std::vector<std::vector<ZipEntry>> archives = {
      {{"good.txt", AE_IFREG, "ok"}, {"../evil.txt", AE_IFREG, "x"}},
      {{"good.txt", AE_IFREG, "ok"}, {"sub/../../evil.txt", AE_IFREG, "x"}},
      {{"good.txt", AE_IFREG, "ok"}, {"sub\\..\\..\\evil.txt", AE_IFREG, "x"}},
      {{"good.txt", AE_IFREG, "ok"}, {absolute, AE_IFREG, "x"}},
      {{"good.txt", AE_IFREG, "ok"}, {"link", AE_IFLNK, dir.path().string()}, {"link/evil.txt", AE_IFREG, "x"}},
      {{"good.txt", AE_IFREG, "ok"}, {"inner", AE_IFLNK, "good.txt"}},
  };
  for (std::size_t i = 0; i < archives.size(); ++i) {
    const std::string zip = dir / ("hostile" + std::to_string(i) + ".zip");
    WriteZip(zip, archives[i]);
    const std::string out = dir / "Lens Database";
    EXPECT_NE(Archiver().Run(ImportCommand(zip, out)).code, 0) << i;
    EXPECT_TRUE(!fs::exists(out) || fs::is_empty(out)) << i << ": nothing at all is extracted";
    EXPECT_FALSE(fs::exists(dir / "evil.txt")) << i;
    EXPECT_FALSE(fs::exists(absolute)) << i;
  }

  // A link already in the output folder is not followed either.
  dir.Write("outside/keep.txt", "keep");
  dir.Write("out/placeholder", "");
  fs::create_symlink(dir / "outside", dir / "out/link");
  const std::string zip = dir / "through-link.zip";
  WriteZip(zip, {{"link/keep.txt", AE_IFREG, "overwritten"}});
  EXPECT_NE(Archiver().Run(ImportCommand(zip, dir / "out")).code, 0);
  EXPECT_EQ(ReadFile(dir / "outside/keep.txt"), "keep");
}

}  // namespace
}  // namespace cbx::records
