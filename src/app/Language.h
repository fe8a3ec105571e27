// The user-interface language, named by text 90000 of String.txt.
#pragma once

#include <string_view>

namespace cbx {

class TextTable;

enum UiLanguage : int {
  kLanguageUnknown = 0,  // treated as English by the server file names
  kLanguageJapanese = 1,
  kLanguageEnglish = 2,
  kLanguageGerman = 3,
  kLanguageFrench = 4,
  kLanguageKorean = 5,
  kLanguageSpanish = 6,
  kLanguageItalian = 7,
  kLanguageChineseSimplified = 8,
  kLanguageChineseTraditional = 9,
  kLanguageRussian = 10,
};

// Language number of a language name (exact letter case), or 0 when unknown.
int LanguageFromName(std::string_view name);

// Returns the language of the loaded text table, or `current` when text 90000 is
// missing or names no known language.
int SelectLanguage(const TextTable& texts, int current);

}  // namespace cbx
