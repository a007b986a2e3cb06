// Names matched the way late binding matches them: ASCII letters without case. Hash and
// equality are transparent, so a lookup by string_view makes no folded copy.
#pragma once

#include <cstddef>
#include <string_view>

#include "automation/text.h"

namespace automation {

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
  bool operator()(std::string_view a, std::string_view b) const noexcept { return iequals(a, b); }
};

}  // namespace automation
