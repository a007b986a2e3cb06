#include "data/dialect/functions.h"

#include <sqlite3.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>

#include "automation/text.h"
#include "data/dialect/decimal_text.h"
#include "data/dialect/folding.h"

namespace data::dialect {
namespace {

constexpr int kFlags = SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS;
// SQLite's mask bit for the Bloom filter of automatic indexes (SQLITE_BloomFilter).
constexpr int kBloomFilterOptimization = 0x00080000;

void fail(sqlite3_context* ctx, const std::string& message) {
  sqlite3_result_error(ctx, message.data(), static_cast<int>(message.size()));
}

void fail_unsupported(sqlite3_context* ctx, const std::string& what) {
  fail(ctx, what + " is not supported by the embedded provider.");
}

std::string_view text_of(sqlite3_value* v) {
  const auto* p = reinterpret_cast<const char*>(sqlite3_value_text(v));
  return p == nullptr ? std::string_view()
                      : std::string_view(p, static_cast<std::size_t>(sqlite3_value_bytes(v)));
}

void result_text(sqlite3_context* ctx, const std::string& text) {
  sqlite3_result_text64(ctx, text.data(), text.size(), SQLITE_TRANSIENT, SQLITE_UTF8);
}

// The text SQL Server would convert a string argument from. Whole numbers convert as their
// digits; a double cannot be told apart from a NUMERIC(p,s) whose scale decides the text, so
// it fails instead of giving different text.
bool string_argument(sqlite3_context* ctx, sqlite3_value* v, const char* function,
                     std::string_view& out) {
  switch (sqlite3_value_type(v)) {
    case SQLITE_TEXT:
    case SQLITE_INTEGER:
      out = text_of(v);
      return true;
    case SQLITE_FLOAT:
      fail_unsupported(ctx, std::string(function) + " of a decimal or float value");
      return false;
    default:
      fail_unsupported(ctx, std::string(function) + " of a binary value");
      return false;
  }
}

bool any_null(int argc, sqlite3_value** argv) {
  for (int i = 0; i < argc; ++i) {
    if (sqlite3_value_type(argv[i]) == SQLITE_NULL) return true;
  }
  return false;
}

// An integer argument of a string function (start, length): SQL Server converts to int.
bool int_argument(sqlite3_context* ctx, sqlite3_value* v, std::int64_t& out) {
  switch (sqlite3_value_type(v)) {
    case SQLITE_INTEGER:
      out = sqlite3_value_int64(v);
      return true;
    case SQLITE_FLOAT: {
      const double d = std::trunc(sqlite3_value_double(v));
      if (!(d >= -9.2e18 && d <= 9.2e18)) {
        fail(ctx, "[8115] Arithmetic overflow error converting expression to data type int.");
        return false;
      }
      out = static_cast<std::int64_t>(d);
      return true;
    }
    case SQLITE_TEXT: {
      const auto parsed = DecimalText::parse(text_of(v), false);
      if (!parsed || parsed->scale() != 0 || !parsed->to_integer()) {
        fail(ctx, "[245] Conversion failed when converting the varchar value '" +
                      std::string(text_of(v)) + "' to data type int.");
        return false;
      }
      out = *parsed->to_integer();
      return true;
    }
    default:
      fail_unsupported(ctx, "A binary value as a number");
      return false;
  }
}

// Strict conversion of a text to a whole number, as SQL Server converts varchar to int:
// blanks around, a sign, digits; blank or a lone sign is 0.
std::optional<std::int64_t> parse_int(std::string_view text) {
  std::size_t i = 0;
  std::size_t n = text.size();
  while (i < n && text[i] == ' ') ++i;
  while (n > i && text[n - 1] == ' ') --n;
  bool negative = false;
  if (i < n && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  std::uint64_t magnitude = 0;
  constexpr std::uint64_t kLimit = static_cast<std::uint64_t>(INT64_MAX) + 1;
  for (; i < n; ++i) {
    if (text[i] < '0' || text[i] > '9') return std::nullopt;
    const std::uint64_t digit = static_cast<std::uint64_t>(text[i] - '0');
    if (magnitude > (kLimit - digit) / 10) return std::nullopt;
    magnitude = magnitude * 10 + digit;
  }
  if (negative) return magnitude == kLimit ? INT64_MIN : -static_cast<std::int64_t>(magnitude);
  if (magnitude == kLimit) return std::nullopt;
  return static_cast<std::int64_t>(magnitude);
}

// --- Arithmetic ------------------------------------------------------------------------

enum class Op { kAdd, kSubtract, kMultiply, kDivide, kModulo };

const char* op_name(Op op) {
  switch (op) {
    case Op::kAdd:
      return "add";
    case Op::kSubtract:
      return "subtract";
    case Op::kMultiply:
      return "multiply";
    case Op::kDivide:
      return "divide";
    case Op::kModulo:
      return "modulo";
  }
  return "";
}

const char* type_name(int type) {
  switch (type) {
    case SQLITE_INTEGER:
      return "int";
    case SQLITE_FLOAT:
      return "numeric";
    case SQLITE_TEXT:
      return "varchar";
    default:
      return "varbinary";
  }
}

// A number operand: INTEGER or REAL after SQL Server's implicit conversion of a text to the
// other operand's type.
struct Number {
  bool integer;
  std::int64_t i;
  double d;
};

bool to_number(sqlite3_context* ctx, sqlite3_value* v, int other_type, Number& out) {
  switch (sqlite3_value_type(v)) {
    case SQLITE_INTEGER:
      out = {true, sqlite3_value_int64(v), 0};
      return true;
    case SQLITE_FLOAT:
      out = {false, 0, sqlite3_value_double(v)};
      return true;
    default: {
      const std::string_view text = text_of(v);
      if (other_type == SQLITE_INTEGER) {
        const auto value = parse_int(text);
        if (!value) {
          fail(ctx, "[245] Conversion failed when converting the varchar value '" +
                        std::string(text) + "' to data type int.");
          return false;
        }
        out = {true, *value, 0};
        return true;
      }
      const auto value = DecimalText::parse(text, true);
      if (!value) {
        fail(ctx, "[8114] Error converting data type varchar to numeric.");
        return false;
      }
      out = {false, 0, value->to_double()};
      return true;
    }
  }
}

void arithmetic(sqlite3_context* ctx, sqlite3_value** argv, Op op) {
  sqlite3_value* a = argv[0];
  sqlite3_value* b = argv[1];
  const int ta = sqlite3_value_type(a);
  const int tb = sqlite3_value_type(b);
  if (ta == SQLITE_NULL || tb == SQLITE_NULL) {
    sqlite3_result_null(ctx);
    return;
  }
  if (op == Op::kAdd && ta == SQLITE_TEXT && tb == SQLITE_TEXT) {
    std::string joined(text_of(a));
    joined += text_of(b);
    result_text(ctx, joined);
    return;
  }
  if (op == Op::kAdd && ta == SQLITE_BLOB && tb == SQLITE_BLOB) {
    const int na = sqlite3_value_bytes(a);
    const int nb = sqlite3_value_bytes(b);
    std::string joined(static_cast<const char*>(sqlite3_value_blob(a)),
                       static_cast<std::size_t>(na));
    if (nb > 0) {
      joined.append(static_cast<const char*>(sqlite3_value_blob(b)), static_cast<std::size_t>(nb));
    }
    sqlite3_result_blob64(ctx, joined.data(), joined.size(), SQLITE_TRANSIENT);
    return;
  }
  if (ta == SQLITE_BLOB || tb == SQLITE_BLOB) {
    fail(ctx, std::string("[402] The data types ") + type_name(ta) + " and " + type_name(tb) +
                  " are incompatible in the " + op_name(op) + " operator.");
    return;
  }
  if (ta == SQLITE_TEXT && tb == SQLITE_TEXT) {
    fail(ctx, std::string("[8117] Operand data type varchar is invalid for ") + op_name(op) +
                  " operator.");
    return;
  }
  Number x;
  Number y;
  if (!to_number(ctx, a, tb, x) || !to_number(ctx, b, ta, y)) return;
  if (x.integer && y.integer) {
    std::int64_t r = 0;
    bool overflow = false;
    switch (op) {
      case Op::kAdd:
        overflow = __builtin_add_overflow(x.i, y.i, &r);
        break;
      case Op::kSubtract:
        overflow = __builtin_sub_overflow(x.i, y.i, &r);
        break;
      case Op::kMultiply:
        overflow = __builtin_mul_overflow(x.i, y.i, &r);
        break;
      case Op::kDivide:
      case Op::kModulo:
        if (y.i == 0) {
          fail(ctx, "[8134] Divide by zero error encountered.");
          return;
        }
        if (x.i == INT64_MIN && y.i == -1) {
          overflow = op == Op::kDivide;
          r = 0;
        } else {
          r = op == Op::kDivide ? x.i / y.i : x.i % y.i;  // both truncate toward zero
        }
        break;
    }
    if (overflow) {
      fail(ctx, "[8115] Arithmetic overflow error converting expression to data type bigint.");
      return;
    }
    sqlite3_result_int64(ctx, r);
    return;
  }
  const double dx = x.integer ? static_cast<double>(x.i) : x.d;
  const double dy = y.integer ? static_cast<double>(y.i) : y.d;
  double r = 0;
  switch (op) {
    case Op::kAdd:
      r = dx + dy;
      break;
    case Op::kSubtract:
      r = dx - dy;
      break;
    case Op::kMultiply:
      r = dx * dy;
      break;
    case Op::kDivide:
    case Op::kModulo:
      if (dy == 0) {
        fail(ctx, "[8134] Divide by zero error encountered.");
        return;
      }
      r = op == Op::kDivide ? dx / dy : std::fmod(dx, dy);
      break;
  }
  if (!std::isfinite(r)) {
    fail(ctx, "[8115] Arithmetic overflow error converting expression to data type float.");
    return;
  }
  sqlite3_result_double(ctx, r);
}

template <Op kOp>
void arithmetic_function(sqlite3_context* ctx, int, sqlite3_value** argv) {
  arithmetic(ctx, argv, kOp);
}

// --- String functions --------------------------------------------------------------------

void tsql_len(sqlite3_context* ctx, int, sqlite3_value** argv) {
  if (sqlite3_value_type(argv[0]) == SQLITE_NULL) {
    sqlite3_result_null(ctx);
    return;
  }
  std::string_view s;
  if (!string_argument(ctx, argv[0], "LEN", s)) return;
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  sqlite3_result_int64(ctx, static_cast<std::int64_t>(count_chars(s)));
}

void tsql_charindex(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
  if (any_null(argc, argv)) {
    sqlite3_result_null(ctx);
    return;
  }
  std::string_view find;
  std::string_view in;
  if (!string_argument(ctx, argv[0], "CHARINDEX", find) ||
      !string_argument(ctx, argv[1], "CHARINDEX", in)) {
    return;
  }
  std::int64_t start = 1;
  if (argc == 3 && !int_argument(ctx, argv[2], start)) return;
  if (find.empty()) {
    sqlite3_result_int(ctx, 0);
    return;
  }
  if (start < 1) start = 1;
  const std::string folded_in = to_lower(in);
  const std::size_t from = byte_offset(in, static_cast<std::size_t>(start - 1));
  const std::size_t at = folded_in.find(to_lower(find), from);
  sqlite3_result_int64(ctx, at == std::string::npos
                                ? 0
                                : static_cast<std::int64_t>(count_chars(in.substr(0, at))) + 1);
}

void tsql_substring(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
  if (any_null(argc, argv)) {
    sqlite3_result_null(ctx);
    return;
  }
  std::int64_t start = 0;
  std::int64_t length = 0;
  if (!int_argument(ctx, argv[1], start) || !int_argument(ctx, argv[2], length)) return;
  if (length < 0) {
    fail(ctx, "[537] Invalid length parameter passed to the LEFT or SUBSTRING function.");
    return;
  }
  // Characters start .. start+length-1, 1-based, clipped to the text; computed without
  // overflow for any start and length.
  const std::int64_t first = std::max<std::int64_t>(start, 1);
  const std::int64_t end = start > INT64_MAX - length ? INT64_MAX : start + length;  // exclusive
  const bool blob = sqlite3_value_type(argv[0]) == SQLITE_BLOB;
  if (end <= first) {
    if (blob) {
      sqlite3_result_zeroblob(ctx, 0);
    } else {
      sqlite3_result_text(ctx, "", 0, SQLITE_STATIC);
    }
    return;
  }
  if (blob) {
    const auto* bytes = static_cast<const char*>(sqlite3_value_blob(argv[0]));
    const std::int64_t n = sqlite3_value_bytes(argv[0]);
    const std::int64_t lo = std::min(first - 1, n);
    const std::int64_t hi = std::max(lo, std::min(end - 1, n));
    sqlite3_result_blob64(ctx, hi > lo ? bytes + lo : "", static_cast<sqlite3_uint64>(hi - lo),
                          SQLITE_TRANSIENT);
    return;
  }
  std::string_view s;
  if (!string_argument(ctx, argv[0], "SUBSTRING", s)) return;
  const std::size_t lo = byte_offset(s, static_cast<std::size_t>(first - 1));
  const std::string_view rest = s.substr(lo);
  const std::size_t hi = byte_offset(rest, static_cast<std::size_t>(end - first));
  sqlite3_result_text64(ctx, rest.data(), hi, SQLITE_TRANSIENT, SQLITE_UTF8);
}

void tsql_replace(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
  if (any_null(argc, argv)) {
    sqlite3_result_null(ctx);
    return;
  }
  std::string_view s;
  std::string_view pattern;
  std::string_view replacement;
  if (!string_argument(ctx, argv[0], "REPLACE", s) ||
      !string_argument(ctx, argv[1], "REPLACE", pattern) ||
      !string_argument(ctx, argv[2], "REPLACE", replacement)) {
    return;
  }
  if (pattern.empty()) {
    sqlite3_result_value(ctx, argv[0]);
    return;
  }
  // Matches are found in the folded text and spliced from the original, which keeps the
  // case of everything that is not replaced.
  const std::string folded = to_lower(s);
  const std::string folded_pattern = to_lower(pattern);
  std::string out;
  out.reserve(s.size());
  std::size_t from = 0;
  for (std::size_t at = folded.find(folded_pattern); at != std::string::npos;
       at = folded.find(folded_pattern, from)) {
    out.append(s.substr(from, at - from));
    out.append(replacement);
    from = at + pattern.size();
  }
  out.append(s.substr(from));
  result_text(ctx, out);
}

template <bool kUpper>
void tsql_case(sqlite3_context* ctx, int, sqlite3_value** argv) {
  if (sqlite3_value_type(argv[0]) == SQLITE_NULL) {
    sqlite3_result_null(ctx);
    return;
  }
  std::string_view s;
  if (!string_argument(ctx, argv[0], kUpper ? "UPPER" : "LOWER", s)) return;
  result_text(ctx, kUpper ? to_upper(s) : to_lower(s));
}

// --- Conversions -------------------------------------------------------------------------

enum class Base { kNumeric, kMoney, kSmallMoney, kInteger, kBit, kFloat, kReal, kChar, kVarchar };

struct TargetType {
  Base base = Base::kVarchar;
  int precision = 18;
  int scale = 0;
  std::int64_t length = 30;       // characters; -1 for MAX
  std::int64_t min = 0, max = 0;  // integer range
  std::string name;               // SQL Server's lower-case name for messages
};

using automation::iequals;

// Parses "NAME", "NAME(n)", "NAME(p,s)", "NAME(MAX)" (blanks allowed, any case).
std::optional<TargetType> parse_type(std::string_view text) {
  auto trim = [](std::string_view s) {
    while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
    return s;
  };
  text = trim(text);
  std::string_view name = text;
  std::string_view args;
  bool has_args = false;
  if (const std::size_t open = text.find('('); open != std::string_view::npos) {
    if (text.back() != ')') return std::nullopt;
    name = trim(text.substr(0, open));
    args = text.substr(open + 1, text.size() - open - 2);
    has_args = true;
  }
  std::int64_t values[2] = {0, 0};
  int count = 0;
  bool max = false;
  if (has_args) {
    while (true) {
      const std::size_t comma = args.find(',');
      const std::string_view piece = trim(args.substr(0, comma));
      if (count == 2) return std::nullopt;
      if (iequals(piece, "MAX") && count == 0) {
        max = true;
      } else {
        const auto value = parse_int(piece);
        if (!value || piece.empty() || *value < 0 || *value > 1000000000) return std::nullopt;
        values[count] = *value;
      }
      ++count;
      if (comma == std::string_view::npos) break;
      args.remove_prefix(comma + 1);
    }
  }
  TargetType t;
  auto upper = [&](const char* expected) { return iequals(name, expected); };
  const bool none = !has_args;
  const bool one_number = count == 1 && !max;
  auto integer = [&](const char* lower, std::int64_t lo, std::int64_t hi) {
    t.base = Base::kInteger;
    t.name = lower;
    t.min = lo;
    t.max = hi;
    return none ? std::optional<TargetType>(t) : std::nullopt;
  };
  if (upper("NUMERIC") || upper("DECIMAL")) {
    if (max) return std::nullopt;
    t.base = Base::kNumeric;
    t.name = "numeric";
    if (count >= 1) t.precision = static_cast<int>(values[0]);
    t.scale = count == 2 ? static_cast<int>(values[1]) : 0;
    if (t.precision < 1 || t.precision > 38 || t.scale > t.precision) return std::nullopt;
    return t;
  }
  if (upper("INT") || upper("INTEGER")) return integer("int", INT32_MIN, INT32_MAX);
  if (upper("SMALLINT")) return integer("smallint", -32768, 32767);
  if (upper("TINYINT")) return integer("tinyint", 0, 255);
  if (upper("BIGINT")) return integer("bigint", INT64_MIN, INT64_MAX);
  if (upper("MONEY") || upper("SMALLMONEY")) {
    if (!none) return std::nullopt;
    t.base = upper("MONEY") ? Base::kMoney : Base::kSmallMoney;
    t.name = upper("MONEY") ? "money" : "smallmoney";
    t.scale = 4;
    return t;
  }
  if (upper("BIT")) {
    if (!none) return std::nullopt;
    t.base = Base::kBit;
    t.name = "bit";
    return t;
  }
  if (upper("REAL") || upper("FLOAT")) {
    if (upper("REAL") ? !none : !(none || (one_number && values[0] >= 1 && values[0] <= 53))) {
      return std::nullopt;
    }
    const bool single = upper("REAL") || (one_number && values[0] <= 24);
    t.base = single ? Base::kReal : Base::kFloat;
    t.name = single ? "real" : "float";
    return t;
  }
  const bool fixed = upper("CHAR") || upper("NCHAR");
  if (fixed || upper("VARCHAR") || upper("NVARCHAR")) {
    if (!(none || one_number || (count == 1 && !fixed))) return std::nullopt;
    t.base = fixed ? Base::kChar : Base::kVarchar;
    t.name = upper("VARCHAR")    ? "varchar"
             : upper("NVARCHAR") ? "nvarchar"
             : upper("NCHAR")    ? "nchar"
                                 : "char";
    if (count == 1) t.length = max ? -1 : values[0];
    if (t.length == 0) return std::nullopt;
    return t;
  }
  return std::nullopt;
}

// The source's number as an exact decimal: a REAL through its 15-digit text.
std::optional<DecimalText> decimal_of(sqlite3_context* ctx, sqlite3_value* v,
                                      const TargetType& to) {
  switch (sqlite3_value_type(v)) {
    case SQLITE_INTEGER:
      return DecimalText::from_integer(sqlite3_value_int64(v));
    case SQLITE_FLOAT: {
      auto d = DecimalText::from_double(sqlite3_value_double(v));
      if (!d) {
        fail(ctx,
             "[8115] Arithmetic overflow error converting float to data type " + to.name + ".");
      }
      return d;
    }
    case SQLITE_TEXT: {
      auto d = DecimalText::parse(text_of(v), false);
      if (!d) fail(ctx, "[8114] Error converting data type varchar to " + to.name + ".");
      return d;
    }
    default:
      fail(ctx, "[529] Explicit conversion from data type varbinary(max) to " + to.name +
                    " is not allowed.");
      return std::nullopt;
  }
}

const char* source_name(sqlite3_value* v) {
  switch (sqlite3_value_type(v)) {
    case SQLITE_INTEGER:
      return "int";
    case SQLITE_FLOAT:
      return "numeric";
    default:
      return "varchar";
  }
}

void to_numeric(sqlite3_context* ctx, sqlite3_value* v, const TargetType& to) {
  auto d = decimal_of(ctx, v, to);
  if (!d) return;
  d->round_to(to.scale);
  bool overflow = d->integer_digits() > to.precision - to.scale;
  if (to.base == Base::kMoney || to.base == Base::kSmallMoney) {
    // Both texts have four decimals, so equal lengths compare as numbers.
    const std::string limit = to.base == Base::kMoney ? "922337203685477.5807" : "214748.3647";
    std::string magnitude = d->format();
    if (d->negative()) magnitude.erase(0, 1);
    overflow =
        magnitude.size() > limit.size() || (magnitude.size() == limit.size() && magnitude > limit);
  }
  if (overflow) {
    fail(ctx, std::string("[8115] Arithmetic overflow error converting ") +
                  (to.base == Base::kNumeric ? source_name(v) : "expression") + " to data type " +
                  to.name + ".");
    return;
  }
  if (to.scale == 0) {
    if (const auto i = d->to_integer()) {
      sqlite3_result_int64(ctx, *i);
      return;
    }
  }
  sqlite3_result_double(ctx, d->to_double());
}

void to_integer(sqlite3_context* ctx, sqlite3_value* v, const TargetType& to) {
  std::int64_t value = 0;
  switch (sqlite3_value_type(v)) {
    case SQLITE_INTEGER:
      value = sqlite3_value_int64(v);
      break;
    case SQLITE_FLOAT: {
      const double d = std::trunc(sqlite3_value_double(v));
      if (!(d >= -9.2e18 && d <= 9.2e18)) {
        fail(ctx, "[8115] Arithmetic overflow error converting expression to data type " + to.name +
                      ".");
        return;
      }
      value = static_cast<std::int64_t>(d);
      break;
    }
    case SQLITE_TEXT: {
      const auto parsed = parse_int(text_of(v));
      if (!parsed) {
        fail(ctx, "[245] Conversion failed when converting the varchar value '" +
                      std::string(text_of(v)) + "' to data type " + to.name + ".");
        return;
      }
      value = *parsed;
      if (value < to.min || value > to.max) {
        fail(ctx, "[248] The conversion of the varchar value '" + std::string(text_of(v)) +
                      "' overflowed an " + to.name + " column.");
        return;
      }
      break;
    }
    default:
      fail(ctx, "[529] Explicit conversion from data type varbinary(max) to " + to.name +
                    " is not allowed.");
      return;
  }
  if (value < to.min || value > to.max) {
    fail(ctx,
         "[8115] Arithmetic overflow error converting expression to data type " + to.name + ".");
    return;
  }
  sqlite3_result_int64(ctx, value);
}

void to_bit(sqlite3_context* ctx, sqlite3_value* v) {
  switch (sqlite3_value_type(v)) {
    case SQLITE_INTEGER:
      sqlite3_result_int(ctx, sqlite3_value_int64(v) != 0);
      return;
    case SQLITE_FLOAT:
      sqlite3_result_int(ctx, sqlite3_value_double(v) != 0);
      return;
    case SQLITE_TEXT: {
      std::string_view text = text_of(v);
      while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
      if (iequals(text, "TRUE")) {
        sqlite3_result_int(ctx, 1);
      } else if (iequals(text, "FALSE")) {
        sqlite3_result_int(ctx, 0);
      } else if (const auto i = parse_int(text)) {
        sqlite3_result_int(ctx, *i != 0);
      } else {
        fail(ctx, "[245] Conversion failed when converting the varchar value '" +
                      std::string(text_of(v)) + "' to data type bit.");
      }
      return;
    }
    default:
      sqlite3_result_int(ctx, 1);
  }
}

void to_float(sqlite3_context* ctx, sqlite3_value* v, const TargetType& to) {
  double d = 0;
  switch (sqlite3_value_type(v)) {
    case SQLITE_INTEGER:
      d = static_cast<double>(sqlite3_value_int64(v));
      break;
    case SQLITE_FLOAT:
      d = sqlite3_value_double(v);
      break;
    case SQLITE_TEXT: {
      const auto parsed = DecimalText::parse(text_of(v), true);
      if (!parsed) {
        fail(ctx, "[8114] Error converting data type varchar to " + to.name + ".");
        return;
      }
      d = parsed->to_double();
      break;
    }
    default:
      fail(ctx, "[529] Explicit conversion from data type varbinary(max) to " + to.name +
                    " is not allowed.");
      return;
  }
  if (to.base == Base::kReal) d = static_cast<double>(static_cast<float>(d));
  if (!std::isfinite(d)) {
    fail(ctx,
         "[8115] Arithmetic overflow error converting expression to data type " + to.name + ".");
    return;
  }
  sqlite3_result_double(ctx, d);
}

// Text of a value for a character target, following the source's static type: money by its
// style (null: style 0), a NUMERIC(p,s) with exactly s decimals, whole numbers as digits,
// texts as they are.
void to_text(sqlite3_context* ctx, sqlite3_value* v, const TargetType& to, sqlite3_value* style,
             const std::optional<TargetType>& source) {
  std::string text;
  enum class Kind { kText, kWhole, kDecimal } kind = Kind::kText;
  const int type = sqlite3_value_type(v);
  const bool number = type == SQLITE_INTEGER || type == SQLITE_FLOAT;
  if (type == SQLITE_BLOB) {
    fail_unsupported(ctx, "Converting a binary value to " + to.name);
    return;
  }
  if (source && number && (source->base == Base::kMoney || source->base == Base::kSmallMoney)) {
    std::int64_t s = 0;
    if (style != nullptr && sqlite3_value_type(style) != SQLITE_NULL) {
      s = sqlite3_value_int64(style);
    }
    if (s != 0 && s != 1 && s != 2 && s != 126) {
      fail(ctx, "[281] " + std::to_string(s) +
                    " is not a valid style number when converting from money to a character "
                    "string.");
      return;
    }
    auto d = decimal_of(ctx, v, *source);
    if (!d) return;
    d->round_to(4);
    if (s == 0 || s == 1) d->round_to(2);
    text = d->format(s == 1);
    kind = Kind::kDecimal;
  } else if (source && number && source->base == Base::kNumeric) {
    auto d = decimal_of(ctx, v, *source);
    if (!d) return;
    d->round_to(source->scale);
    text = d->format();
    kind = Kind::kDecimal;
  } else if (type == SQLITE_INTEGER) {
    text = std::to_string(sqlite3_value_int64(v));
    kind = Kind::kWhole;
  } else if (type == SQLITE_FLOAT) {
    fail_unsupported(ctx, "Converting a float value to " + to.name);
    return;
  } else {
    text = text_of(v);
  }
  if (to.length >= 0) {
    const std::size_t limit = static_cast<std::size_t>(to.length);
    const std::size_t chars = count_chars(text);
    if (chars > limit) {
      if (kind == Kind::kWhole) {
        text = "*";  // SQL Server's mark for a whole number too long for its text
      } else if (kind == Kind::kDecimal) {
        fail(ctx,
             "[8115] Arithmetic overflow error converting numeric to data type " + to.name + ".");
        return;
      } else {
        text.resize(byte_offset(text, limit));
      }
    } else if (to.base == Base::kChar) {
      text.append(limit - chars, ' ');
    }
  }
  result_text(ctx, text);
}

void convert(sqlite3_context* ctx, sqlite3_value* type, sqlite3_value* v, sqlite3_value* style,
             sqlite3_value* source_type) {
  if (sqlite3_value_type(type) != SQLITE_TEXT) {
    fail_unsupported(ctx, "A conversion without a type name");
    return;
  }
  const auto to = parse_type(text_of(type));
  if (!to) {
    fail_unsupported(ctx, "Conversion to " + std::string(text_of(type)));
    return;
  }
  std::optional<TargetType> source;
  if (source_type != nullptr && sqlite3_value_type(source_type) == SQLITE_TEXT) {
    source = parse_type(text_of(source_type));
  }
  if (sqlite3_value_type(v) == SQLITE_NULL) {
    sqlite3_result_null(ctx);
    return;
  }
  switch (to->base) {
    case Base::kNumeric:
    case Base::kMoney:
    case Base::kSmallMoney:
      to_numeric(ctx, v, *to);
      return;
    case Base::kInteger:
      to_integer(ctx, v, *to);
      return;
    case Base::kBit:
      to_bit(ctx, v);
      return;
    case Base::kFloat:
    case Base::kReal:
      to_float(ctx, v, *to);
      return;
    case Base::kChar:
    case Base::kVarchar:
      to_text(ctx, v, *to, style, source);
      return;
  }
}

// tsql_convert(type, value [, style [, source type]])
void tsql_convert(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
  if (argc < 2 || argc > 4) {
    sqlite3_result_error(ctx, "tsql_convert takes 2 to 4 arguments", -1);
    return;
  }
  convert(ctx, argv[0], argv[1], argc >= 3 ? argv[2] : nullptr, argc >= 4 ? argv[3] : nullptr);
}

// tsql_cast(value, type)
void tsql_cast(sqlite3_context* ctx, int, sqlite3_value** argv) {
  convert(ctx, argv[1], argv[0], nullptr, nullptr);
}

int collate_ci(void*, int na, const void* a, int nb, const void* b) {
  return compare_ci(std::string_view(static_cast<const char*>(a), static_cast<std::size_t>(na)),
                    std::string_view(static_cast<const char*>(b), static_cast<std::size_t>(nb)));
}

struct Registration {
  const char* name;
  int args;
  void (*function)(sqlite3_context*, int, sqlite3_value**);
};

constexpr Registration kFunctions[] = {
    {"tsql_add", 2, arithmetic_function<Op::kAdd>},
    {"tsql_sub", 2, arithmetic_function<Op::kSubtract>},
    {"tsql_mul", 2, arithmetic_function<Op::kMultiply>},
    {"tsql_div", 2, arithmetic_function<Op::kDivide>},
    {"tsql_mod", 2, arithmetic_function<Op::kModulo>},
    {"tsql_len", 1, tsql_len},
    {"tsql_charindex", 2, tsql_charindex},
    {"tsql_charindex", 3, tsql_charindex},
    {"tsql_substring", 3, tsql_substring},
    {"tsql_replace", 3, tsql_replace},
    {"tsql_upper", 1, tsql_case<true>},
    {"tsql_lower", 1, tsql_case<false>},
    {"tsql_cast", 2, tsql_cast},
    {"tsql_convert", -1, tsql_convert},
};

}  // namespace

int register_dialect(sqlite3* db, std::string* error) {
  auto failed = [&](int rc, const char* what) {
    if (error != nullptr) *error = std::string(what) + ": " + sqlite3_errmsg(db);
    return rc;
  };
  int rc = sqlite3_create_collation_v2(db, "TSQL_CI", SQLITE_UTF8, nullptr, collate_ci, nullptr);
  if (rc != SQLITE_OK) return failed(rc, "TSQL_CI");
  for (const Registration& r : kFunctions) {
    rc = sqlite3_create_function_v2(db, r.name, r.args, kFlags, nullptr, r.function, nullptr,
                                    nullptr, nullptr);
    if (rc != SQLITE_OK) return failed(rc, r.name);
  }
  // The test control returns SQLITE_OK only where the library has it compiled in; the PRAGMA
  // alone already keeps the planner away from the faulty automatic index, so neither result
  // decides anything.
  sqlite3_test_control(SQLITE_TESTCTRL_OPTIMIZATIONS, db, kBloomFilterOptimization);
  rc = sqlite3_exec(db, "PRAGMA automatic_index=OFF", nullptr, nullptr, nullptr);
  if (rc != SQLITE_OK) return failed(rc, "PRAGMA automatic_index");
  return SQLITE_OK;
}

int sqlserver_error_number(std::string_view message) {
  if (message.size() < 3 || message[0] != '[') return 0;
  int number = 0;
  std::size_t i = 1;
  for (; i < message.size() && i < 8 && message[i] >= '0' && message[i] <= '9'; ++i) {
    number = number * 10 + (message[i] - '0');
  }
  if (i == 1 || i >= message.size() || message[i] != ']') return 0;
  return number;
}

std::string_view sqlserver_error_text(std::string_view message) {
  if (sqlserver_error_number(message) == 0) return message;
  const std::size_t close = message.find(']');
  std::string_view rest = message.substr(close + 1);
  if (!rest.empty() && rest.front() == ' ') rest.remove_prefix(1);
  return rest;
}

}  // namespace data::dialect
