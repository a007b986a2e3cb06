#include "data/dialect/folding.h"

#include <cstdint>

#include "automation/text.h"

namespace data::dialect {
namespace {

// Decodes the code point at text[pos] and moves past it. A byte that starts no valid sequence
// decodes to 0xDC00 + byte, a value no valid sequence yields, so decoding stays one-to-one and
// the collation's order stays total.
char32_t decode(std::string_view text, std::size_t& pos) {
  const auto lead = static_cast<unsigned char>(text[pos]);
  return automation::decode_utf8(text, pos).value_or(0xDC00 + lead);
}

template <char32_t (*Fold)(char32_t)>
std::string fold_text(std::string_view text) {
  std::string out(text);
  const std::size_t n = text.size();
  for (std::size_t i = 0; i < n;) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if (byte < 0x80) {
      out[i] = static_cast<char>(Fold(byte));
      ++i;
      continue;
    }
    const std::size_t start = i;
    const char32_t c = decode(text, i);
    // Every folded letter outside ASCII keeps the two-byte length of its pair, so the text
    // is folded in place.
    if (i - start == 2) {
      const char32_t folded = Fold(c);
      if (folded != c) automation::encode_utf8(folded, &out[start]);
    }
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
      ca = fold_lower(decode(a, i));
      cb = fold_lower(decode(b, j));
    }
    if (ca != cb) return ca < cb ? -1 : 1;
  }
  // The shorter text counts as padded with blanks.
  while (i < na) {
    const char32_t c = decode(a, i);
    if (c != ' ') return c < ' ' ? -1 : 1;
  }
  while (j < nb) {
    const char32_t c = decode(b, j);
    if (c != ' ') return c < ' ' ? 1 : -1;
  }
  return 0;
}

std::size_t count_chars(std::string_view text) {
  std::size_t count = 0;
  for (std::size_t i = 0; i < text.size(); ++count) decode(text, i);
  return count;
}

std::size_t byte_offset(std::string_view text, std::size_t chars) {
  std::size_t i = 0;
  for (; chars > 0 && i < text.size(); --chars) decode(text, i);
  return i;
}

}  // namespace data::dialect
