// Text conversions shared by the INI reader and the text tables.
#pragma once

#include <string>
#include <string_view>

namespace cbx {

// UTF-16 code units to UTF-8; an unpaired surrogate becomes U+FFFD.
std::string Utf16ToUtf8(std::u16string_view text);

// Makes arbitrary bytes valid UTF-8: every byte that does not belong to a well-formed
// sequence becomes U+FFFD, as the platform's UTF-8 decoder does.
std::string SanitizeUtf8(std::string_view bytes);

// Longest prefix of at most maxBytes bytes that does not end inside a UTF-8 sequence.
std::string_view CutUtf8(std::string_view text, std::size_t maxBytes);

// Replaces every occurrence of `from` by `to`.
std::string ReplaceAll(std::string text, std::string_view from, std::string_view to);

// ASCII case-insensitive equality (INI section and key names).
bool EqualsNoCase(std::string_view a, std::string_view b);

}  // namespace cbx
