// Using an object reference of the component (the connection, a recordset slot, a recordset a
// query gave back) the way the runtime does: a reference that holds no object raises 91
// (Object variable or With block variable not set) instead of being dereferenced.
#pragma once

#include <memory>
#include <string>

#include "automation/error.h"

namespace dorsel {

// The object `reference` holds. Raises 91 when it holds none.
template <class T>
T& require_set(const std::shared_ptr<T>& reference) {
  if (!reference) {
    throw automation::Error(automation::errc::kObjectVariableNotSet,
                            std::string(automation::kRuntimeSource));
  }
  return *reference;
}

}  // namespace dorsel
