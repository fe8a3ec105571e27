#include "app/Language.h"

#include <array>
#include <string>
#include <utility>

#include "app/TextResources.h"

namespace cbx {

int LanguageFromName(std::string_view name) {
  static constexpr std::array<std::pair<std::string_view, int>, 10> kNames{{
      {"Japanese", kLanguageJapanese},
      {"English", kLanguageEnglish},
      {"German", kLanguageGerman},
      {"French", kLanguageFrench},
      {"Korean", kLanguageKorean},
      {"Spanish", kLanguageSpanish},
      {"Italian", kLanguageItalian},
      {"Chinese_S", kLanguageChineseSimplified},
      {"Chinese_T", kLanguageChineseTraditional},
      {"Russian", kLanguageRussian},
  }};
  for (const auto& [text, number] : kNames) {
    if (text == name) return number;
  }
  return kLanguageUnknown;
}

int SelectLanguage(const TextTable& texts, int current) {
  std::string name;
  if (!texts.GetText(kLanguageTextId, name)) return current;
  const int language = LanguageFromName(name);
  return language == kLanguageUnknown ? current : language;
}

}  // namespace cbx
