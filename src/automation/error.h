// Error: an automation error as the Basic runtime raises it: a number, a source (the chain of
// components and labels it crossed) and a description. Every layer throws it with the number
// and text that the real platform gives, so the component never translates errors.
#pragma once

#include <cstdint>
#include <exception>
#include <string>
#include <string_view>
#include <utility>

namespace automation {

// Runtime error numbers raised by this layer and the ones above it.
namespace errc {
inline constexpr std::int32_t kInvalidProcedureCall = 5;  // bad argument value
inline constexpr std::int32_t kOverflow = 6;              // value out of the target range
inline constexpr std::int32_t kOutOfMemory = 7;
inline constexpr std::int32_t kSubscriptOutOfRange = 9;
inline constexpr std::int32_t kDivisionByZero = 11;
inline constexpr std::int32_t kTypeMismatch = 13;
inline constexpr std::int32_t kFileNotFound = 53;
inline constexpr std::int32_t kFileAlreadyExists = 58;
inline constexpr std::int32_t kPermissionDenied = 70;
inline constexpr std::int32_t kPathFileAccessError = 75;
inline constexpr std::int32_t kPathNotFound = 76;
inline constexpr std::int32_t kObjectVariableNotSet = 91;  // Nothing used as an object
inline constexpr std::int32_t kInvalidUseOfNull = 94;
inline constexpr std::int32_t kObjectRequired = 424;
inline constexpr std::int32_t kCannotCreateObject = 429;  // unknown or unregistered class
inline constexpr std::int32_t kMemberNotFound = 438;      // late-bound name the object lacks
inline constexpr std::int32_t kActionNotSupported = 445;
inline constexpr std::int32_t kWrongNumberOfArguments = 450;
}  // namespace errc

// The runtime's text for a standard number ("Type mismatch"); empty for unknown numbers.
std::string_view standard_description(std::int32_t number);

class Error : public std::exception {
 public:
  Error(std::int32_t number, std::string source, std::string description)
      : number_(number), source_(std::move(source)), description_(std::move(description)) {}
  // A standard runtime error with its standard description.
  Error(std::int32_t number, std::string source)
      : Error(number, std::move(source), std::string(standard_description(number))) {}

  std::int32_t number() const { return number_; }
  const std::string& source() const { return source_; }
  const std::string& description() const { return description_; }
  const char* what() const noexcept override { return description_.c_str(); }

  // label, CR LF, old source: what a trap-and-re-raise method does on the way out.
  void prepend_source(std::string_view label);

 private:
  std::int32_t number_;
  std::string source_;
  std::string description_;
};

// Source used for errors of the Basic runtime itself (conversions, late binding).
inline constexpr std::string_view kRuntimeSource = "TRAVE_DORSEL";

// Raises the runtime's standard error `number` (source kRuntimeSource, standard description).
[[noreturn]] void raise_runtime(std::int32_t number);

// Trap and re-raise: run `body`; an automation::Error leaving it gets `label` and CR LF put in
// front of its source and is thrown again. Nothing else is caught, and nothing is cleaned up.
template <class Body>
decltype(auto) trap_and_reraise(std::string_view label, Body&& body) {
  try {
    return std::forward<Body>(body)();
  } catch (Error& e) {
    e.prepend_source(label);
    throw;
  }
}

// Ignore and continue: run one statement; an automation::Error abandons it and is dropped.
// Returns false when the statement failed.
template <class Statement>
bool ignore_errors(Statement&& statement) {
  try {
    std::forward<Statement>(statement)();
    return true;
  } catch (const Error&) {
    return false;
  }
}

// Never raises: what `body` returns, or `fallback` when an automation::Error leaves it (the
// error is dropped). For the few methods whose host must hear nothing, only a neutral answer.
template <class Result, class Body>
Result never_raises(Result fallback, Body&& body) {
  try {
    return std::forward<Body>(body)();
  } catch (const Error&) {
    return fallback;
  }
}

}  // namespace automation
