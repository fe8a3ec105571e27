#include "records/FolderOps.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <thread>

#include "support/TempDir.h"

namespace cbx::records {
namespace {

namespace fs = std::filesystem;
using test::TempDir;

TEST(FolderOps, EmptyKeepsTheFolderAndDeleteRemovesIt) {
  TempDir dir;
  dir.Write("t/a.txt", "a");
  dir.Write("t/sub/b.txt", "b");
  dir.Write("t/sub/deeper/c.txt", "c");
  fs::create_symlink(dir / "outside", dir / "t/link");
  dir.Write("outside/keep.txt", "k");
  EmptyFolder(dir / "t");
  EXPECT_TRUE(fs::is_directory(dir / "t"));
  EXPECT_TRUE(fs::is_empty(dir / "t"));
  EXPECT_TRUE(fs::exists(dir / "outside/keep.txt")) << "links are removed, never followed";
  dir.Write("t/x/y.txt", "y");
  EXPECT_TRUE(DeleteFolderTree(dir / "t/"));
  EXPECT_FALSE(fs::exists(dir / "t"));
  EXPECT_FALSE(DeleteFolderTree(dir / "t"));
}

TEST(FolderOps, CopyAndMoveGoInsideAnExistingFolderOrTakeTheName) {
  TempDir dir;
  dir.Write("L/P/Image/a.png", "png");
  ASSERT_EQ(CopyFolder(dir / "L", dir / "L_org"), 0);
  EXPECT_EQ(test::ReadFile(dir / "L_org/P/Image/a.png"), "png");
  fs::create_directories(dir.path() / "into");
  ASSERT_EQ(CopyFolder(dir / "L", dir / "into"), 0);
  EXPECT_TRUE(fs::exists(dir / "into/L/P/Image/a.png"));
  ASSERT_EQ(MoveItem(dir / "L_org/P", dir / "into/L"), 0) << "merges into the existing P";
  EXPECT_FALSE(fs::exists(dir / "L_org/P"));
  EXPECT_EQ(test::ReadFile(dir / "into/L/P/Image/a.png"), "png");
  EXPECT_NE(MoveItem(dir / "missing", dir / "into"), 0);
  EXPECT_EQ(GetParentFolder("/a/b/c.txt"), "/a/b");
  EXPECT_EQ(GetFileName("C:\\x\\y.hist"), "y.hist");
}

TEST(FolderOps, MoveSubfoldersLeavesFilesBehind) {
  TempDir dir;
  dir.Write("from/file.txt", "f");
  dir.Write("from/sub/inner.txt", "i");
  fs::create_directories(dir.path() / "to");
  MoveSubfolders(dir / "from", dir / "to");
  EXPECT_TRUE(fs::exists(dir / "from/file.txt"));
  EXPECT_FALSE(fs::exists(dir / "from/sub"));
  EXPECT_EQ(test::ReadFile(dir / "to/sub/inner.txt"), "i");
}

TEST(DocumentCopies, EachDocumentIsCopiedOnceAndRemovedAtTheEnd) {
  TempDir dir;
  const std::string downloads = dir / "Downloads/";
  const std::string first = dir.Write("L/doc/eng.htm", "<p>one</p>");
  const std::string second = dir.Write("L/other/eng.htm", "<p>two</p>");
  DocumentCopyMap map;
  std::string copyA, copyB, copyC;
  ASSERT_TRUE(DocumentForViewing(map, first, copyA, downloads));
  ASSERT_TRUE(DocumentForViewing(map, first, copyB, downloads));
  EXPECT_EQ(copyA, copyB);
  std::this_thread::sleep_for(std::chrono::milliseconds(3));  // copy folders are named to the millisecond
  ASSERT_TRUE(DocumentForViewing(map, second, copyC, downloads));
  EXPECT_NE(GetParentFolder(copyA), GetParentFolder(copyC));
  EXPECT_EQ(test::ReadFile(copyC), "<p>two</p>");
  EXPECT_NE(GetFileName(GetParentFolder(copyA)).rfind("CBXTemp_", 0), std::string::npos);
  EXPECT_EQ(GetParentFolder(GetParentFolder(copyA)), dir / "Downloads/ORVANE/ORVANE Calibrix");
  std::string missing;
  EXPECT_FALSE(DocumentForViewing(map, dir / "nope.htm", missing, downloads));

  dir.Write("Temp/CBXCahce_x.dat", "c");
  RemoveRunFolders(dir / "L", dir / "Temp", map);
  EXPECT_FALSE(fs::exists(dir / "L"));
  EXPECT_FALSE(fs::exists(dir / "Temp"));
  EXPECT_FALSE(fs::exists(GetParentFolder(copyA)));
  EXPECT_FALSE(fs::exists(GetParentFolder(copyC)));
}

}  // namespace
}  // namespace cbx::records
