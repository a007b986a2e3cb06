#include "data/dialect/lexer.h"

#include <algorithm>
#include <string>
#include <utility>

#include "automation/error.h"
#include "automation/text.h"
#include "data/ado.h"

namespace data::dialect {
namespace {

constexpr std::int32_t kErrorsInCommand = errc::kErrorsInCommand;

bool is_digit(char c) { return c >= '0' && c <= '9'; }
bool is_hex(char c) { return is_digit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }
bool is_name_start(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' ||
         static_cast<unsigned char>(c) >= 0x80;
}
bool is_name_char(char c) {
  return is_name_start(c) || is_digit(c) || c == '@' || c == '#' || c == '$';
}
bool is_blank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v';
}

// A short piece of the statement for error texts, cut at the end of the line.
std::string_view excerpt(std::string_view sql, std::size_t at) {
  std::string_view rest = sql.substr(at, 30);
  const std::size_t eol = rest.find_first_of("\r\n");
  return eol == std::string_view::npos ? rest : rest.substr(0, eol);
}

// The name or number that starts at `at`, for error texts.
std::string word_at(std::string_view sql, std::size_t at) {
  std::size_t end = at + 1;
  while (end < sql.size() && is_name_char(sql[end])) ++end;
  return std::string(sql.substr(at, end - at));
}

}  // namespace

bool Token::is_keyword(std::string_view upper) const {
  if (kind != TokenKind::kIdentifier || text.size() != upper.size()) return false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (automation::upper_ascii(text[i]) != upper[i]) return false;
  }
  return true;
}

void raise_translation_error(std::string_view source, std::string description) {
  throw automation::Error(kErrorsInCommand, std::string(source), std::move(description));
}

void raise_unsupported(std::string_view source, std::string_view construct) {
  raise_translation_error(source,
                          std::string(construct) + " is not supported by the embedded provider.");
}

void raise_syntax_near(std::string_view source, std::string_view text) {
  if (text.empty()) {
    raise_translation_error(source, "Incorrect syntax near the end of the statement.");
  }
  raise_translation_error(source, "Incorrect syntax near '" + std::string(text) + "'.");
}

std::vector<Token> tokenize(std::string_view sql, std::string_view source) {
  std::vector<Token> tokens;
  tokens.reserve(sql.size() / 4 + 4);
  const std::size_t n = sql.size();
  std::size_t i = 0;
  auto push = [&](TokenKind kind, std::size_t begin, std::size_t end, std::size_t at) {
    tokens.push_back(Token{kind, sql.substr(begin, end - begin), static_cast<std::uint32_t>(at)});
  };
  while (i < n) {
    const char c = sql[i];
    if (is_blank(c)) {
      ++i;
      continue;
    }
    if (c == '-' && i + 1 < n && sql[i + 1] == '-') {
      while (i < n && sql[i] != '\n') ++i;
      continue;
    }
    if (c == '/' && i + 1 < n && sql[i + 1] == '*') {
      // T-SQL block comments nest.
      int depth = 0;
      do {
        if (i + 1 < n && sql[i] == '/' && sql[i + 1] == '*') {
          ++depth;
          i += 2;
        } else if (i + 1 < n && sql[i] == '*' && sql[i + 1] == '/') {
          --depth;
          i += 2;
        } else {
          ++i;
        }
      } while (depth > 0 && i < n);
      if (depth > 0) {
        raise_translation_error(source, "Missing end comment mark '*/'.");
      }
      continue;
    }
    const std::size_t start = i;
    if (c == '\'' || ((c == 'N' || c == 'n') && i + 1 < n && sql[i + 1] == '\'')) {
      const std::size_t quote = c == '\'' ? i : i + 1;
      std::size_t j = quote + 1;
      for (;;) {
        if (j >= n) {
          raise_translation_error(source, "Unclosed quotation mark after the character string '" +
                                              std::string(sql.substr(quote + 1, 30)) + "'.");
        }
        if (sql[j] == '\'') {
          if (j + 1 < n && sql[j + 1] == '\'') {
            j += 2;
            continue;
          }
          break;
        }
        ++j;
      }
      push(TokenKind::kString, quote, j + 1, start);
      i = j + 1;
      continue;
    }
    if (c == '0' && i + 1 < n && (sql[i + 1] == 'x' || sql[i + 1] == 'X')) {
      std::size_t j = i + 2;
      while (j < n && is_hex(sql[j])) ++j;
      if (j < n && is_name_char(sql[j])) raise_syntax_near(source, excerpt(sql, start));
      push(TokenKind::kBinary, i + 2, j, start);
      i = j;
      continue;
    }
    if (is_digit(c) || (c == '.' && i + 1 < n && is_digit(sql[i + 1]))) {
      std::size_t j = i;
      while (j < n && is_digit(sql[j])) ++j;
      if (j < n && sql[j] == '.') {
        ++j;
        while (j < n && is_digit(sql[j])) ++j;
      }
      if (j < n && (sql[j] == 'e' || sql[j] == 'E')) {
        std::size_t k = j + 1;
        if (k < n && (sql[k] == '+' || sql[k] == '-')) ++k;
        while (k < n && is_digit(sql[k])) ++k;
        raise_unsupported(
            source, "The number with an exponent '" + std::string(sql.substr(i, k - i)) + "'");
      }
      if (j < n && is_name_char(sql[j])) raise_syntax_near(source, excerpt(sql, start));
      push(TokenKind::kNumber, i, j, start);
      i = j;
      continue;
    }
    if (is_name_start(c)) {
      std::size_t j = i + 1;
      while (j < n && is_name_char(sql[j])) ++j;
      push(TokenKind::kIdentifier, i, j, start);
      i = j;
      continue;
    }
    switch (c) {
      case '[': {
        std::size_t j = i + 1;
        for (;;) {
          if (j >= n) {
            raise_translation_error(source, "Unclosed quotation mark after the character string '" +
                                                std::string(sql.substr(i + 1, 30)) + "'.");
          }
          if (sql[j] == ']') {
            if (j + 1 < n && sql[j + 1] == ']') {
              j += 2;
              continue;
            }
            break;
          }
          ++j;
        }
        if (j == i + 1) raise_syntax_near(source, "[]");
        push(TokenKind::kBracketed, i + 1, j, start);
        i = j + 1;
        continue;
      }
      case '?':
        push(TokenKind::kParameter, i, i + 1, start);
        ++i;
        continue;
      case '"': {
        const std::size_t close = sql.find('"', i + 1);
        raise_unsupported(
            source, "The quoted identifier " +
                        std::string(close == std::string_view::npos
                                        ? excerpt(sql, start)
                                        : sql.substr(i, std::min<std::size_t>(close - i + 1, 40))));
      }
      case '@':
        raise_unsupported(source, "The variable '" + word_at(sql, start) + "'");
      case '#':
        raise_unsupported(source, "The temporary table '" + word_at(sql, start) + "'");
      case '$':
        raise_unsupported(source, "The money literal '" + word_at(sql, start) + "'");
      case '{':
        raise_unsupported(source, "The ODBC escape '" + std::string(excerpt(sql, start)) + "'");
      case '<':
      case '>':
      case '!': {
        std::size_t len = 1;
        if (i + 1 < n) {
          const char d = sql[i + 1];
          if ((c == '<' && (d == '>' || d == '=')) || (c == '>' && d == '=') ||
              (c == '!' && d == '=')) {
            len = 2;
          } else if (c == '!' && (d == '<' || d == '>')) {
            raise_unsupported(source, "The operator '" + std::string(sql.substr(i, 2)) + "'");
          }
        }
        if (c == '!' && len == 1) raise_syntax_near(source, "!");
        push(TokenKind::kOperator, i, i + len, start);
        i += len;
        continue;
      }
      case '=':
      case '+':
      case '-':
      case '*':
      case '/':
      case '%':
      case '(':
      case ')':
      case ',':
      case '.':
      case ';':
        push(TokenKind::kOperator, i, i + 1, start);
        ++i;
        continue;
      case '~':
      case '&':
      case '|':
      case '^':
        raise_unsupported(source, "The bitwise operator '" + std::string(1, c) + "'");
      default:
        raise_syntax_near(source, excerpt(sql, start));
    }
  }
  tokens.push_back(Token{TokenKind::kEnd, std::string_view(), static_cast<std::uint32_t>(n)});
  return tokens;
}

}  // namespace data::dialect
