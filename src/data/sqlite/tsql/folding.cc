#include "data/sqlite/tsql/folding.h"

#include <cstdint>

namespace data::sqlite::tsql {
namespace {

// Decodes one code point at `p` (strict UTF-8: no overlong forms, no surrogates). An invalid
// byte decodes to 0xDC00 + byte, a value no valid sequence yields, so decoding stays
// one-to-one and the collation's order stays total. Returns the bytes consumed.
std::size_t decode(const unsigned char* p, std::size_t n, char32_t& out) {
  const unsigned char c = p[0];
  if (c < 0x80) {
    out = c;
    return 1;
  }
  auto continuation = [&](std::size_t i) { return i < n && (p[i] & 0xC0) == 0x80; };
  if (c >= 0xC2 && c <= 0xDF && continuation(1)) {
    out = (static_cast<char32_t>(c & 0x1F) << 6) | (p[1] & 0x3F);
    return 2;
  }
  if (c >= 0xE0 && c <= 0xEF && continuation(1) && continuation(2)) {
    const char32_t v = (static_cast<char32_t>(c & 0x0F) << 12) |
                       (static_cast<char32_t>(p[1] & 0x3F) << 6) | (p[2] & 0x3F);
    if (v >= 0x800 && (v < 0xD800 || v > 0xDFFF)) {
      out = v;
      return 3;
    }
  }
  if (c >= 0xF0 && c <= 0xF4 && continuation(1) && continuation(2) && continuation(3)) {
    const char32_t v = (static_cast<char32_t>(c & 0x07) << 18) |
                       (static_cast<char32_t>(p[1] & 0x3F) << 12) |
                       (static_cast<char32_t>(p[2] & 0x3F) << 6) | (p[3] & 0x3F);
    if (v >= 0x10000 && v <= 0x10FFFF) {
      out = v;
      return 4;
    }
  }
  out = 0xDC00 + c;
  return 1;
}

// Writes the 2-byte form of a code point in U+0080..U+07FF; every folded letter outside
// ASCII lives there.
void encode2(char32_t c, char* out) {
  out[0] = static_cast<char>(0xC0 | (c >> 6));
  out[1] = static_cast<char>(0x80 | (c & 0x3F));
}

template <char32_t (*Fold)(char32_t)>
std::string fold_text(std::string_view text) {
  std::string out(text);
  const auto* p = reinterpret_cast<const unsigned char*>(text.data());
  const std::size_t n = text.size();
  for (std::size_t i = 0; i < n;) {
    if (p[i] < 0x80) {
      out[i] = static_cast<char>(Fold(p[i]));
      ++i;
      continue;
    }
    char32_t c;
    const std::size_t len = decode(p + i, n - i, c);
    if (len == 2) {
      const char32_t folded = Fold(c);
      if (folded != c) encode2(folded, &out[i]);
    }
    i += len;
  }
  return out;
}

}  // namespace

char32_t fold_lower(char32_t c) {
  if (c < 0x80) return (c >= 'A' && c <= 'Z') ? c + 32 : c;
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return c + 32;
  switch (c) {
    case 0x152:
      return 0x153;  // OE
    case 0x160:
      return 0x161;  // S caron
    case 0x17D:
      return 0x17E;  // Z caron
    case 0x178:
      return 0xFF;  // Y diaeresis
    default:
      return c;
  }
}

char32_t fold_upper(char32_t c) {
  if (c < 0x80) return (c >= 'a' && c <= 'z') ? c - 32 : c;
  if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return c - 32;
  switch (c) {
    case 0x153:
      return 0x152;
    case 0x161:
      return 0x160;
    case 0x17E:
      return 0x17D;
    case 0xFF:
      return 0x178;
    default:
      return c;  // sharp s, micro sign and the rest have no upper case in 1252
  }
}

std::string to_lower(std::string_view text) { return fold_text<fold_lower>(text); }
std::string to_upper(std::string_view text) { return fold_text<fold_upper>(text); }

int compare_ci(std::string_view a, std::string_view b) {
  const auto* pa = reinterpret_cast<const unsigned char*>(a.data());
  const auto* pb = reinterpret_cast<const unsigned char*>(b.data());
  const std::size_t na = a.size();
  const std::size_t nb = b.size();
  std::size_t i = 0;
  std::size_t j = 0;
  while (i < na && j < nb) {
    char32_t ca;
    char32_t cb;
    if (pa[i] < 0x80 && pb[j] < 0x80) {
      ca = fold_lower(pa[i++]);
      cb = fold_lower(pb[j++]);
    } else {
      i += decode(pa + i, na - i, ca);
      j += decode(pb + j, nb - j, cb);
      ca = fold_lower(ca);
      cb = fold_lower(cb);
    }
    if (ca != cb) return ca < cb ? -1 : 1;
  }
  // The shorter text counts as padded with blanks.
  while (i < na) {
    char32_t c;
    i += decode(pa + i, na - i, c);
    if (c != ' ') return c < ' ' ? -1 : 1;
  }
  while (j < nb) {
    char32_t c;
    j += decode(pb + j, nb - j, c);
    if (c != ' ') return c < ' ' ? 1 : -1;
  }
  return 0;
}

std::size_t count_chars(std::string_view text) {
  const auto* p = reinterpret_cast<const unsigned char*>(text.data());
  std::size_t count = 0;
  for (std::size_t i = 0; i < text.size(); ++count) {
    char32_t c;
    i += p[i] < 0x80 ? 1 : decode(p + i, text.size() - i, c);
  }
  return count;
}

std::size_t byte_offset(std::string_view text, std::size_t chars) {
  const auto* p = reinterpret_cast<const unsigned char*>(text.data());
  std::size_t i = 0;
  for (; chars > 0 && i < text.size(); --chars) {
    char32_t c;
    i += p[i] < 0x80 ? 1 : decode(p + i, text.size() - i, c);
  }
  return i;
}

}  // namespace data::sqlite::tsql
