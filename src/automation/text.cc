#include "automation/text.h"

namespace automation {

std::string ascii_lower(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = fold_ascii(c);
  return out;
}

std::string ascii_upper(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = upper_ascii(c);
  return out;
}

bool iequals(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  if (a == b) return true;  // names are mostly written as declared
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (fold_ascii(a[i]) != fold_ascii(b[i])) return false;
  }
  return true;
}

int icompare(std::string_view a, std::string_view b) {
  const std::size_t n = a.size() < b.size() ? a.size() : b.size();
  for (std::size_t i = 0; i < n; ++i) {
    auto ca = static_cast<unsigned char>(fold_ascii(a[i]));
    auto cb = static_cast<unsigned char>(fold_ascii(b[i]));
    if (ca != cb) return ca < cb ? -1 : 1;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

std::string_view trim_left(std::string_view text, std::string_view blanks) {
  const std::size_t begin = text.find_first_not_of(blanks);
  return begin == std::string_view::npos ? text.substr(text.size()) : text.substr(begin);
}

std::string_view trim_right(std::string_view text, std::string_view blanks) {
  const std::size_t last = text.find_last_not_of(blanks);
  return text.substr(0, last == std::string_view::npos ? 0 : last + 1);
}

std::string_view trim(std::string_view text, std::string_view blanks) {
  return trim_right(trim_left(text, blanks), blanks);
}

std::size_t utf8_length(std::string_view text) {
  std::size_t n = 0;
  for (char c : text) {
    if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++n;
  }
  return n;
}

std::optional<char32_t> decode_utf8(std::string_view text, std::size_t& pos) {
  const auto lead = static_cast<unsigned char>(text[pos]);
  if (lead < 0x80) {
    ++pos;
    return lead;
  }
  if (lead >= 0xC2 && lead <= 0xF4) {
    const std::size_t length = lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    char32_t value = lead & (0x3F >> (length - 1));
    bool continued = pos + length <= text.size();
    for (std::size_t k = 1; continued && k < length; ++k) {
      const auto c = static_cast<unsigned char>(text[pos + k]);
      continued = (c & 0xC0) == 0x80;
      value = (value << 6) | (c & 0x3F);
    }
    const bool shortest = length == 2 || (length == 3 && value >= 0x800) ||
                          (length == 4 && value >= 0x10000 && value <= 0x10FFFF);
    if (continued && shortest && !(value >= 0xD800 && value <= 0xDFFF)) {
      pos += length;
      return value;
    }
  }
  ++pos;
  return std::nullopt;
}

std::size_t encode_utf8(char32_t cp, char* out) {
  if (cp < 0x80) {
    out[0] = static_cast<char>(cp);
    return 1;
  }
  if (cp < 0x800) {
    out[0] = static_cast<char>(0xC0 | (cp >> 6));
    out[1] = static_cast<char>(0x80 | (cp & 0x3F));
    return 2;
  }
  if (cp < 0x10000) {
    out[0] = static_cast<char>(0xE0 | (cp >> 12));
    out[1] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out[2] = static_cast<char>(0x80 | (cp & 0x3F));
    return 3;
  }
  out[0] = static_cast<char>(0xF0 | (cp >> 18));
  out[1] = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
  out[2] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
  out[3] = static_cast<char>(0x80 | (cp & 0x3F));
  return 4;
}

void append_utf8(std::string& out, char32_t cp) {
  char bytes[4];
  out.append(bytes, encode_utf8(cp, bytes));
}

}  // namespace automation
