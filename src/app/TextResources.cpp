#include "app/TextResources.h"


#include "app/FileBytes.h"
#include "app/Utf.h"

namespace cbx {

namespace {

constexpr std::string_view kDefaultSystemFace = "DejaVu Sans";
constexpr std::size_t kMaxFaceLength = 31;

bool IsSpace16(char16_t c) { return c == u' ' || (c >= u'\t' && c <= u'\r'); }

int DigitValue(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'a' && c <= u'z') return c - u'a' + 10;
  if (c >= u'A' && c <= u'Z') return c - u'A' + 10;
  return 99;
}

// The platform's wcstoul with a 32-bit result: leading blanks, a sign, an optional 0x
// for base 16, digits up to the first one that does not fit; overflow gives 0xFFFFFFFF.
std::uint32_t ToUnsigned(std::u16string_view s, int base) {
  std::size_t i = 0;
  while (i < s.size() && IsSpace16(s[i])) ++i;
  bool negative = false;
  if (i < s.size() && (s[i] == u'+' || s[i] == u'-')) negative = s[i++] == u'-';
  if (base == 16 && i + 1 < s.size() && s[i] == u'0' && (s[i + 1] == u'x' || s[i + 1] == u'X') &&
      i + 2 < s.size() && DigitValue(s[i + 2]) < 16) {
    i += 2;
  }
  std::uint64_t value = 0;
  bool overflow = false;
  for (; i < s.size() && DigitValue(s[i]) < base; ++i) {
    value = value * static_cast<std::uint64_t>(base) + static_cast<std::uint64_t>(DigitValue(s[i]));
    if (value > 0xFFFFFFFFull) overflow = true;
    if (overflow) value = 0xFFFFFFFFull;
  }
  if (overflow) return 0xFFFFFFFFu;
  auto result = static_cast<std::uint32_t>(value);
  return negative ? static_cast<std::uint32_t>(0u - result) : result;
}

std::size_t FindTab(std::u16string_view line, std::size_t from) { return line.find(u'\t', from); }

std::u16string Unescape(std::u16string_view text) {
  std::u16string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == u'\\' && i + 1 < text.size() && (text[i + 1] == u't' || text[i + 1] == u'n')) {
      out.push_back(text[i + 1] == u't' ? u'\t' : u'\n');
      ++i;
    } else {
      out.push_back(text[i]);
    }
  }
  return out;
}

}  // namespace

bool ReadUtf16Lines(const std::string& path, std::vector<std::u16string>& lines) {
  lines.clear();
  const std::optional<std::string> file = ReadFileBytes(path);
  if (!file) return false;
  const std::string& bytes = *file;
  std::size_t pos = 0;
  if (bytes.size() >= 2) {
    const auto b0 = static_cast<unsigned char>(bytes[0]);
    const auto b1 = static_cast<unsigned char>(bytes[1]);
    if ((b0 == 0xFF && b1 == 0xFE) || (b0 == 0xFE && b1 == 0xFF)) pos = 2;
  }
  std::u16string line;
  for (; pos + 1 < bytes.size(); pos += 2) {
    const auto c = static_cast<char16_t>(static_cast<unsigned char>(bytes[pos]) |
                                         (static_cast<unsigned char>(bytes[pos + 1]) << 8));
    if (c == u'\n') {
      if (!line.empty() && line.back() == u'\r') line.pop_back();
      lines.push_back(std::move(line));
      line.clear();
    } else {
      line.push_back(c);
    }
  }
  if (!line.empty()) {
    if (line.back() == u'\r') line.pop_back();
    lines.push_back(std::move(line));
  }
  return true;
}

bool ParseTextLine(std::u16string_view line, CStringItem& item) {
  if (FindTab(line, 0) != 5 || FindTab(line, 6) != 10 || FindTab(line, 11) != 17) return false;
  item.id = ToUnsigned(line.substr(0), 10);
  item.fontId = ToUnsigned(line.substr(6), 10);
  item.color = ToUnsigned(line.substr(11), 16);
  item.text = Utf16ToUtf8(Unescape(line.substr(18)));
  return true;
}

bool ParseFontLine(std::u16string_view line, std::uint32_t& id, int& pointSize, int& weight,
                   std::u16string& face) {
  if (FindTab(line, 0) != 4) return false;
  id = ToUnsigned(line, 10);
  const std::size_t tab = FindTab(line, 5);
  const std::u16string_view sizeField =
      tab == std::u16string_view::npos ? line.substr(5) : line.substr(5, tab - 5);
  face = tab == std::u16string_view::npos ? std::u16string() : std::u16string(line.substr(tab + 1));
  long size = 0;
  std::size_t i = 0;
  while (i < sizeField.size() && IsSpace16(sizeField[i])) ++i;
  for (; i < sizeField.size() && sizeField[i] >= u'0' && sizeField[i] <= u'9' && size < 10000; ++i) {
    size = size * 10 + (sizeField[i] - u'0');
  }
  pointSize = static_cast<int>(size);
  weight = sizeField.find(u'b') != std::u16string_view::npos ? kFontWeightBold : kFontWeightNormal;
  return true;
}

void TextTable::SetFontHooks(FontHooks hooks) { hooks_ = std::move(hooks); }

std::string TextTable::SystemFace() const {
  return hooks_.systemFaceName ? hooks_.systemFaceName() : std::string(kDefaultSystemFace);
}

bool TextTable::CreateFont(const FontSpec& font) const {
  if (font.face.empty()) return false;
  return hooks_.createFont ? hooks_.createFont(font) : true;
}

bool TextTable::LoadTexts(const std::string& path) {
  ClearTexts();
  std::vector<std::u16string> lines;
  if (!ReadUtf16Lines(path, lines)) return false;
  for (const auto& line : lines) {
    CStringItem item;
    if (ParseTextLine(line, item)) texts_.push_back(std::move(item));
  }
  return true;
}

bool TextTable::LoadFonts(const std::string& path) {
  ClearFonts();
  const std::string systemFace = SystemFace();
  std::vector<std::u16string> lines;
  if (!ReadUtf16Lines(path, lines)) return false;
  for (const auto& line : lines) {
    CFontItem item;
    std::u16string face;
    if (!ParseFontLine(line, item.id, item.font.pointSize, item.font.weight, face)) continue;
    if (face.size() > kMaxFaceLength) face.resize(kMaxFaceLength);
    item.font.face = Utf16ToUtf8(face);
    if (item.font.face == kSystemFontName) item.font.face = systemFace;
    if (!CreateFont(item.font)) {
      // One more try with the system face; a font that cannot be made even so is skipped.
      item.font.face = systemFace;
      if (!CreateFont(item.font)) continue;
    }
    fonts_.push_back(std::move(item));
  }
  return true;
}

const CStringItem* TextTable::FindItem(std::uint32_t id) const {
  for (const auto& item : texts_) {
    if (item.id == id) return &item;
  }
  return nullptr;
}

const CFontItem* TextTable::FindFont(std::uint32_t id) const {
  for (const auto& item : fonts_) {
    if (item.id == id) return &item;
  }
  return nullptr;
}

bool TextTable::GetText(std::uint32_t id, std::string& text, FontSpec* font,
                        std::uint32_t* color) const {
  const CStringItem* item = FindItem(id);
  if (item == nullptr) return false;
  text = item->text;
  if (font != nullptr && item->fontId != 0) {
    if (const CFontItem* f = FindFont(item->fontId)) *font = f->font;
  }
  if (color != nullptr) *color = item->color;
  return true;
}

void TextTable::ClearTexts() { texts_.clear(); }
void TextTable::ClearFonts() { fonts_.clear(); }

const TextTable& EmptyTextTable() {
  static const TextTable kEmpty;
  return kEmpty;
}

}  // namespace cbx
