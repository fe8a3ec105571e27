// The text table (String.txt) and font table (Font.txt): every user-visible text by id.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace cbx {

inline constexpr std::string_view kStringFileName = "String.txt";
inline constexpr std::string_view kFontFileName = "Font.txt";
inline constexpr std::string_view kSystemFontName = "SystemFont";
inline constexpr std::uint32_t kLanguageTextId = 90000;

inline constexpr int kFontWeightNormal = 400;
inline constexpr int kFontWeightBold = 700;

// What a font line describes; the GUI turns it into a real font.
struct FontSpec {
  std::string face;
  int pointSize = 0;
  int weight = kFontWeightNormal;
  bool operator==(const FontSpec&) const = default;
};

struct CStringItem {
  std::uint32_t id = 0;
  std::uint32_t fontId = 0;  // 0: no font of its own
  std::uint32_t color = 0;   // 0x00BBGGRR
  std::string text;          // UTF-8, escapes already resolved
};

struct CFontItem {
  std::uint32_t id = 0;
  FontSpec font;
};

// How fonts are made. The GUI installs hooks that ask the toolkit; without them the
// system face is a common sans-serif face and every named face is accepted.
struct FontHooks {
  std::function<std::string()> systemFaceName;
  std::function<bool(const FontSpec&)> createFont;  // false: the platform cannot make it
};

class TextTable {
 public:
  TextTable() = default;

  void SetFontHooks(FontHooks hooks);

  // Empties the table, then reads the file; false (table empty) when it cannot be opened.
  bool LoadTexts(const std::string& path);
  bool LoadFonts(const std::string& path);

  // First item with this id. Out-values are written only when found; the font only when
  // the item names one that exists.
  bool GetText(std::uint32_t id, std::string& text, FontSpec* font = nullptr,
               std::uint32_t* color = nullptr) const;
  const CStringItem* FindItem(std::uint32_t id) const;
  const CFontItem* FindFont(std::uint32_t id) const;

  void ClearTexts();
  void ClearFonts();

  const std::vector<CStringItem>& Texts() const { return texts_; }
  const std::vector<CFontItem>& Fonts() const { return fonts_; }

 private:
  std::string SystemFace() const;
  bool CreateFont(const FontSpec& font) const;

  std::vector<CStringItem> texts_;
  std::vector<CFontItem> fonts_;
  FontHooks hooks_;
};

// A table with no texts, for front ends that exist before a run has loaded its own.
const TextTable& EmptyTextTable();

// Parses one line (without its line feed) of each file; false for lines of another shape.
bool ParseTextLine(std::u16string_view line, CStringItem& item);
bool ParseFontLine(std::u16string_view line, std::uint32_t& id, int& pointSize, int& weight,
                   std::u16string& face);

// Reads a UTF-16 text file (little-endian; a leading FF FE or FE FF mark is skipped) and
// returns its lines without line feeds and without a carriage return before them.
bool ReadUtf16Lines(const std::string& path, std::vector<std::u16string>& lines);

}  // namespace cbx
