// What a host callback hands back through dorsel_reply_*: one value, or one error.
#pragma once

#include <optional>

#include "automation/error.h"
#include "automation/variant.h"

// The C interface's opaque reply type, defined here for the library's own code.
struct dorsel_reply {  // NOLINT(readability-identifier-naming): the C interface's name
  automation::Variant value;
  bool has_value = false;
  std::optional<automation::Error> error;
};
