// INI reader and writer on arbitrary file contents.
//
// Input: three short texts (section, key, default) chosen by the fuzzer, then the file.
// Beyond "no crash", checks that a value written with plain names reads back as written and
// that writing one key leaves the value of any other key as it was.
#include <fuzzer/FuzzedDataProvider.h>

#include <cctype>
#include <string>

#include "FuzzSupport.h"
#include "app/IniFile.h"

namespace {

bool IsPlainName(const std::string& s) {
  if (s.empty() || s.size() > cbx::kIniNameMaxBytes) return false;
  for (unsigned char c : s) {
    if (!std::isalnum(c)) return false;
  }
  return true;
}

bool SameNameNoCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) {
      return false;
    }
  }
  return true;
}

// The name the reader looks for: cut to the name limit (a cut character dropped), trimmed.
std::string LookedUpName(std::string s) {
  if (s.size() > cbx::kIniNameMaxBytes) {
    s.resize(cbx::kIniNameMaxBytes);
    while (!s.empty() && static_cast<unsigned char>(s.back()) >= 0x80) s.pop_back();
  }
  const char* blanks = " \t\r\v\f\x1a";
  const std::size_t first = s.find_first_not_of(blanks);
  if (first == std::string::npos) return {};
  return s.substr(first, s.find_last_not_of(blanks) - first + 1);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider in(data, size);
  const std::string section = in.ConsumeRandomLengthString(40);
  const std::string key = in.ConsumeRandomLengthString(40);
  const std::string fallback = in.ConsumeRandomLengthString(40);
  const std::string content = in.ConsumeRemainingBytesAsString();

  static const std::string folder = cbx::fuzz::FreshFolder("ini");
  const std::string path = folder + "/Config.ini";
  cbx::fuzz::WriteBytes(path, content);

  const std::string before = cbx::ReadIniValue(section, key, fallback, path);
  // Lookups that the program really makes, on the same file.
  (void)cbx::ReadIniValue("Lens Config", "Name", "", path);
  (void)cbx::ReadIniValue("Message Config", "Message1", "none", path);

  // Round trip: a plain value under plain names.
  const std::string wSection = IsPlainName(section) ? section : "Fuzz";
  const std::string wKey = IsPlainName(key) ? key : "Value";
  const std::string value = "v" + std::to_string(content.size());
  if (!cbx::WriteIniValue(wSection, wKey, value, path)) cbx::fuzz::Fail("write refused");
  const std::string readBack = cbx::ReadIniValue(wSection, wKey, "", path);
  if (readBack != value) cbx::fuzz::Fail("wrote '" + value + "', read '" + readBack + "'");

  const bool sameEntry =
      SameNameNoCase(LookedUpName(section), wSection) && SameNameNoCase(LookedUpName(key), wKey);
  if (!sameEntry) {
    const std::string after = cbx::ReadIniValue(section, key, fallback, path);
    if (after != before) cbx::fuzz::Fail("other key changed: '" + before + "' -> '" + after + "'");
  }
  return 0;
}
