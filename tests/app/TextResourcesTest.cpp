#include "app/TextResources.h"

#include <gtest/gtest.h>

#include "app/Folders.h"
#include "app/Language.h"
#include "support/TempDir.h"

namespace cbx {
namespace {

using test::TempDir;
using test::Utf16Le;

const std::string kBom = "\xFF\xFE";

TEST(TextLine, ParsesOnlyTheFixedColumnLayout) {
  struct Case {
    std::u16string line;
    bool valid;
    std::uint32_t id, fontId, color;
    std::string text;
  };
  const Case cases[] = {
      {u"00010\t0001\tFFFFFF\tTitle", true, 10, 1, 0xFFFFFF, "Title"},
      {u"03113\t0002\t42a1e5\tVersion %s", true, 3113, 2, 0x42A1E5, "Version %s"},
      {u"00010\t0001\tFFFFFF\t", true, 10, 1, 0xFFFFFF, ""},
      {u"00012\t0000\t00000G\tStops at G", true, 12, 0, 0, "Stops at G"},
      {u"0010\t0001\tFFFFFF\tFour-digit id", false, 0, 0, 0, ""},
      {u"00010\t001\tFFFFFF\tShort font", false, 0, 0, 0, ""},
      {u"00010 0001 FFFFFF Title", false, 0, 0, 0, ""},
      {u"// comment", false, 0, 0, 0, ""},
      {u"", false, 0, 0, 0, ""},
  };
  for (const auto& c : cases) {
    CStringItem item;
    ASSERT_EQ(ParseTextLine(c.line, item), c.valid);
    if (!c.valid) continue;
    EXPECT_EQ(item.id, c.id);
    EXPECT_EQ(item.fontId, c.fontId);
    EXPECT_EQ(item.color, c.color);
    EXPECT_EQ(item.text, c.text);
  }
}

TEST(TextLine, ResolvesOnlyTabAndLineFeedEscapes) {
  CStringItem item;
  ASSERT_TRUE(ParseTextLine(u"00001\t0000\t000000\tA\\nB\\tC\\\\n\\x\\", item));
  EXPECT_EQ(item.text, "A\nB\tC\\\n\\x\\");
}

TEST(TextTable, ReadsUtf16WithOrWithoutMarkAndFirstIdWins) {
  const std::u16string body =
      u"comment line\r\n00010\t0001\tC8C8C8\tFirst\r\n00010\t0002\tFFFFFF\tSecond\n"
      u"90000\t0000\t000000\tGerman\n00020\t0009\t000000\tNo such font\n00030\t0001\t000000\t\u00DC\u20AC";
  for (const std::string& mark : {kBom, std::string("\xFE\xFF"), std::string()}) {
    TempDir dir;
    TextTable table;
    ASSERT_TRUE(table.LoadTexts(dir.Write("String.txt", mark + Utf16Le(body))));
    ASSERT_EQ(table.Texts().size(), 5u);
    std::string text;
    std::uint32_t color = 0;
    ASSERT_TRUE(table.GetText(10, text, nullptr, &color));
    EXPECT_EQ(text, "First");
    EXPECT_EQ(color, 0xC8C8C8u);
    ASSERT_TRUE(table.GetText(30, text));
    EXPECT_EQ(text, "\xC3\x9C\xE2\x82\xAC");
    EXPECT_EQ(SelectLanguage(table, 0), kLanguageGerman);
  }
}

TEST(TextTable, LookupLeavesOutValuesAloneWhenNothingMatches) {
  TempDir dir;
  TextTable table;
  ASSERT_TRUE(table.LoadFonts(dir.Write("Font.txt", kBom + Utf16Le(u"0001\t12b\tSerif\n"))));
  ASSERT_TRUE(table.LoadTexts(dir.Write("String.txt",
                                        kBom + Utf16Le(u"00010\t0001\t112233\tA\n00020\t0009\t000000\tB\n"))));
  std::string text = "unchanged";
  FontSpec font{"Keep", 1, 1};
  std::uint32_t color = 7;
  EXPECT_FALSE(table.GetText(99, text, &font, &color));
  EXPECT_EQ(text, "unchanged");
  EXPECT_EQ(color, 7u);
  // A text whose font id names no font leaves the caller's font unset.
  ASSERT_TRUE(table.GetText(20, text, &font, &color));
  EXPECT_EQ(font, (FontSpec{"Keep", 1, 1}));
  ASSERT_TRUE(table.GetText(10, text, &font, &color));
  EXPECT_EQ(font, (FontSpec{"Serif", 12, kFontWeightBold}));
}

TEST(TextTable, MissingFileLeavesTheTableEmpty) {
  TempDir dir;
  TextTable table;
  ASSERT_TRUE(table.LoadTexts(dir.Write("String.txt", kBom + Utf16Le(u"00010\t0001\t000000\tA\n"))));
  EXPECT_FALSE(table.LoadTexts(dir / "absent.txt"));
  EXPECT_TRUE(table.Texts().empty());
  EXPECT_EQ(SelectLanguage(table, 0), 0);
}

TEST(FontTable, ResolvesSizesWeightsAndTheSystemFace) {
  TempDir dir;
  TextTable table;
  std::vector<std::string> attempts;
  table.SetFontHooks({[] { return std::string("UI Face"); },
                      [&attempts](const FontSpec& font) {
                        attempts.push_back(font.face);
                        return font.face != "Unmakeable";
                      }});
  const std::u16string body =
      u"0003\t12b\tSystemFont\n"
      u"0004\t9\t\n"
      u"0005\t10\tUnmakeable\n"
      u"0006\tbig\tSerif\n"
      u"00007\t8\tIgnored, five-digit id\n"
      u"0008\t14\tsystemfont\n";
  ASSERT_TRUE(table.LoadFonts(dir.Write("Font.txt", kBom + Utf16Le(body))));
  ASSERT_EQ(table.Fonts().size(), 5u);
  EXPECT_EQ(table.FindFont(3)->font, (FontSpec{"UI Face", 12, kFontWeightBold}));
  EXPECT_EQ(table.FindFont(4)->font, (FontSpec{"UI Face", 9, kFontWeightNormal}));
  EXPECT_EQ(table.FindFont(5)->font, (FontSpec{"UI Face", 10, kFontWeightNormal}));
  EXPECT_EQ(table.FindFont(6)->font, (FontSpec{"Serif", 0, kFontWeightBold}));
  EXPECT_EQ(table.FindFont(8)->font.face, "systemfont");  // the name is exact
  EXPECT_EQ(attempts, (std::vector<std::string>{"UI Face", "UI Face", "Unmakeable", "UI Face", "Serif",
                                                "systemfont"}));
}

TEST(FontTable, EntryIsSkippedWhenNoFontCanBeMade) {
  TempDir dir;
  TextTable table;
  table.SetFontHooks({[] { return std::string(); }, nullptr});
  ASSERT_TRUE(table.LoadFonts(dir.Write("Font.txt", kBom + Utf16Le(u"0001\t9\t\n0002\t9\tSans\n"))));
  ASSERT_EQ(table.Fonts().size(), 1u);
  EXPECT_EQ(table.Fonts()[0].id, 2u);
}

TEST(Language, ExactNamesOnly) {
  const std::pair<const char*, int> cases[] = {
      {"Japanese", 1}, {"English", 2}, {"Russian", 10}, {"Chinese_T", 9},
      {"english", 0},  {"English ", 0}, {"", 0},
  };
  for (const auto& [name, number] : cases) EXPECT_EQ(LanguageFromName(name), number) << name;
}

TEST(ShippedTexts, NameTheLanguageAndTheWindowTitle) {
  TextTable table;
  ASSERT_TRUE(table.LoadTexts(JoinPath(GetFolder(kFolderStrings), kStringFileName)));
  ASSERT_TRUE(table.LoadFonts(JoinPath(GetFolder(kFolderFonts), kFontFileName)));
  EXPECT_EQ(SelectLanguage(table, 0), kLanguageEnglish);
  std::string title;
  FontSpec font;
  ASSERT_TRUE(table.GetText(10, title, &font));
  EXPECT_EQ(title, "ORVANE Calibrix");
  // Every text names a font that the shipped font table has.
  for (const auto& item : table.Texts()) {
    if (item.fontId != 0) {
      EXPECT_NE(table.FindFont(item.fontId), nullptr) << "text " << item.id;
    }
  }
}

}  // namespace
}  // namespace cbx
