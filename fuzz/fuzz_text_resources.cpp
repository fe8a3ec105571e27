// String.txt and Font.txt loading (UTF-16 text tables).
//
// Input: the file; it is loaded both as the text table and as the font table, and the
// lines are parsed once more on their own so that the two paths can be compared.
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "app/TextResources.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::string folder = cbx::fuzz::FreshFolder("texts");
  const std::string path = folder + "/String.txt";
  cbx::fuzz::WriteBytes(path, data, size);

  cbx::TextTable table;
  // A platform that cannot make fonts with odd faces, as the GUI may be.
  table.SetFontHooks({[] { return std::string("DejaVu Sans"); },
                      [](const cbx::FontSpec& font) { return font.face.size() % 3 != 0; }});
  if (!table.LoadTexts(path)) cbx::fuzz::Fail("texts not loaded");
  if (!table.LoadFonts(path)) cbx::fuzz::Fail("fonts not loaded");

  std::vector<std::u16string> lines;
  if (!cbx::ReadUtf16Lines(path, lines)) cbx::fuzz::Fail("lines not read");
  std::size_t parsed = 0;
  for (const auto& line : lines) {
    cbx::CStringItem item;
    if (cbx::ParseTextLine(line, item)) ++parsed;
  }
  if (parsed != table.Texts().size()) cbx::fuzz::Fail("text count differs");

  for (const auto& item : table.Texts()) {
    std::string text;
    cbx::FontSpec font;
    std::uint32_t color = 0;
    if (!table.GetText(item.id, text, &font, &color)) cbx::fuzz::Fail("listed text not found");
  }
  return 0;
}
