// The tokens of the component's T-SQL subset. Internal to the translator.
//
// The lexer skips blanks, CR LF and comments, and refuses, with the translator's error, what
// the subset never contains (variables, temporary tables, quoted identifiers, exponents), so
// the parser only ever sees tokens it knows. Tokens point into the statement text, which must
// outlive them. Pure; thread-safe.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace data::dialect {

enum class TokenKind : std::uint8_t {
  kIdentifier,  // plain name or keyword; keywords are recognised by the parser
  kBracketed,   // [name]: `text` holds what is between the brackets, "]]" undoubled later
  kString,      // '...' or N'...': `text` holds the literal with its quotes, without the N
  kNumber,      // digits with an optional fraction
  kBinary,      // 0x...: `text` holds the hex digits only
  kParameter,   // ?
  kOperator,    // = <> != < > <= >= + - * / % ( ) , . ;
  kEnd,
};

struct Token {
  TokenKind kind;
  std::string_view text;
  std::uint32_t offset;  // of the token's first character in the statement

  bool is(std::string_view op) const { return kind == TokenKind::kOperator && text == op; }
  // Case-insensitive comparison with an upper-case keyword.
  bool is_keyword(std::string_view upper) const;
};

// Splits `sql` into tokens ending with one kEnd token. Raises the translator's error for a
// character or a form outside the subset, or for an unclosed literal, comment or bracket.
std::vector<Token> tokenize(std::string_view sql, std::string_view source);

// The translator's errors: automation::Error with DB_E_ERRORSINCOMMAND and the `source` the
// provider running the statement gave.
[[noreturn]] void raise_translation_error(std::string_view source, std::string description);
[[noreturn]] void raise_unsupported(std::string_view source, std::string_view construct);
[[noreturn]] void raise_syntax_near(std::string_view source, std::string_view text);

}  // namespace data::dialect
