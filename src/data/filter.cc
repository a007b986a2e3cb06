#include "data/filter.h"

#include <algorithm>

#include <cmath>
#include <cstdlib>
#include <optional>
#include <string>

#include "automation/convert.h"
#include "automation/date.h"
#include "automation/decimal.h"
#include "automation/number_format.h"
#include "automation/text.h"
#include "data/ado.h"
#include "data/errors.h"

namespace data::detail {

using automation::Decimal;
using automation::Variant;
using automation::VarType;

namespace {

enum class Op { kEq, kNe, kLt, kGt, kLe, kGe, kLike };

// A criteria value, prepared once for every way a row's value may need it.
struct Literal {
  enum class Kind { kNumber, kText, kDate, kNull } kind = Kind::kText;
  std::string text;  // as written, for comparisons with text values and for LIKE
  std::optional<Decimal> decimal;
  std::optional<double> number;
  std::optional<double> date_serial;
};

bool is_ident_char(char c) {
  auto u = static_cast<unsigned char>(c);
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' ||
         c == '$' || c == '#' || c == '@' || u >= 0x80;
}

// Reads an unsigned number of 1..max_digits digits at `p`.
std::optional<int> read_int(std::string_view s, std::size_t& p, int max_digits) {
  int value = 0, digits = 0;
  while (p < s.size() && s[p] >= '0' && s[p] <= '9' && digits < max_digits) {
    value = value * 10 + (s[p] - '0');
    ++p;
    ++digits;
  }
  if (digits == 0) return std::nullopt;
  return value;
}

// A date as the criteria write it between '#': ISO ("2020-01-31 10:00") or month/day/year with
// an optional time ("8/24/95", "12/31/2020 1:30 PM"). Two-digit years below 30 are 20xx.
std::optional<double> parse_criteria_date(std::string_view text) {
  text = automation::trim(text);
  if (auto iso = automation::parse_iso_date(text)) return iso->serial;
  std::size_t p = 0;
  automation::CivilDateTime c;
  auto month = read_int(text, p, 2);
  if (!month || p >= text.size() || text[p] != '/') return std::nullopt;
  ++p;
  auto day = read_int(text, p, 2);
  if (!day || p >= text.size() || text[p] != '/') return std::nullopt;
  ++p;
  std::size_t year_start = p;
  auto year = read_int(text, p, 4);
  if (!year) return std::nullopt;
  if (p - year_start <= 2) *year += *year < 30 ? 2000 : 1900;
  c.year = *year;
  c.month = *month;
  c.day = *day;
  while (p < text.size() && text[p] == ' ') ++p;
  if (p < text.size()) {
    auto hour = read_int(text, p, 2);
    if (!hour || p >= text.size() || text[p] != ':') return std::nullopt;
    ++p;
    auto minute = read_int(text, p, 2);
    if (!minute) return std::nullopt;
    int second = 0;
    if (p < text.size() && text[p] == ':') {
      ++p;
      auto s = read_int(text, p, 2);
      if (!s) return std::nullopt;
      second = *s;
    }
    while (p < text.size() && text[p] == ' ') ++p;
    int h = *hour;
    if (p < text.size()) {
      std::string_view rest = text.substr(p);
      bool pm = automation::iequals(rest, "PM");
      if (!pm && !automation::iequals(rest, "AM")) return std::nullopt;
      if (h < 1 || h > 12) return std::nullopt;
      h = (h % 12) + (pm ? 12 : 0);
    }
    if (h > 23 || *minute > 59 || second > 59) return std::nullopt;
    c.hour = h;
    c.minute = *minute;
    c.second = second;
  }
  const std::optional<automation::Date> date = automation::try_date_from_civil(c);
  if (!date) return std::nullopt;
  return date->serial;
}

// Numeric readings of a text: exact where it fits a Decimal, approximate otherwise.
void read_number(Literal& lit, std::string_view text) {
  std::string plain(text);
  char* end = nullptr;
  double d = std::strtod(plain.c_str(), &end);
  if (plain.empty() || end != plain.c_str() + plain.size() || !std::isfinite(d)) return;
  lit.number = d;
  bool simple = true;  // only digits, one point, an optional sign and exponent: no hex, no "inf"
  for (char c : plain) {
    if (!((c >= '0' && c <= '9') || c == '.' || c == '-' || c == '+' || c == 'e' || c == 'E')) {
      simple = false;
    }
  }
  if (simple && std::fabs(d) < 7.9e28) {
    // Too many digits for a Decimal: the double reading serves.
    lit.decimal = Decimal::try_parse(plain, automation::NumberFormat::plain());
  }
}

std::optional<Decimal> to_decimal_exact(const Variant& v) {
  switch (v.type()) {
    case VarType::kInteger:
      return Decimal(v.as_integer());
    case VarType::kLong:
      return Decimal(v.as_long());
    case VarType::kLongLong:
      return Decimal(v.as_long_long());
    case VarType::kCurrency:
      return Decimal::from_parts(v.as_currency().scaled, 4);
    case VarType::kDecimal:
      return v.as_decimal();
    default:
      return std::nullopt;
  }
}

std::optional<double> to_double_value(const Variant& v) {
  switch (v.type()) {
    case VarType::kInteger:
      return v.as_integer();
    case VarType::kLong:
      return v.as_long();
    case VarType::kLongLong:
      return static_cast<double>(v.as_long_long());
    case VarType::kCurrency:
      return static_cast<double>(v.as_currency().scaled) / 10000.0;
    case VarType::kDecimal:
      return v.as_decimal().to_double();
    case VarType::kDouble:
      return v.as_double();
    case VarType::kBoolean:
      return v.as_bool() ? -1.0 : 0.0;
    case VarType::kEmpty:
      return 0.0;
    default:
      return std::nullopt;
  }
}

template <class T>
int three_way(const T& a, const T& b) {
  if (a < b) return -1;
  if (b < a) return 1;
  return 0;
}

std::optional<int> compare_numbers(const Variant& v, const Literal& lit) {
  if (!lit.number) return std::nullopt;
  if (v.type() != VarType::kDouble && lit.decimal) {
    if (auto exact = to_decimal_exact(v)) return three_way(*exact, *lit.decimal);
  }
  auto d = to_double_value(v);
  if (!d) return std::nullopt;
  return three_way(*d, *lit.number);
}

// Compares a row's value with the literal, the literal taken in the value's type. nullopt when
// they cannot be compared: the row does not pass.
std::optional<int> compare(const Variant& v, const Literal& lit) {
  switch (v.type()) {
    case VarType::kString: {
      if (lit.kind == Literal::Kind::kDate) {
        auto d = automation::parse_iso_date(v.as_string());
        if (!d || !lit.date_serial) return std::nullopt;
        return three_way(d->serial, *lit.date_serial);
      }
      return automation::icompare(v.as_string(), lit.text);
    }
    case VarType::kEmpty:
      if (lit.kind == Literal::Kind::kText) return automation::icompare("", lit.text);
      if (lit.kind == Literal::Kind::kNumber) return compare_numbers(v, lit);
      return std::nullopt;
    case VarType::kDate:
      if (lit.date_serial) return three_way(v.as_date().serial, *lit.date_serial);
      if (lit.kind == Literal::Kind::kNumber && lit.number) {
        return three_way(v.as_date().serial, *lit.number);
      }
      return std::nullopt;
    case VarType::kBoolean:
      if (lit.kind == Literal::Kind::kText && !lit.number) {
        return automation::icompare(v.as_bool() ? "True" : "False", lit.text);
      }
      return compare_numbers(v, lit);
    case VarType::kInteger:
    case VarType::kLong:
    case VarType::kLongLong:
    case VarType::kCurrency:
    case VarType::kDecimal:
    case VarType::kDouble:
      if (lit.kind == Literal::Kind::kDate) return std::nullopt;
      return compare_numbers(v, lit);
    default:
      return std::nullopt;
  }
}

// '*' and '%' stand for any run of characters; everything else matches itself, ignoring case.
bool like(std::string_view text, std::string_view pattern) {
  std::size_t t = 0, p = 0, star_p = std::string_view::npos, star_t = 0;
  while (t < text.size()) {
    if (p < pattern.size() && (pattern[p] == '*' || pattern[p] == '%')) {
      star_p = p++;
      star_t = t;
    } else if (p < pattern.size() &&
               automation::fold_ascii(pattern[p]) == automation::fold_ascii(text[t])) {
      ++p;
      ++t;
    } else if (star_p != std::string_view::npos) {
      p = star_p + 1;
      t = ++star_t;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && (pattern[p] == '*' || pattern[p] == '%')) ++p;
  return p == pattern.size();
}

std::optional<std::string> text_for_like(const Variant& v) {
  switch (v.type()) {
    case VarType::kString:
      return v.as_string();
    case VarType::kEmpty:
      return std::string();
    case VarType::kObject:
    case VarType::kByteArray:
    case VarType::kError:
      return std::nullopt;
    default:
      return automation::to_text(v);
  }
}

}  // namespace

struct Filter::Node {
  enum class Kind { kAnd, kOr, kClause } kind = Kind::kClause;
  bool grouped = false;  // written in parentheses
  std::vector<Node> children;
  int ordinal = -1;
  Op op = Op::kEq;
  Literal literal;

  bool eval(const Row& row) const {
    switch (kind) {
      case Kind::kAnd:
        for (const Node& c : children) {
          if (!c.eval(row)) return false;
        }
        return true;
      case Kind::kOr:
        for (const Node& c : children) {
          if (c.eval(row)) return true;
        }
        return false;
      case Kind::kClause:
        break;
    }
    return clause_holds(row);
  }

  // Out of line: evaluation recurses through groups, and a clause's comparisons need a large
  // frame.
  [[gnu::noinline]] bool clause_holds(const Row& row) const {
    const Variant& v = row[static_cast<std::size_t>(ordinal)];
    if (literal.kind == Literal::Kind::kNull) {
      if (op == Op::kEq) return v.is_null();
      if (op == Op::kNe) return !v.is_null();
      return false;
    }
    if (v.is_null()) return false;
    if (op == Op::kLike) {
      auto text = text_for_like(v);
      return text && like(*text, literal.text);
    }
    auto cmp = compare(v, literal);
    if (!cmp) return false;
    switch (op) {
      case Op::kEq:
        return *cmp == 0;
      case Op::kNe:
        return *cmp != 0;
      case Op::kLt:
        return *cmp < 0;
      case Op::kGt:
        return *cmp > 0;
      case Op::kLe:
        return *cmp <= 0;
      case Op::kGe:
        return *cmp >= 0;
      case Op::kLike:
        break;
    }
    return false;
  }
};

namespace {

class Parser {
 public:
  Parser(std::string_view text, const NameIndex& names, std::string_view source)
      : s_(text), names_(names), source_(source) {}

  Filter::Node parse() {
    Filter::Node root = parse_or();
    skip_blanks();
    if (p_ != s_.size()) fail();
    return root;
  }

 private:
  [[noreturn]] void fail() const { raise(errc::kInvalidArgument, source_); }

  void skip_blanks() {
    while (p_ < s_.size() &&
           (s_[p_] == ' ' || s_[p_] == '\t' || s_[p_] == '\r' || s_[p_] == '\n')) {
      ++p_;
    }
  }

  bool keyword(std::string_view word) {
    skip_blanks();
    if (s_.size() - p_ < word.size() || !automation::iequals(s_.substr(p_, word.size()), word)) {
      return false;
    }
    std::size_t end = p_ + word.size();
    if (end < s_.size() && is_ident_char(s_[end])) return false;
    p_ = end;
    return true;
  }

  Filter::Node parse_or() {
    Filter::Node first = parse_and();
    if (!keyword("OR")) return first;
    Filter::Node node;
    node.kind = Filter::Node::Kind::kOr;
    node.children.push_back(std::move(first));
    do {
      node.children.push_back(parse_and());
    } while (keyword("OR"));
    return node;
  }

  static bool is_or_group(const Filter::Node& n) {
    return n.kind == Filter::Node::Kind::kOr && n.grouped;
  }

  Filter::Node parse_and() {
    Filter::Node first = parse_primary();
    if (!keyword("AND")) return first;
    Filter::Node node;
    node.kind = Filter::Node::Kind::kAnd;
    node.children.push_back(std::move(first));
    do {
      node.children.push_back(parse_primary());
    } while (keyword("AND"));
    // The platform refuses to AND a group of OR-ed clauses with anything.
    for (const Filter::Node& c : node.children) {
      if (is_or_group(c)) fail();
    }
    return node;
  }

  Filter::Node parse_primary() {
    skip_blanks();
    if (p_ < s_.size() && s_[p_] == '(') {
      ++p_;
      if (++depth_ > Filter::kMaxNesting) fail();
      Filter::Node inner = parse_or();
      --depth_;
      skip_blanks();
      if (p_ >= s_.size() || s_[p_] != ')') fail();
      ++p_;
      inner.grouped = true;
      return inner;
    }
    return parse_clause();
  }

  std::string parse_field_name() {
    skip_blanks();
    if (p_ < s_.size() && s_[p_] == '[') {
      std::size_t close = s_.find(']', p_ + 1);
      if (close == std::string_view::npos) fail();
      std::string name(s_.substr(p_ + 1, close - p_ - 1));
      p_ = close + 1;
      return name;
    }
    std::size_t start = p_;
    while (p_ < s_.size() && is_ident_char(s_[p_])) ++p_;
    if (p_ == start) fail();
    return std::string(s_.substr(start, p_ - start));
  }

  Op parse_op() {
    skip_blanks();
    if (keyword("LIKE")) return Op::kLike;
    if (p_ >= s_.size()) fail();
    char c = s_[p_];
    char next = p_ + 1 < s_.size() ? s_[p_ + 1] : '\0';
    if (c == '=') {
      ++p_;
      return Op::kEq;
    }
    if (c == '<') {
      if (next == '>') {
        p_ += 2;
        return Op::kNe;
      }
      if (next == '=') {
        p_ += 2;
        return Op::kLe;
      }
      ++p_;
      return Op::kLt;
    }
    if (c == '>') {
      if (next == '=') {
        p_ += 2;
        return Op::kGe;
      }
      ++p_;
      return Op::kGt;
    }
    fail();
  }

  Literal parse_value() {
    skip_blanks();
    if (p_ >= s_.size()) fail();
    Literal lit;
    char c = s_[p_];
    if (c == '\'') {
      ++p_;
      std::string text;
      while (true) {
        if (p_ >= s_.size()) fail();
        if (s_[p_] == '\'') {
          if (p_ + 1 < s_.size() && s_[p_ + 1] == '\'') {
            text.push_back('\'');
            p_ += 2;
            continue;
          }
          ++p_;
          break;
        }
        text.push_back(s_[p_++]);
      }
      lit.kind = Literal::Kind::kText;
      read_number(lit, text);
      lit.date_serial = parse_criteria_date(text);
      lit.text = std::move(text);
      return lit;
    }
    if (c == '#') {
      std::size_t close = s_.find('#', p_ + 1);
      if (close == std::string_view::npos) fail();
      std::string_view inner = s_.substr(p_ + 1, close - p_ - 1);
      p_ = close + 1;
      if (inner.size() >= 2 && inner.front() == '\'' && inner.back() == '\'') {
        // #'text'# stands for a text that itself begins and ends with a quote.
        lit.kind = Literal::Kind::kText;
        lit.text = std::string(inner);
        return lit;
      }
      lit.kind = Literal::Kind::kDate;
      lit.date_serial = parse_criteria_date(inner);
      if (!lit.date_serial) fail();
      lit.text = std::string(inner);
      return lit;
    }
    if (keyword("NULL")) {
      lit.kind = Literal::Kind::kNull;
      return lit;
    }
    std::size_t start = p_;
    std::string number;
    if (s_[p_] == '+' || s_[p_] == '-') number.push_back(s_[p_++]);
    if (p_ < s_.size() && s_[p_] == '$') ++p_;
    while (p_ < s_.size() && ((s_[p_] >= '0' && s_[p_] <= '9') || s_[p_] == '.')) {
      number.push_back(s_[p_++]);
    }
    if (p_ < s_.size() && (s_[p_] == 'e' || s_[p_] == 'E')) {
      number.push_back(s_[p_++]);
      if (p_ < s_.size() && (s_[p_] == '+' || s_[p_] == '-')) number.push_back(s_[p_++]);
      while (p_ < s_.size() && s_[p_] >= '0' && s_[p_] <= '9') number.push_back(s_[p_++]);
    }
    if (p_ == start || (p_ < s_.size() && is_ident_char(s_[p_]))) fail();
    lit.kind = Literal::Kind::kNumber;
    read_number(lit, number);
    if (!lit.number) fail();
    lit.text = std::move(number);
    return lit;
  }

  // Out of line, with the value it reads: the recursion through parentheses keeps only small
  // frames.
  [[gnu::noinline]] Filter::Node parse_clause() {
    std::string name = parse_field_name();
    auto it = names_.find(std::string_view(name));
    if (it == names_.end()) raise(errc::kItemNotFound, source_);
    Filter::Node node;
    node.kind = Filter::Node::Kind::kClause;
    node.ordinal = it->second;
    node.op = parse_op();
    node.literal = parse_value();
    if (node.literal.kind == Literal::Kind::kNull && node.op != Op::kEq && node.op != Op::kNe) {
      fail();
    }
    return node;
  }

  std::string_view s_;
  std::size_t p_ = 0;
  int depth_ = 0;  // parentheses open around the current position
  const NameIndex& names_;
  std::string_view source_;
};

}  // namespace

namespace {

void collect_columns(const Filter::Node& node, std::vector<int>& out) {
  if (node.kind == Filter::Node::Kind::kClause) out.push_back(node.ordinal);
  for (const Filter::Node& c : node.children) collect_columns(c, out);
}

}  // namespace

Filter::Filter(std::unique_ptr<Node> root) : root_(std::move(root)) {
  collect_columns(*root_, columns_);
  std::sort(columns_.begin(), columns_.end());
  columns_.erase(std::unique(columns_.begin(), columns_.end()), columns_.end());
}
Filter::~Filter() = default;

std::unique_ptr<Filter> Filter::compile(std::string_view criteria, const NameIndex& names,
                                        std::string_view source) {
  Parser parser(criteria, names, source);
  auto root = std::make_unique<Node>(parser.parse());
  return std::unique_ptr<Filter>(new Filter(std::move(root)));
}

bool Filter::matches(const Row& row) const { return root_->eval(row); }

}  // namespace data::detail
