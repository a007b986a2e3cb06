// Argument helpers for the late-bound members of the data layer's objects. Pure functions.
#pragma once

#include <cstddef>
#include <span>
#include <string>

#include "automation/convert.h"
#include "automation/error.h"
#include "automation/variant.h"

namespace data::detail {

// The argument at `i`, or a missing argument when the call gave fewer.
inline automation::Variant arg_at(std::span<automation::Variant> args, std::size_t i) {
  return i < args.size() ? args[i] : automation::Variant::missing();
}

// A whole-number argument (CLng), or `fallback` when missing.
inline int int_arg(std::span<automation::Variant> args, std::size_t i, int fallback) {
  automation::Variant v = arg_at(args, i);
  return v.is_missing() ? fallback : static_cast<int>(automation::to_long(v));
}

// Raises 450 when a call gives fewer than `count` arguments.
inline void require_args(std::span<automation::Variant> args, std::size_t count) {
  if (args.size() < count) {
    automation::raise_runtime(automation::errc::kWrongNumberOfArguments);
  }
}

}  // namespace data::detail
