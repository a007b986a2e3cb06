// The error a call raises, for tests that check number, source and description together.
// Header-only so that the foundation layers' tests, which link no shared fixtures, can use it.
#pragma once

#include <gtest/gtest.h>

#include <functional>

#include "automation/error.h"

namespace test_support {

// Fails the test when the call raises nothing, and then gives Error(0, "", "").
inline automation::Error error_of(const std::function<void()>& call) {
  try {
    call();
  } catch (const automation::Error& e) {
    return e;
  }
  ADD_FAILURE() << "no error raised";
  return automation::Error(0, "", "");
}

}  // namespace test_support
