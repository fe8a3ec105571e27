#include "app/IniFile.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <unistd.h>
#include <vector>

#include "app/FileBytes.h"
#include "app/Utf.h"

namespace cbx {

namespace {

namespace fs = std::filesystem;

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f' || c == '\x1a';
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

// One line of an INI file, classified.
struct IniLine {
  enum Kind { kOther, kSection, kKey } kind = kOther;
  std::string_view name;                  // section or key name, trimmed
  std::optional<std::string_view> value;  // key value, trimmed; none without '='
};

IniLine ClassifyLine(std::string_view raw) {
  IniLine line;
  std::string_view s = Trim(raw);
  if (s.empty() || s.front() == ';') return line;
  if (s.front() == '[') {
    const std::size_t close = s.rfind(']');
    if (close != std::string_view::npos) {
      line.kind = IniLine::kSection;
      line.name = Trim(s.substr(1, close - 1));
      return line;
    }
  }
  line.kind = IniLine::kKey;
  const std::size_t eq = s.find('=');
  if (eq == std::string_view::npos) {
    line.name = s;
  } else {
    line.name = Trim(s.substr(0, eq));
    line.value = Trim(s.substr(eq + 1));
  }
  return line;
}

// Splits into lines at '\n'; each view keeps a trailing '\r' if present.
std::vector<std::string_view> SplitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t nl = text.find('\n', start);
    if (nl == std::string_view::npos) {
      lines.push_back(text.substr(start));
      break;
    }
    lines.push_back(text.substr(start, nl - start));
    start = nl + 1;
  }
  return lines;
}

std::string_view StripQuotes(std::string_view v) {
  if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front()) {
    return v.substr(1, v.size() - 2);
  }
  return v;
}

}  // namespace

std::string ReadIniValue(std::string_view section, std::string_view key,
                         std::string_view defaultValue, const std::string& path) {
  const std::string_view wantSection = Trim(CutUtf8(section, kIniNameMaxBytes));
  const std::string_view wantKey = Trim(CutUtf8(key, kIniNameMaxBytes));
  // The platform reader drops trailing blanks of the default.
  std::string_view fallback = CutUtf8(defaultValue, kIniNameMaxBytes);
  while (!fallback.empty() && IsBlank(fallback.back())) fallback.remove_suffix(1);

  std::optional<std::string_view> found;
  const std::optional<std::string> bytes = ReadFileBytes(path);
  std::string_view text;
  if (bytes) {
    text = *bytes;
    if (text.substr(0, kUtf8Bom.size()) == kUtf8Bom) text.remove_prefix(kUtf8Bom.size());
    bool inWanted = false;
    bool sectionSeen = false;
    for (std::string_view raw : SplitLines(text)) {
      const IniLine line = ClassifyLine(raw);
      if (line.kind == IniLine::kSection) {
        if (sectionSeen) break;  // only the first matching section counts
        inWanted = EqualsNoCase(line.name, wantSection);
        sectionSeen = inWanted;
      } else if (line.kind == IniLine::kKey && inWanted && EqualsNoCase(line.name, wantKey)) {
        found = line.value;
        break;  // a key without '=' has no value: the default applies
      }
    }
  }

  std::string_view value = found ? StripQuotes(*found) : fallback;
  std::string result = SanitizeUtf8(CutUtf8(value, kIniValueMaxBytes));
  return ReplaceAll(std::move(result), "#replace#", "\n");
}

bool WriteIniValue(std::string_view section, std::string_view key, std::string_view value,
                   const std::string& path) {
  std::error_code ec;
  // An existing file that cannot be read must not be replaced by one without its lines.
  std::optional<std::string> existing = ReadFileBytes(path);
  if (!existing && fs::exists(path, ec)) return false;
  std::string original = existing.value_or(std::string());
  std::string_view text = original;
  std::string bom;
  if (text.substr(0, kUtf8Bom.size()) == kUtf8Bom) {
    bom = kUtf8Bom;
    text.remove_prefix(kUtf8Bom.size());
  }
  // Keep the file's own line ending style for the lines we add.
  const std::string eol = text.find("\r\n") != std::string_view::npos ? "\r\n" : "\n";
  const std::string newLine = std::string(key) + "=" + std::string(value);

  std::vector<std::string> lines;
  for (std::string_view raw : SplitLines(text)) lines.emplace_back(raw);

  std::optional<std::size_t> sectionLine;
  std::optional<std::size_t> lastKeyLine;
  bool replaced = false;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const IniLine line = ClassifyLine(lines[i]);
    if (line.kind == IniLine::kSection) {
      if (sectionLine) break;
      if (EqualsNoCase(line.name, section)) sectionLine = i;
    } else if (line.kind == IniLine::kKey && sectionLine) {
      lastKeyLine = i;
      if (EqualsNoCase(line.name, key)) {
        const bool hadCr = !lines[i].empty() && lines[i].back() == '\r';
        lines[i] = newLine + (hadCr ? "\r" : "");
        replaced = true;
        break;
      }
    }
  }
  const std::size_t originalCount = lines.size();
  bool appendedAtEnd = false;
  if (!replaced) {
    const std::string cr = eol == "\r\n" ? "\r" : "";
    if (sectionLine) {
      const std::size_t at = (lastKeyLine ? *lastKeyLine : *sectionLine) + 1;
      appendedAtEnd = at == originalCount;
      lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(at), newLine + cr);
    } else {
      appendedAtEnd = true;
      lines.push_back("[" + std::string(section) + "]" + cr);
      lines.push_back(newLine + cr);
    }
  }

  // A file whose last line had no line break keeps it that way unless we added after it.
  const bool keepOpenEnd = !text.empty() && text.back() != '\n' && !appendedAtEnd;
  std::string out = bom;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    out += lines[i];
    if (i + 1 < lines.size() || !keepOpenEnd) out += "\n";
  }

  const fs::path target(path);
  if (target.has_parent_path()) fs::create_directories(target.parent_path(), ec);
  const std::string temp = path + ".tmp" + std::to_string(::getpid());
  {
    std::ofstream outFile(temp, std::ios::binary | std::ios::trunc);
    if (!outFile) return false;
    outFile.write(out.data(), static_cast<std::streamsize>(out.size()));
    outFile.flush();
    if (!outFile) {
      outFile.close();
      fs::remove(temp, ec);
      return false;
    }
  }
  fs::rename(temp, target, ec);
  if (ec) {
    fs::remove(temp, ec);
    return false;
  }
  return true;
}

}  // namespace cbx
