#include <gtest/gtest.h>

#include "app/EnsureFolder.h"
#include "support/TempDir.h"
#include "update/UpdatePaths.h"

namespace cbx::update {
namespace {

TEST(UpdatePaths, ProductFolderOnTheServerAndInTheMirror) {
  const std::string base = GetServerBaseUrl("http://127.0.0.1:8080/srv");
  EXPECT_EQ(base, "http://127.0.0.1:8080/srv/");
  EXPECT_EQ(GetServerBaseUrl("http://h/x/"), "http://h/x/");
  EXPECT_EQ(GetServerBaseUrl("").back(), '/');
  const std::string folder = ProductFolderUrl(base, "1A3", "EO", "010B");
  EXPECT_EQ(UrlJoin(folder, "1.02.ini"), "http://127.0.0.1:8080/srv/1A3/EO/010B/1.02.ini");
  EXPECT_EQ(LocalProductFolder("/r", "1A3", "EO", "010B"), "/r/1A3/EO/010B");
  EXPECT_EQ(LocalFirmwareFolder("/r", "1A3", "EO", "010B", "1.03"), "/r/1A3/EO/010B/1.03/FWFolder");
  EXPECT_EQ(LocalDocumentFolder("/r", "1A3", "EO", "010B", "1.03"), "/r/1A3/EO/010B/1.03/DOCFolder");
  EXPECT_EQ(ImageFolderUrl(base, "1A3") + "lensImage.png", base + "1A3/Image/lensImage.png");
  EXPECT_EQ(MessageFileUrl(base, "1A3", 3), base + "1A3/Message/deu.ini");
  EXPECT_EQ(DockFolderUrl(base, false, "KV"), base + "USBDock/KV");
  EXPECT_EQ(DockFolderUrl(base, true, "KV"), base + "USBDock_F/KV");
  EXPECT_EQ(LocalDockFirmwareFolder("/r", true, "KV", "1.1"), "/r/USBDock_F/KV/1.1/FWFolder");
  EXPECT_EQ(DockVersionText("1.02.0003.1", true), "1.02");
  EXPECT_EQ(DockVersionText("1.0.23.0045", false), "1.0.23.0045");
}

TEST(UpdatePaths, LanguageFilesAndProgramFolder) {
  const std::pair<int, const char*> cases[] = {{0, "eng"}, {1, "jpn"}, {2, "eng"}, {3, "deu"}, {8, "chs"},
                                               {10, "rus"}, {11, "eng"}, {-1, "eng"}};
  for (const auto& [language, code] : cases) {
    EXPECT_EQ(MessageFileName(language), std::string(code) + ".ini");
    EXPECT_EQ(DocumentFileName(language), std::string(code) + ".htm");
  }
  EXPECT_EQ(ProgramFolderUrl("http://h/", "2.0.0"), "http://h/Win");
  EXPECT_EQ(ProgramFolderUrl("http://h/", "1.3.9"), "http://h/CBX");
  EXPECT_EQ(ProgramFolderUrl("http://h/", "1.4.0"), "http://h/Win");
  EXPECT_EQ(ProgramFolderUrl("http://h/", "99999999999.9.9"), "http://h/Win");
  EXPECT_EQ(LocalProgramFolder("/r", "1.2.0"), "/r/CBX");
}

TEST(UpdatePaths, ServerValuesThatBecomeLocalNamesStayInside) {
  const std::pair<const char*, bool> cases[] = {
      {"1.03", true},     {"LENS_103.bin", true}, {"..", false},      {".", false},
      {"", false},        {"../x.bin", false},    {"a/b", false},     {"a\\b", false},
      {"/etc/x", false},  {"C:x", false},         {"..x", true},
  };
  for (const auto& [value, safe] : cases) EXPECT_EQ(IsSafePathSegment(value), safe) << value;
  EXPECT_FALSE(IsSafePathSegment(std::string("a\0b", 3)));
}

TEST(EnsureFolderTest, CreatesMissingFoldersButNotThroughAFile) {
  test::TempDir dir;
  EXPECT_TRUE(EnsureFolder(dir / "a/b/c"));
  EXPECT_TRUE(std::filesystem::is_directory(dir / "a/b/c"));
  EXPECT_TRUE(EnsureFolder(dir / "a/b/c"));
  dir.Write("file", "x");
  EXPECT_FALSE(EnsureFolder(dir / "file/sub"));
  EXPECT_FALSE(EnsureFolder(dir / "file"));
  EXPECT_FALSE(EnsureFolder(""));
}

}  // namespace
}  // namespace cbx::update
