// Variant: the automation value. Subtypes follow the runtime's VarType numbers: Empty, Null,
// Integer (16-bit), Long (32-bit), Double, Currency, Date, String, Object, Error (used only for
// a missing optional argument), Boolean, Decimal, LongLong (64-bit, what BIGINT columns give)
// and byte array. Strings are UTF-8. An Object variant holds a shared reference that may be
// null ("Nothing").
//
// Value type; copying shares the referenced object, never copies it. Thread-compatible.
#pragma once

#include <cstdint>
#include <iterator>
#include <memory>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "automation/decimal.h"

namespace automation {

class Object;
using ObjectPtr = std::shared_ptr<Object>;
using Bytes = std::vector<std::uint8_t>;

enum class VarType : int {
  kEmpty = 0,
  kNull = 1,
  kInteger = 2,
  kLong = 3,
  kDouble = 5,
  kCurrency = 6,
  kDate = 7,
  kString = 8,
  kObject = 9,
  kError = 10,  // a missing optional argument
  kBoolean = 11,
  kDecimal = 14,
  kLongLong = 20,
  kByteArray = 8209,  // vbArray | vbByte
};

// Currency: 64-bit integer scaled by 10,000.
struct Currency {
  std::int64_t scaled = 0;
  friend bool operator==(const Currency&, const Currency&) = default;
};

// Date: days since 1899-12-30 as a double; the fraction is the time of day.
struct Date {
  double serial = 0.0;
  friend bool operator==(const Date&, const Date&) = default;
};

class Variant {
 public:
  Variant() = default;                                      // Empty
  Variant(bool value) : value_(value) {}                    // NOLINT(google-explicit-constructor)
  Variant(std::int16_t value) : value_(value) {}            // NOLINT(google-explicit-constructor)
  Variant(std::int32_t value) : value_(value) {}            // NOLINT(google-explicit-constructor)
  Variant(std::int64_t value) : value_(value) {}            // NOLINT(google-explicit-constructor)
  Variant(double value) : value_(value) {}                  // NOLINT(google-explicit-constructor)
  Variant(Currency value) : value_(value) {}                // NOLINT(google-explicit-constructor)
  Variant(Date value) : value_(value) {}                    // NOLINT(google-explicit-constructor)
  Variant(const Decimal& value) : value_(value) {}          // NOLINT(google-explicit-constructor)
  Variant(std::string value) : value_(std::move(value)) {}  // NOLINT(google-explicit-constructor)
  Variant(std::string_view value) : value_(std::string(value)) {}  // NOLINT
  Variant(const char* value) : value_(std::string(value)) {}       // NOLINT
  Variant(Bytes value) : value_(std::move(value)) {}               // NOLINT
  Variant(ObjectPtr value) : value_(std::move(value)) {}           // NOLINT
  template <class T>
  requires std::is_base_of_v<Object, T> Variant(std::shared_ptr<T> value)
      : value_(ObjectPtr(std::move(value))) {}  // NOLINT

  static Variant null() { return Variant(NullTag{}); }
  static Variant missing() { return Variant(MissingTag{}); }
  static Variant nothing() { return Variant(ObjectPtr()); }

  VarType type() const {
    // In the order of the alternatives of value_.
    static constexpr VarType kTypes[] = {VarType::kEmpty,     VarType::kNull,    VarType::kError,
                                         VarType::kBoolean,   VarType::kInteger, VarType::kLong,
                                         VarType::kLongLong,  VarType::kDouble,  VarType::kCurrency,
                                         VarType::kDate,      VarType::kDecimal, VarType::kString,
                                         VarType::kByteArray, VarType::kObject};
    static_assert(std::size(kTypes) == std::variant_size_v<decltype(value_)>);
    return kTypes[value_.index()];
  }
  bool is_empty() const { return value_.index() == 0; }
  bool is_null() const { return std::holds_alternative<NullTag>(value_); }
  bool is_missing() const { return std::holds_alternative<MissingTag>(value_); }
  bool is_object() const { return std::holds_alternative<ObjectPtr>(value_); }
  bool is_nothing() const { return is_object() && !std::get<ObjectPtr>(value_); }
  bool is_string() const { return std::holds_alternative<std::string>(value_); }
  bool is_bytes() const { return std::holds_alternative<Bytes>(value_); }
  // Integer, Long, LongLong, Double, Currency, Decimal (not Boolean, Date or String).
  bool is_numeric() const;

  // Raw access: the stored value of exactly that subtype. Any other subtype raises 13.
  bool as_bool() const { return get<bool>(); }
  std::int16_t as_integer() const { return get<std::int16_t>(); }
  std::int32_t as_long() const { return get<std::int32_t>(); }
  std::int64_t as_long_long() const { return get<std::int64_t>(); }
  double as_double() const { return get<double>(); }
  Currency as_currency() const { return get<Currency>(); }
  Date as_date() const { return get<Date>(); }
  const Decimal& as_decimal() const { return get<Decimal>(); }
  const std::string& as_string() const { return get<std::string>(); }
  const Bytes& as_bytes() const { return get<Bytes>(); }
  const ObjectPtr& as_object() const { return get<ObjectPtr>(); }

  // Makes this a String holding `text`, reusing the room of the text it holds.
  void assign_text(std::string_view text) {
    if (auto* held = std::get_if<std::string>(&value_)) {
      held->assign(text);
    } else {
      value_ = std::string(text);
    }
  }

  // Same subtype and same value (objects: same reference). Not the runtime's '=' operator.
  friend bool operator==(const Variant& a, const Variant& b) { return a.value_ == b.value_; }

 private:
  struct NullTag {
    friend bool operator==(NullTag, NullTag) { return true; }
  };
  struct MissingTag {
    friend bool operator==(MissingTag, MissingTag) { return true; }
  };
  explicit Variant(NullTag tag) : value_(tag) {}
  explicit Variant(MissingTag tag) : value_(tag) {}

  [[noreturn]] static void mismatch();
  template <class T>
  const T& get() const {
    if (const T* p = std::get_if<T>(&value_)) return *p;
    mismatch();
  }

  std::variant<std::monostate, NullTag, MissingTag, bool, std::int16_t, std::int32_t, std::int64_t,
               double, Currency, Date, Decimal, std::string, Bytes, ObjectPtr>
      value_;
};

// Rows are stored packed, but every value read or written passes through a Variant, and rows
// being written are held as Variants: a small Variant keeps that traffic cheap.
static_assert(sizeof(Variant) <= 40, "a Variant should stay within a text and its tag");

// The runtime's name for a subtype ("Integer", "String", ...), for messages and the session.
std::string_view type_name(VarType type);

}  // namespace automation
