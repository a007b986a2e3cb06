// Small text rules every layer shares: ASCII case folding (names, keywords, connection-string
// keys), trimming with a stated set of blanks, and UTF-8 code points (the defined size of a
// text field counts characters, the collation folds letters, ODBC speaks UTF-16). Pure
// functions; thread-safe.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace automation {

constexpr char fold_ascii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; }
constexpr char upper_ascii(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; }

// `text` with its ASCII letters in lower (upper) case; every other byte as it stands.
std::string ascii_lower(std::string_view text);
std::string ascii_upper(std::string_view text);

// Whether `a` and `b` are the same text but for the case of ASCII letters.
bool iequals(std::string_view a, std::string_view b);
// Negative, zero or positive as `a` sorts before, with or after `b`, ignoring ASCII case.
int icompare(std::string_view a, std::string_view b);

// The runtime's Trim, LTrim and RTrim remove spaces only; a connection string or a driver's
// text also loses tabs.
inline constexpr std::string_view kSpaces = " ";
inline constexpr std::string_view kSpacesAndTabs = " \t";
inline constexpr std::string_view kWhiteSpace = " \t\r\n";  // between statements of a script
std::string_view trim_left(std::string_view text, std::string_view blanks = kSpaces);
std::string_view trim_right(std::string_view text, std::string_view blanks = kSpaces);
std::string_view trim(std::string_view text, std::string_view blanks = kSpaces);

// Characters of a UTF-8 text: every byte that does not continue a sequence starts one.
std::size_t utf8_length(std::string_view text);

// The code point starting at text[pos], in strict UTF-8 (shortest form, no surrogates, at
// most U+10FFFF), and `pos` moved past it; for a byte that starts no valid sequence, nothing,
// and `pos` moved past that one byte. `pos` must be inside `text`.
std::optional<char32_t> decode_utf8(std::string_view text, std::size_t& pos);
// Writes the UTF-8 form of `cp` (at most U+10FFFF) at `out`, which has room for four bytes;
// returns the bytes written.
std::size_t encode_utf8(char32_t cp, char* out);
void append_utf8(std::string& out, char32_t cp);

}  // namespace automation
