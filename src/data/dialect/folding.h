// Case folding and comparison of UTF-8 text the way SQL Server's case-insensitive,
// accent-sensitive Latin-1 collation treats varchar data: the letters that have a case pair in
// code page 1252 fold, every other character (accented or not) stays itself, and trailing
// blanks do not count. Internal to the dialect's functions. Pure; thread-safe.
//
// Every case pair folds to a character of the same UTF-8 length, so a folded text keeps the
// byte positions of the original: a match found in the folded text can be spliced into the
// original. Bytes that are not valid UTF-8 are kept and compared as themselves.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace data::dialect {

char32_t fold_lower(char32_t c);
char32_t fold_upper(char32_t c);

// The text with every code-page-1252 letter in lower / upper case; same byte length.
std::string to_lower(std::string_view text);
std::string to_upper(std::string_view text);

// The collation TSQL_CI: negative, zero or positive. The shorter text is compared as if padded
// with blanks, so 'abc' = 'ABC  ' and 'a' > 'a<tab>'. A total order: needed by SQLite's indexes.
int compare_ci(std::string_view a, std::string_view b);

// Number of characters (code points; an invalid byte counts as one).
std::size_t count_chars(std::string_view text);

// Byte offset of the character at 0-based position `chars`, or text.size() past the end.
std::size_t byte_offset(std::string_view text, std::size_t chars);

}  // namespace data::dialect
