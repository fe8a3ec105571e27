// The web pages the program opens. Each has a Japanese and an English page.
#pragma once

namespace cbx::ui {

inline constexpr const char* kProductPageJapanese = "https://www.orvane.example/ja/calibrix/";
inline constexpr const char* kProductPageEnglish = "https://www.orvane.example/en/calibrix/";
inline constexpr const char* kServicePageJapanese = "https://www.orvane.example/ja/support/network/";
inline constexpr const char* kServicePageEnglish = "https://www.orvane.example/en/support/network/";
inline constexpr const char* kProgramPageJapanese = "https://www.orvane.example/ja/calibrix/download/";
inline constexpr const char* kProgramPageEnglish = "https://www.orvane.example/en/calibrix/download/";

}  // namespace cbx::ui
