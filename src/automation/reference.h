// Using an object reference (a connection, a recordset slot, a recordset a query gave back)
// the way the runtime does: a reference that holds no object raises 91 (Object variable or
// With block variable not set) instead of being dereferenced. Thread-safe.
#pragma once

#include <memory>

#include "automation/error.h"

namespace automation {

// The object `reference` holds. Raises 91 when it holds none.
template <class T>
T& require_set(const std::shared_ptr<T>& reference) {
  if (!reference) raise_runtime(errc::kObjectVariableNotSet);
  return *reference;
}

}  // namespace automation
