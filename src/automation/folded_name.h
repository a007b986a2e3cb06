// Names matched the way late binding matches them: ASCII letters without case. Hash and
// equality are transparent, so a lookup by string_view makes no folded copy.
#pragma once

#include <cstddef>
#include <string_view>

namespace automation {

constexpr char fold_ascii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; }

struct FoldedNameHash {
  using is_transparent = void;
  std::size_t operator()(std::string_view name) const noexcept {
    std::size_t h = 1469598103934665603ull;  // FNV-1a
    for (char c : name) {
      h ^= static_cast<unsigned char>(fold_ascii(c));
      h *= 1099511628211ull;
    }
    return h;
  }
};

struct FoldedNameEqual {
  using is_transparent = void;
  bool operator()(std::string_view a, std::string_view b) const noexcept {
    if (a.size() != b.size()) return false;
    if (a == b) return true;  // names are mostly written as declared
    for (std::size_t i = 0; i < a.size(); ++i) {
      if (fold_ascii(a[i]) != fold_ascii(b[i])) return false;
    }
    return true;
  }
};

}  // namespace automation
