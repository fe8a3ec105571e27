#include "app/IniFile.h"

#include <gtest/gtest.h>

#include "support/TempDir.h"

namespace cbx {
namespace {

using test::ReadFile;
using test::TempDir;

struct IniCase {
  const char* name;
  std::string file;
  const char* section;
  const char* key;
  const char* defaultValue;
  std::string expected;
};

void PrintTo(const IniCase& c, std::ostream* os) { *os << c.name; }

class IniReadTest : public ::testing::TestWithParam<IniCase> {};

TEST_P(IniReadTest, ReadsLikeThePrivateProfileReader) {
  const IniCase& c = GetParam();
  TempDir dir;
  const std::string path = dir.Write("file.ini", c.file);
  EXPECT_EQ(ReadIniValue(c.section, c.key, c.defaultValue, path), c.expected);
}

const std::string kLong(800, 'a');
// 766 ASCII bytes then a 3-byte character: a cut at 767 would split it.
const std::string kSplit = std::string(766, 'b') + "\xE2\x82\xAC" + "tail";

INSTANTIATE_TEST_SUITE_P(
    Cases, IniReadTest,
    ::testing::Values(
        IniCase{"KeyInOtherCase", "[CBX Config]\nlog=1\n", "cbx config", "LOG", "", "1"},
        IniCase{"MissingKeyGivesDefault", "[S]\nA=1\n", "S", "B", "fallback", "fallback"},
        IniCase{"MissingSectionGivesDefault", "[S]\nA=1\n", "T", "A", "d", "d"},
        IniCase{"DefaultLosesTrailingBlanks", "", "S", "A", "dflt  ", "dflt"},
        IniCase{"DefaultCutAt29Bytes", "", "S", "A", "0123456789012345678901234567890123",
                "01234567890123456789012345678"},
        IniCase{"BlanksAroundKeyAndValue", "[S]\n  Key \t=   some value  \r\n", "S", "key", "",
                "some value"},
        IniCase{"DoubleQuotesRemoved", "[S]\nA=\" 1\"\n", "S", "A", "", " 1"},
        IniCase{"SingleQuotesRemoved", "[S]\nA='x y'\n", "S", "A", "", "x y"},
        IniCase{"UnmatchedQuotesKept", "[S]\nA=\"x'\n", "S", "A", "", "\"x'"},
        IniCase{"OneQuoteCharacterKept", "[S]\nA=\"\n", "S", "A", "", "\""},
        IniCase{"ReplaceMarkerBecomesLineFeed", "[S]\nA=one#replace#two#replace#\n", "S", "A", "",
                "one\ntwo\n"},
        IniCase{"ByteOrderMarkSkipped", "\xEF\xBB\xBF[S]\nA=bom\n", "S", "A", "", "bom"},
        IniCase{"LongValueCutAt767", "[S]\nA=" + kLong + "\n", "S", "A", "", std::string(767, 'a')},
        IniCase{"CutDoesNotSplitACharacter", "[S]\nA=" + kSplit + "\n", "S", "A", "",
                std::string(766, 'b')},
        IniCase{"ValueBeyond255CharactersReadInFull", "[S]\nA=" + std::string(300, 'z') + "\n",
                "S", "A", "", std::string(300, 'z')},
        IniCase{"FirstKeyWins", "[S]\nA=first\nA=second\n", "S", "A", "", "first"},
        IniCase{"OnlyFirstMatchingSectionCounts", "[S]\nA=1\n[s]\nB=2\n", "S", "B", "d", "d"},
        IniCase{"CommentLineIgnored", "[S]\n;A=commented\nA=real\n", "S", "A", "", "real"},
        IniCase{"KeyWithoutEqualsGivesDefault", "[S]\nA\n", "S", "A", "d", "d"},
        IniCase{"EmptyValueIsNotTheDefault", "[S]\nA=\n", "S", "A", "d", ""},
        IniCase{"KeyBeforeAnySectionIgnored", "A=1\n[S]\n", "S", "A", "d", "d"},
        IniCase{"Utf8ValueKept", "[S]\nA=Objektiv \xC3\xBC\n", "S", "A", "", "Objektiv \xC3\xBC"},
        IniCase{"InvalidUtf8Replaced", "[S]\nA=a\xFF" "b\n", "S", "A", "", "a\xEF\xBF\xBD" "b"},
        IniCase{"LastLineWithoutLineFeed", "[S]\nA=end", "S", "A", "", "end"}),
    [](const auto& p) { return std::string(p.param.name); });

TEST(IniRead, MissingOrUnreadableFileGivesDefault) {
  TempDir dir;
  EXPECT_EQ(ReadIniValue("S", "A", "x", dir / "absent.ini"), "x");
  EXPECT_EQ(ReadIniValue("S", "A", "x", dir.path().string()), "x");
}

TEST(IniWrite, CreatesFileAndFoldersThenUpdatesInPlace) {
  TempDir dir;
  const std::string path = dir / "a/b/c.ini";
  ASSERT_TRUE(WriteIniValue("CBX Config", "MainWindow_X", "12", path));
  EXPECT_EQ(ReadFile(path), "[CBX Config]\nMainWindow_X=12\n");
  ASSERT_TRUE(WriteIniValue("CBX Config", "MainWindow_X", "-3", path));
  ASSERT_TRUE(WriteIniValue("CBX Config", "MainWindow_Y", "7", path));
  EXPECT_EQ(ReadFile(path), "[CBX Config]\nMainWindow_X=-3\nMainWindow_Y=7\n");
}

TEST(IniWrite, KeepsEveryOtherLineAsItWas) {
  TempDir dir;
  const std::string original =
      "; hand-written settings\r\n[Other]\r\nMainWindow_X=keep\r\n\r\n[cbx config]\r\n"
      "URL = http://example.test/ \r\nmainwindow_x=5\r\nLOG=1\r\n[Tail]\r\nZ=1";
  const std::string path = dir.Write("c.ini", original);
  ASSERT_TRUE(WriteIniValue("CBX Config", "MainWindow_X", "40", path));
  ASSERT_TRUE(WriteIniValue("CBX Config", "MainWindow_Y", "50", path));
  EXPECT_EQ(ReadFile(path),
            "; hand-written settings\r\n[Other]\r\nMainWindow_X=keep\r\n\r\n[cbx config]\r\n"
            "URL = http://example.test/ \r\nMainWindow_X=40\r\nLOG=1\r\nMainWindow_Y=50\r\n"
            "[Tail]\r\nZ=1");
}

TEST(IniWrite, AppendsMissingSectionAfterAnOpenLastLine) {
  TempDir dir;
  const std::string path = dir.Write("c.ini", "\xEF\xBB\xBF[Other]\nA=1");
  ASSERT_TRUE(WriteIniValue("CBX Config", "MainWindow_Y", "9", path));
  EXPECT_EQ(ReadFile(path), "\xEF\xBB\xBF[Other]\nA=1\n[CBX Config]\nMainWindow_Y=9\n");
}

TEST(IniWrite, FailureIsReportedAndLeavesNoTemporaryFile) {
  TempDir dir;
  // A folder where the file should be: the new contents cannot take its place.
  const std::string path = dir / "c.ini";
  std::filesystem::create_directories(dir.path() / "c.ini" / "inside");
  EXPECT_FALSE(WriteIniValue("S", "A", "2", path));
  int entries = 0;
  for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir.path())) ++entries;
  EXPECT_EQ(entries, 1);
}

}  // namespace
}  // namespace cbx
