#include "data/dialect/translator.h"

#include <sqlite3.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

#include "automation/error.h"
#include "automation/text.h"
#include "data/ado.h"
#include "data/dialect/lexer.h"

namespace data::dialect {
namespace {

// What the translator knows of an expression's type without a catalogue: literals, function
// results and conversions are known; columns and parameters are not.
enum class Type : std::uint8_t { kUnknown, kText, kNumber, kBool };

enum class Kind : std::uint8_t {
  kString,
  kNumber,
  kNull,
  kParameter,
  kBinary,
  kColumn,
  kNegate,
  kNot,
  kArith,    // + - * / %
  kLogic,    // AND OR
  kCompare,  // = <> < > <= >=
  kIn,
  kIsNull,
  kBetween,
  kCall,
  kCase,
  kConvert,
  kList,       // a list of nodes (window PARTITION BY / ORDER BY)
  kOrderItem,  // expression with ASC / DESC
};

struct Node {
  explicit Node(Kind k, Type t = Type::kUnknown, std::string_view s = {})
      : kind(k), type(t), text(s) {}

  Kind kind;
  Type type;
  bool flag = false;      // NOT IN / IS NOT NULL / NOT BETWEEN, COUNT(*)
  std::string_view text;  // literal, operator, SQLite function name, ASC/DESC
  int a = -1;
  int b = -1;
  int c = -1;
  std::uint32_t list = 0;  // range in Translator::lists_
  std::uint32_t count = 0;
  std::uint32_t tok = 0;   // column: first name; convert: first token of the type
  std::uint32_t tok2 = 0;  // column: second name (0 = none); convert: end of the type tokens
};

constexpr std::string_view kCollate = " COLLATE TSQL_CI";

[[noreturn]] void raise_too_deep(std::string_view source) {
  raise_translation_error(source,
                          "Some part of your SQL statement is nested too deeply. Rewrite the "
                          "query or break it up into smaller queries.");
}

// T-SQL reserved words that can start or end a clause: never a column or an alias.
constexpr std::string_view kReserved[] = {
    "ALL",      "ALTER",   "AND",      "ANY",         "APPLY",    "AS",        "ASC",
    "BEGIN",    "BETWEEN", "BREAK",    "BY",          "CASE",     "CHECK",     "COLLATE",
    "COLUMN",   "COMMIT",  "COMPUTE",  "CONSTRAINT",  "CONTAINS", "CONTINUE",  "CREATE",
    "CROSS",    "CURRENT", "CURSOR",   "DECLARE",     "DEFAULT",  "DELETE",    "DESC",
    "DISTINCT", "DROP",    "ELSE",     "END",         "ESCAPE",   "EXCEPT",    "EXEC",
    "EXECUTE",  "EXISTS",  "FETCH",    "FOR",         "FOREIGN",  "FROM",      "FULL",
    "FUNCTION", "GOTO",    "GRANT",    "GROUP",       "HAVING",   "IF",        "IN",
    "INDEX",    "INNER",   "INSERT",   "INTERSECT",   "INTO",     "IS",        "JOIN",
    "KEY",      "LEFT",    "LIKE",     "MERGE",       "NOT",      "NULL",      "OF",
    "OFF",      "OFFSET",  "ON",       "OPTION",      "OR",       "ORDER",     "OUTER",
    "OUTPUT",   "OVER",    "PERCENT",  "PIVOT",       "PRIMARY",  "PROCEDURE", "REFERENCES",
    "RETURN",   "RIGHT",   "ROLLBACK", "SELECT",      "SET",      "SOME",      "TABLE",
    "THEN",     "TO",      "TOP",      "TRANSACTION", "TRUNCATE", "UNION",     "UNIQUE",
    "UNPIVOT",  "UPDATE",  "USE",      "VALUES",      "VIEW",     "WHEN",      "WHERE",
    "WHILE",    "WITH",
};

// Locking hints mean nothing on the embedded database's single connection.
constexpr std::array<std::string_view, 14> kTableHints = {
    "HOLDLOCK", "NOLOCK",          "NOWAIT",         "PAGLOCK", "READCOMMITTED",
    "READPAST", "READUNCOMMITTED", "REPEATABLEREAD", "ROWLOCK", "SERIALIZABLE",
    "TABLOCK",  "TABLOCKX",        "UPDLOCK",        "XLOCK"};

struct Function {
  std::string_view tsql;  // upper case
  std::string_view sqlite;
  std::uint8_t min_args;
  std::uint8_t max_args;
  Type result;  // kUnknown: the type of the arguments
};

constexpr std::array<Function, 15> kFunctions = {{
    {"CHARINDEX", "tsql_charindex", 2, 3, Type::kNumber},
    {"COALESCE", "coalesce", 2, 255, Type::kUnknown},
    {"COUNT", "count", 1, 1, Type::kNumber},
    {"ISNULL", "ifnull", 2, 2, Type::kUnknown},
    {"LEN", "tsql_len", 1, 1, Type::kNumber},
    {"LOWER", "tsql_lower", 1, 1, Type::kText},
    {"LTRIM", "ltrim", 1, 1, Type::kText},
    {"MAX", "max", 1, 1, Type::kUnknown},
    {"MIN", "min", 1, 1, Type::kUnknown},
    {"REPLACE", "tsql_replace", 3, 3, Type::kText},
    {"ROW_NUMBER", "row_number", 0, 0, Type::kNumber},
    {"RTRIM", "rtrim", 1, 1, Type::kText},
    {"SUBSTRING", "tsql_substring", 3, 3, Type::kText},
    {"SUM", "sum", 1, 1, Type::kUnknown},
    {"UPPER", "tsql_upper", 1, 1, Type::kText},
}};

// Conversion targets that tsql_convert implements; `args` is the most type arguments allowed.
struct TargetType {
  std::string_view name;
  std::uint8_t args;
  bool text;
};
constexpr std::array<TargetType, 16> kTargetTypes = {{
    {"BIGINT", 0, false},
    {"BIT", 0, false},
    {"CHAR", 1, true},
    {"DECIMAL", 2, false},
    {"FLOAT", 1, false},
    {"INT", 0, false},
    {"INTEGER", 0, false},
    {"MONEY", 0, false},
    {"NCHAR", 1, true},
    {"NUMERIC", 2, false},
    {"NVARCHAR", 1, true},
    {"REAL", 0, false},
    {"SMALLINT", 0, false},
    {"SMALLMONEY", 0, false},
    {"TINYINT", 0, false},
    {"VARCHAR", 1, true},
}};

// Upper-cases an ASCII word into `buffer`; false when it cannot be a keyword.
bool upper_word(std::string_view word, std::array<char, 24>& buffer, std::string_view& out) {
  if (word.size() > buffer.size()) return false;
  for (std::size_t i = 0; i < word.size(); ++i) {
    buffer[i] = automation::upper_ascii(word[i]);
  }
  out = std::string_view(buffer.data(), word.size());
  return true;
}

static_assert(std::is_sorted(std::begin(kReserved), std::end(kReserved)));
static_assert(std::is_sorted(kFunctions.begin(), kFunctions.end(),
                             [](const Function& x, const Function& y) { return x.tsql < y.tsql; }));
static_assert(std::is_sorted(kTargetTypes.begin(), kTargetTypes.end(),
                             [](const TargetType& x, const TargetType& y) {
                               return x.name < y.name;
                             }));

bool is_reserved(const Token& t) {
  if (t.kind != TokenKind::kIdentifier) return false;
  std::array<char, 24> buffer;
  std::string_view upper;
  return upper_word(t.text, buffer, upper) &&
         std::binary_search(std::begin(kReserved), std::end(kReserved), upper);
}

const Function* find_function(std::string_view name) {
  std::array<char, 24> buffer;
  std::string_view upper;
  if (!upper_word(name, buffer, upper)) return nullptr;
  const auto it =
      std::lower_bound(kFunctions.begin(), kFunctions.end(), upper,
                       [](const Function& f, std::string_view n) { return f.tsql < n; });
  return it != kFunctions.end() && it->tsql == upper ? &*it : nullptr;
}

const TargetType* find_target(std::string_view name) {
  std::array<char, 24> buffer;
  std::string_view upper;
  if (!upper_word(name, buffer, upper)) return nullptr;
  const auto it =
      std::lower_bound(kTargetTypes.begin(), kTargetTypes.end(), upper,
                       [](const TargetType& t, std::string_view n) { return t.name < n; });
  return it != kTargetTypes.end() && it->name == upper ? &*it : nullptr;
}

void append_upper(std::string& out, std::string_view text) {
  for (char c : text) out += automation::upper_ascii(c);
}

class Translator {
 public:
  Translator(std::string_view sql, std::string_view source)
      : source_(source), tokens_(tokenize(sql, source)) {
    nodes_.reserve(tokens_.size());
    out_.reserve(sql.size() + sql.size() / 2 + 16);
  }

  std::string run();

 private:
  // Tokens.
  const Token& peek(std::size_t ahead = 0) const {
    const std::size_t i = std::min(pos_ + ahead, tokens_.size() - 1);
    return tokens_[i];
  }
  const Token& next() {
    const Token& t = tokens_[pos_];
    if (pos_ + 1 < tokens_.size()) ++pos_;
    return t;
  }
  bool accept_op(std::string_view op) {
    if (!peek().is(op)) return false;
    next();
    return true;
  }
  bool accept_keyword(std::string_view keyword) {
    if (!peek().is_keyword(keyword)) return false;
    next();
    return true;
  }
  void expect_op(std::string_view op) {
    if (!accept_op(op)) syntax_error();
  }
  void expect_keyword(std::string_view keyword) {
    if (!accept_keyword(keyword)) syntax_error();
  }
  [[noreturn]] void syntax_error() const { raise_syntax_near(source_, peek().text); }
  bool is_name(const Token& t) const {
    return t.kind == TokenKind::kBracketed || (t.kind == TokenKind::kIdentifier && !is_reserved(t));
  }
  std::uint32_t expect_name() {
    if (!is_name(peek())) syntax_error();
    const std::uint32_t at = static_cast<std::uint32_t>(pos_);
    next();
    return at;
  }

  // Statements; each writes its SQLite text to out_.
  void select();
  void insert();
  void update();
  void remove();
  void table_reference(bool allow_alias);
  void table_hints();
  void from_clause();
  void order_by_list(const std::vector<std::string_view>* text_aliases);

  // Expressions. Parsing recurses through these once per level of nesting, so each kind keeps
  // its locals in a frame of its own: one frame holding every kind's would make each level
  // cost several times the stack.
  int expression(int min_power = 0);
  [[gnu::noinline]] int prefix();
  [[gnu::noinline]] int primary_name();
  [[gnu::noinline]] int call(std::uint32_t name_token);
  [[gnu::noinline]] int window();
  [[gnu::noinline]] int case_expression();
  [[gnu::noinline]] int convert(bool is_cast);
  int add(Node node) {
    nodes_.push_back(node);
    return static_cast<int>(nodes_.size() - 1);
  }
  // A node made in place, with no copy in the caller's frame; `a` is its first operand.
  int add(Kind kind, Type type = Type::kUnknown, std::string_view text = {}, int a = -1) {
    nodes_.emplace_back(kind, type, text);
    nodes_.back().a = a;
    return static_cast<int>(nodes_.size() - 1);
  }
  std::uint32_t finish_list(std::size_t mark, std::uint32_t& count) {
    const std::uint32_t first = static_cast<std::uint32_t>(lists_.size());
    lists_.insert(lists_.end(), stack_.begin() + static_cast<std::ptrdiff_t>(mark), stack_.end());
    count = static_cast<std::uint32_t>(stack_.size() - mark);
    stack_.resize(mark);
    return first;
  }
  [[gnu::noinline]] int binary(Kind kind, std::string_view op, int left, int right);
  // IS [NOT] NULL, [NOT] IN (...), [NOT] BETWEEN ... AND ... after `left`.
  [[gnu::noinline]] int postfix(int left, bool negated);

  // Emission.
  void emit(int node);
  void emit_name(std::uint32_t token);
  void emit_operand(int node, bool collate);
  void emit_type(const Node& node);
  void emit_source_type(int node);
  void emit_list(std::uint32_t first, std::uint32_t count, bool collate_text);
  void emit_arith(const Node& node);

  std::string_view source_;  // who raises the errors: the provider running the statement
  std::vector<Token> tokens_;
  std::size_t pos_ = 0;
  std::vector<Node> nodes_;
  std::vector<int> lists_;
  std::vector<int> stack_;
  int depth_ = 0;
  int emit_depth_ = 0;
  std::string out_;
};

std::string Translator::run() {
  const Token& first = peek();
  if (first.is_keyword("SELECT")) {
    select();
  } else if (first.is_keyword("INSERT")) {
    insert();
  } else if (first.is_keyword("UPDATE")) {
    update();
  } else if (first.is_keyword("DELETE")) {
    remove();
  } else if (first.kind == TokenKind::kEnd) {
    raise_syntax_near(source_, "");
  } else if (first.kind == TokenKind::kIdentifier) {
    std::string word;
    append_upper(word, first.text);
    raise_unsupported(source_, "The statement '" + word + "'");
  } else {
    syntax_error();
  }
  if (accept_op(";") && peek().kind != TokenKind::kEnd) {
    raise_unsupported(source_, "A batch of several statements");
  }
  if (peek().kind != TokenKind::kEnd) {
    if (peek().is_keyword("UNION") || peek().is_keyword("EXCEPT") ||
        peek().is_keyword("INTERSECT")) {
      std::string word;
      append_upper(word, peek().text);
      raise_unsupported(source_, word);
    }
    if (peek().is_keyword("SELECT") || peek().is_keyword("INSERT") || peek().is_keyword("UPDATE") ||
        peek().is_keyword("DELETE")) {
      raise_unsupported(source_, "A batch of several statements");
    }
    syntax_error();
  }
  return std::move(out_);
}

void Translator::select() {
  next();
  out_ += "SELECT ";
  if (accept_keyword("DISTINCT")) {
    out_ += "DISTINCT ";
  } else {
    accept_keyword("ALL");
  }
  std::string_view limit;
  if (accept_keyword("TOP")) {
    const bool parenthesised = accept_op("(");
    if (peek().kind != TokenKind::kNumber || peek().text.find('.') != std::string_view::npos) {
      raise_unsupported(source_, "TOP with anything but a whole number");
    }
    limit = next().text;
    if (parenthesised) expect_op(")");
    if (peek().is_keyword("PERCENT")) raise_unsupported(source_, "TOP ... PERCENT");
    if (peek().is_keyword("WITH") && peek(1).is_keyword("TIES")) {
      raise_unsupported(source_, "TOP ... WITH TIES");
    }
  }

  // Aliases of text-valued items: ORDER BY on such a name sorts the item, not a column.
  std::vector<std::string_view> text_aliases;
  for (bool first = true;; first = false) {
    if (!first) {
      if (!accept_op(",")) break;
      out_ += ", ";
    }
    if (peek().is("*")) {
      next();
      out_ += '*';
      continue;
    }
    if (is_name(peek()) && peek(1).is(".") && peek(2).is("*")) {
      emit_name(expect_name());
      next();
      next();
      out_ += ".*";
      continue;
    }
    const int item = expression();
    const Node& node = nodes_[static_cast<std::size_t>(item)];
    if (node.kind == Kind::kCompare && node.text == "=" &&
        nodes_[static_cast<std::size_t>(node.a)].kind == Kind::kColumn) {
      raise_unsupported(source_, "The select-list alias form 'name = expression'");
    }
    if (node.type == Type::kBool) syntax_error();
    emit(item);
    if (accept_keyword("AS") || is_name(peek())) {
      if (peek().kind == TokenKind::kString) raise_unsupported(source_, "A quoted column alias");
      const std::uint32_t alias = expect_name();
      out_ += " AS ";
      emit_name(alias);
      if (nodes_[static_cast<std::size_t>(item)].type == Type::kText) {
        text_aliases.push_back(tokens_[alias].text);
      }
    }
  }

  if (accept_keyword("INTO")) raise_unsupported(source_, "SELECT ... INTO");
  if (accept_keyword("FROM")) {
    out_ += " FROM ";
    from_clause();
  }
  if (accept_keyword("WHERE")) {
    out_ += " WHERE ";
    emit(expression());
  }
  if (peek().is_keyword("GROUP")) {
    next();
    expect_keyword("BY");
    out_ += " GROUP BY ";
    for (bool first = true;; first = false) {
      if (!first) {
        if (!accept_op(",")) break;
        out_ += ", ";
      }
      const int term = expression();
      emit(term);
      if (nodes_[static_cast<std::size_t>(term)].type == Type::kText) out_ += kCollate;
    }
  }
  if (accept_keyword("HAVING")) {
    out_ += " HAVING ";
    emit(expression());
  }
  if (peek().is_keyword("ORDER")) {
    next();
    expect_keyword("BY");
    out_ += " ORDER BY ";
    order_by_list(&text_aliases);
    if (peek().is_keyword("OFFSET")) raise_unsupported(source_, "OFFSET ... FETCH");
  }
  if (peek().is_keyword("FOR")) raise_unsupported(source_, "FOR XML / FOR BROWSE");
  if (peek().is_keyword("OPTION")) raise_unsupported(source_, "A query OPTION clause");
  if (!limit.empty()) {
    out_ += " LIMIT ";
    out_ += limit;
  }
}

void Translator::order_by_list(const std::vector<std::string_view>* text_aliases) {
  for (bool first = true;; first = false) {
    if (!first) {
      if (!accept_op(",")) break;
      out_ += ", ";
    }
    const int term = expression();
    const Node& node = nodes_[static_cast<std::size_t>(term)];
    emit(term);
    bool text = node.type == Type::kText;
    if (!text && text_aliases != nullptr && node.kind == Kind::kColumn && node.tok2 == 0) {
      const std::string_view name = tokens_[node.tok].text;
      text = std::any_of(text_aliases->begin(), text_aliases->end(), [&](std::string_view a) {
        return a.size() == name.size() &&
               std::equal(a.begin(), a.end(), name.begin(),
                          [](char x, char y) { return (x | 0x20) == (y | 0x20); });
      });
    }
    if (text) out_ += kCollate;
    if (accept_keyword("DESC")) {
      out_ += " DESC";
    } else if (accept_keyword("ASC")) {
      out_ += " ASC";
    }
  }
}

void Translator::table_hints() {
  // WITH ( hint [, hint] ): dropped.
  next();
  expect_op("(");
  for (bool first = true;; first = false) {
    if (!first && !accept_op(",")) break;
    const Token& hint = peek();
    std::array<char, 24> buffer;
    std::string_view upper;
    if (hint.kind != TokenKind::kIdentifier || !upper_word(hint.text, buffer, upper) ||
        !std::any_of(kTableHints.begin(), kTableHints.end(),
                     [&](std::string_view h) { return h == upper; })) {
      raise_unsupported(source_, "The table hint '" + std::string(hint.text) + "'");
    }
    next();
  }
  expect_op(")");
}

void Translator::table_reference(bool allow_alias) {
  if (peek().is("(")) raise_unsupported(source_, "A derived table (subquery in FROM)");
  emit_name(expect_name());
  if (accept_op(".")) raise_unsupported(source_, "A qualified table name");
  if (allow_alias && (accept_keyword("AS") || is_name(peek()))) {
    out_ += " AS ";
    emit_name(expect_name());
  }
  if (peek().is_keyword("WITH") && peek(1).is("(")) table_hints();
  if (allow_alias && peek().is("(")) raise_unsupported(source_, "A table hint without WITH");
}

void Translator::from_clause() {
  table_reference(true);
  for (;;) {
    if (accept_op(",")) {
      out_ += ", ";
      table_reference(true);
      continue;
    }
    std::string_view join;
    bool needs_on = true;
    if (accept_keyword("JOIN")) {
      join = " JOIN ";
    } else if (accept_keyword("INNER")) {
      expect_keyword("JOIN");
      join = " INNER JOIN ";
    } else if (accept_keyword("LEFT")) {
      accept_keyword("OUTER");
      expect_keyword("JOIN");
      join = " LEFT JOIN ";
    } else if (accept_keyword("RIGHT")) {
      accept_keyword("OUTER");
      expect_keyword("JOIN");
      join = " RIGHT JOIN ";
    } else if (peek().is_keyword("FULL")) {
      next();
      accept_keyword("OUTER");
      expect_keyword("JOIN");
      join = " FULL JOIN ";
    } else if (peek().is_keyword("CROSS") || peek().is_keyword("OUTER")) {
      if (peek(1).is_keyword("APPLY")) raise_unsupported(source_, "APPLY");
      expect_keyword("CROSS");
      expect_keyword("JOIN");
      join = " CROSS JOIN ";
      needs_on = false;
    } else {
      return;
    }
    out_ += join;
    table_reference(true);
    if (needs_on) {
      expect_keyword("ON");
      out_ += " ON ";
      emit(expression());
    }
  }
}

void Translator::insert() {
  next();
  accept_keyword("INTO");
  out_ += "INSERT INTO ";
  table_reference(false);
  if (accept_op("(")) {
    out_ += " (";
    for (bool first = true;; first = false) {
      if (!first) {
        if (!accept_op(",")) break;
        out_ += ", ";
      }
      emit_name(expect_name());
    }
    expect_op(")");
    out_ += ')';
  }
  if (peek().is_keyword("SELECT")) raise_unsupported(source_, "INSERT ... SELECT");
  if (peek().is_keyword("DEFAULT")) raise_unsupported(source_, "INSERT ... DEFAULT VALUES");
  if (peek().is_keyword("OUTPUT")) raise_unsupported(source_, "OUTPUT");
  expect_keyword("VALUES");
  out_ += " VALUES ";
  for (bool first_row = true;; first_row = false) {
    if (!first_row) {
      if (!accept_op(",")) break;
      out_ += ", ";
    }
    expect_op("(");
    out_ += '(';
    for (bool first = true;; first = false) {
      if (!first) {
        if (!accept_op(",")) break;
        out_ += ", ";
      }
      if (peek().is_keyword("DEFAULT")) raise_unsupported(source_, "DEFAULT in VALUES");
      emit(expression());
    }
    expect_op(")");
    out_ += ')';
  }
}

void Translator::update() {
  next();
  if (peek().is_keyword("TOP")) raise_unsupported(source_, "UPDATE TOP");
  out_ += "UPDATE ";
  table_reference(false);
  expect_keyword("SET");
  out_ += " SET ";
  for (bool first = true;; first = false) {
    if (!first) {
      if (!accept_op(",")) break;
      out_ += ", ";
    }
    emit_name(expect_name());
    if (peek().is(".")) raise_unsupported(source_, "A qualified column in SET");
    expect_op("=");
    out_ += " = ";
    emit(expression());
  }
  if (peek().is_keyword("FROM")) raise_unsupported(source_, "UPDATE ... FROM");
  if (peek().is_keyword("OUTPUT")) raise_unsupported(source_, "OUTPUT");
  if (accept_keyword("WHERE")) {
    out_ += " WHERE ";
    emit(expression());
  }
}

void Translator::remove() {
  next();
  if (peek().is_keyword("TOP")) raise_unsupported(source_, "DELETE TOP");
  accept_keyword("FROM");
  out_ += "DELETE FROM ";
  table_reference(false);
  if (peek().is_keyword("FROM")) raise_unsupported(source_, "DELETE ... FROM");
  if (peek().is_keyword("OUTPUT")) raise_unsupported(source_, "OUTPUT");
  if (accept_keyword("WHERE")) {
    out_ += " WHERE ";
    emit(expression());
  }
}

// Binding powers, low to high: OR, AND, NOT, comparisons, + -, * / %, unary sign.
constexpr int kPowerOr = 10;
constexpr int kPowerAnd = 20;
constexpr int kPowerNot = 30;
constexpr int kPowerCompare = 40;
constexpr int kPowerAdd = 50;
constexpr int kPowerMultiply = 60;
constexpr int kPowerSign = 70;

int Translator::binary(Kind kind, std::string_view op, int left, int right) {
  Node node(kind);
  node.text = op;
  node.a = left;
  node.b = right;
  const Type lt = nodes_[static_cast<std::size_t>(left)].type;
  const Type rt = nodes_[static_cast<std::size_t>(right)].type;
  if (kind == Kind::kArith) {
    if (op == "+") {
      node.type = (lt == Type::kText || rt == Type::kText)       ? Type::kText
                  : (lt == Type::kNumber && rt == Type::kNumber) ? Type::kNumber
                                                                 : Type::kUnknown;
    } else {
      node.type = Type::kNumber;
    }
  } else {
    node.type = Type::kBool;
  }
  if (kind == Kind::kCompare &&
      ((lt == Type::kText && rt == Type::kNumber) || (lt == Type::kNumber && rt == Type::kText))) {
    raise_unsupported(source_, "Comparing a text with a number");
  }
  return add(node);
}

// The binding power of a binary operator token (0 for any other token), with the kind of node
// it makes and its text in the translation. Out of line: the parser's recursion stays small.
[[gnu::noinline]] int infix_power(const Token& t, Kind& kind, std::string_view& op) {
  if (t.kind == TokenKind::kIdentifier) {
    kind = Kind::kLogic;
    if (t.is_keyword("AND")) {
      op = "AND";
      return kPowerAnd;
    }
    if (t.is_keyword("OR")) {
      op = "OR";
      return kPowerOr;
    }
    return 0;
  }
  if (t.kind != TokenKind::kOperator) return 0;
  op = t.text;
  kind = Kind::kArith;
  if (op == "*" || op == "/" || op == "%") return kPowerMultiply;
  if (op == "+" || op == "-") return kPowerAdd;
  kind = Kind::kCompare;
  if (op == "!=") op = "<>";
  if (op == "=" || op == "<>" || op == "<" || op == ">" || op == "<=" || op == ">=") {
    return kPowerCompare;
  }
  return 0;
}

int Translator::expression(int min_power) {
  if (++depth_ > kMaxNesting) raise_too_deep(source_);
  int left = prefix();
  for (;;) {
    const Token& t = peek();
    Kind kind = Kind::kArith;
    std::string_view op;
    if (const int power = infix_power(t, kind, op); power != 0) {
      if (power <= min_power) break;
      next();
      const int right = expression(power);
      left = binary(kind, op, left, right);
      continue;
    }
    if (t.kind != TokenKind::kIdentifier || kPowerCompare <= min_power) break;
    bool negated = false;
    if (t.is_keyword("NOT") &&
        (peek(1).is_keyword("IN") || peek(1).is_keyword("BETWEEN") || peek(1).is_keyword("LIKE"))) {
      next();
      negated = true;
    }
    const Token& word = peek();
    if (word.is_keyword("IS") || word.is_keyword("IN") || word.is_keyword("BETWEEN") ||
        word.is_keyword("LIKE") || word.is_keyword("COLLATE")) {
      left = postfix(left, negated);
      continue;
    }
    if (negated) syntax_error();
    break;
  }
  --depth_;
  return left;
}

int Translator::postfix(int left, bool negated) {
  const Token& op = peek();
  if (op.is_keyword("LIKE")) raise_unsupported(source_, "LIKE");
  if (op.is_keyword("COLLATE")) raise_unsupported(source_, "COLLATE");
  if (op.is_keyword("IS")) {
    next();
    Node node(Kind::kIsNull, Type::kBool);
    node.flag = accept_keyword("NOT");
    expect_keyword("NULL");
    node.a = left;
    return add(node);
  }
  if (op.is_keyword("IN")) {
    next();
    expect_op("(");
    if (peek().is_keyword("SELECT")) raise_unsupported(source_, "A subquery");
    Node node(Kind::kIn, Type::kBool);
    node.flag = negated;
    node.a = left;
    const std::size_t mark = stack_.size();
    do {
      stack_.push_back(expression());
    } while (accept_op(","));
    expect_op(")");
    node.list = finish_list(mark, node.count);
    return add(node);
  }
  next();  // BETWEEN
  Node node(Kind::kBetween, Type::kBool);
  node.flag = negated;
  node.a = left;
  node.b = expression(kPowerCompare);
  expect_keyword("AND");
  node.c = expression(kPowerCompare);
  return add(node);
}

int Translator::prefix() {
  const Token& t = peek();
  switch (t.kind) {
    case TokenKind::kString: {
      next();
      return add(Kind::kString, Type::kText, t.text);
    }
    case TokenKind::kNumber: {
      next();
      return add(Kind::kNumber, Type::kNumber, t.text);
    }
    case TokenKind::kBinary: {
      next();
      return add(Kind::kBinary, Type::kUnknown, t.text);
    }
    case TokenKind::kParameter: {
      next();
      return add(Kind::kParameter);
    }
    case TokenKind::kOperator: {
      if (t.is("(")) {
        next();
        if (peek().is_keyword("SELECT")) raise_unsupported(source_, "A subquery");
        const int inner = expression();
        expect_op(")");
        return inner;
      }
      if (t.is("-") || t.is("+")) {
        const bool minus = t.is("-");
        next();
        const int operand = expression(kPowerSign);
        if (!minus) return operand;
        return add(Kind::kNegate, Type::kNumber, {}, operand);
      }
      syntax_error();
    }
    case TokenKind::kIdentifier:
    case TokenKind::kBracketed:
      return primary_name();
    case TokenKind::kEnd:
      syntax_error();
  }
  syntax_error();
}

int Translator::primary_name() {
  const Token& t = peek();
  if (t.kind == TokenKind::kIdentifier) {
    if (t.is_keyword("NULL")) {
      next();
      return add(Kind::kNull);
    }
    if (t.is_keyword("NOT")) {
      next();
      const int operand = expression(kPowerNot);
      return add(Kind::kNot, Type::kBool, {}, operand);
    }
    if (t.is_keyword("CASE")) return case_expression();
    if (t.is_keyword("CAST")) return convert(true);
    if (t.is_keyword("CONVERT")) return convert(false);
    if (t.is_keyword("EXISTS")) raise_unsupported(source_, "EXISTS");
    if (t.is_keyword("SELECT")) raise_unsupported(source_, "A subquery");
    if (peek(1).is("(")) {
      const std::uint32_t name = static_cast<std::uint32_t>(pos_);
      next();
      return call(name);
    }
  }
  if (!is_name(t)) syntax_error();
  const std::uint32_t first = expect_name();
  std::uint32_t second = 0;
  if (accept_op(".")) {
    second = expect_name();
    if (peek().is(".")) raise_unsupported(source_, "A three-part name");
  }
  const int column = add(Kind::kColumn);
  nodes_[static_cast<std::size_t>(column)].tok = first;
  nodes_[static_cast<std::size_t>(column)].tok2 = second;
  return column;
}

// The errors of a call, built out of line: the parser's frames stay small.
[[noreturn, gnu::noinline]] void raise_unknown_function(std::string_view source,
                                                        std::string_view name) {
  std::string upper;
  append_upper(upper, name);
  raise_unsupported(source, "The function " + upper);
}

[[noreturn, gnu::noinline]] void raise_argument_count(std::string_view source,
                                                      const Function& function) {
  raise_translation_error(source, "The " + std::string(function.tsql) + " function requires " +
                                      std::to_string(function.min_args) +
                                      (function.max_args != function.min_args ? " or more" : "") +
                                      " argument(s).");
}

[[noreturn, gnu::noinline]] void raise_window_of(std::string_view source,
                                                 const Function& function) {
  raise_unsupported(source, "OVER with " + std::string(function.tsql));
}

int Translator::call(std::uint32_t name_token) {
  const Function* function = find_function(tokens_[name_token].text);
  if (function == nullptr) raise_unknown_function(source_, tokens_[name_token].text);
  expect_op("(");
  Node node{Kind::kCall, function->result};
  node.text = function->sqlite;
  const std::size_t mark = stack_.size();
  if (function->tsql == "COUNT" && accept_op("*")) {
    node.flag = true;
  } else if (!peek().is(")")) {
    if (peek().is_keyword("DISTINCT")) {
      raise_unsupported(source_, "An aggregate over DISTINCT values");
    }
    do {
      stack_.push_back(expression());
    } while (accept_op(","));
  }
  expect_op(")");
  const std::size_t given = stack_.size() - mark;
  if (!node.flag && (given < function->min_args || given > function->max_args)) {
    raise_argument_count(source_, *function);
  }
  if (node.type == Type::kUnknown) {
    // ISNULL, COALESCE, MIN, MAX, SUM: text when an argument is text.
    for (std::size_t i = mark; i < stack_.size(); ++i) {
      const Type t = nodes_[static_cast<std::size_t>(stack_[i])].type;
      if (t == Type::kText || (t == Type::kNumber && node.type == Type::kUnknown)) node.type = t;
    }
  }
  node.list = finish_list(mark, node.count);
  if (peek().is_keyword("OVER")) {
    if (function->tsql != "ROW_NUMBER") raise_window_of(source_, *function);
    node.c = window();
  } else if (function->tsql == "ROW_NUMBER") {
    syntax_error();
  }
  return add(node);
}

int Translator::window() {
  next();
  expect_op("(");
  std::uint32_t partition_list = 0;
  std::uint32_t partition_count = 0;
  if (accept_keyword("PARTITION")) {
    expect_keyword("BY");
    const std::size_t mark = stack_.size();
    do {
      stack_.push_back(expression());
    } while (accept_op(","));
    partition_list = finish_list(mark, partition_count);
  }
  expect_keyword("ORDER");
  expect_keyword("BY");
  const std::size_t mark = stack_.size();
  do {
    const int term = expression();
    const int item = add(Kind::kOrderItem, Type::kUnknown, {}, term);
    if (accept_keyword("DESC")) {
      nodes_[static_cast<std::size_t>(item)].text = "DESC";
    } else if (accept_keyword("ASC")) {
      nodes_[static_cast<std::size_t>(item)].text = "ASC";
    }
    stack_.push_back(item);
  } while (accept_op(","));
  std::uint32_t order_count = 0;
  const std::uint32_t order_list = finish_list(mark, order_count);
  if (peek().is_keyword("ROWS") || peek().is_keyword("RANGE")) {
    raise_unsupported(source_, "A window frame");
  }
  expect_op(")");
  const int partition = add(Kind::kList);
  nodes_[static_cast<std::size_t>(partition)].list = partition_list;
  nodes_[static_cast<std::size_t>(partition)].count = partition_count;
  const int order = add(Kind::kList);
  nodes_[static_cast<std::size_t>(order)].list = order_list;
  nodes_[static_cast<std::size_t>(order)].count = order_count;
  const int node = add(Kind::kList, Type::kUnknown, {}, partition);
  nodes_[static_cast<std::size_t>(node)].b = order;
  return node;
}

int Translator::case_expression() {
  next();
  Node node(Kind::kCase);
  if (!peek().is_keyword("WHEN")) node.a = expression();
  const std::size_t mark = stack_.size();
  bool any_text = false;
  bool all_numbers = true;
  auto note = [&](int result) {
    const Type t = nodes_[static_cast<std::size_t>(result)].type;
    any_text = any_text || t == Type::kText;
    all_numbers = all_numbers && (t == Type::kNumber ||
                                  nodes_[static_cast<std::size_t>(result)].kind == Kind::kNull);
  };
  if (!peek().is_keyword("WHEN")) syntax_error();
  while (accept_keyword("WHEN")) {
    stack_.push_back(expression());
    expect_keyword("THEN");
    const int result = expression();
    note(result);
    stack_.push_back(result);
  }
  if (accept_keyword("ELSE")) {
    node.c = expression();
    note(node.c);
  }
  expect_keyword("END");
  node.list = finish_list(mark, node.count);
  node.type = any_text ? Type::kText : all_numbers ? Type::kNumber : Type::kUnknown;
  return add(node);
}

int Translator::convert(bool is_cast) {
  next();
  expect_op("(");
  Node node(Kind::kConvert);
  auto parse_type = [&] {
    const Token& name = peek();
    const TargetType* target =
        name.kind == TokenKind::kIdentifier ? find_target(name.text) : nullptr;
    if (target == nullptr) {
      std::string type;
      append_upper(type, name.text);
      raise_unsupported(source_,
                        "Conversion to " + (type.empty() ? std::string("this type") : type));
    }
    node.tok = static_cast<std::uint32_t>(pos_);
    next();
    if (accept_op("(")) {
      int args = 0;
      do {
        const Token& arg = peek();
        const bool max = arg.is_keyword("MAX") && target->text && args == 0;
        if (!(max ||
              (arg.kind == TokenKind::kNumber && arg.text.find('.') == std::string_view::npos))) {
          syntax_error();
        }
        next();
        ++args;
      } while (accept_op(","));
      if (args > target->args) syntax_error();
      expect_op(")");
    }
    node.tok2 = static_cast<std::uint32_t>(pos_);
    node.type = target->text ? Type::kText : Type::kNumber;
  };
  if (is_cast) {
    node.a = expression();
    expect_keyword("AS");
    parse_type();
  } else {
    parse_type();
    expect_op(",");
    node.a = expression();
    if (accept_op(",")) {
      if (peek().kind != TokenKind::kNumber) {
        raise_unsupported(source_, "A CONVERT style that is not a number");
      }
      node.b = add(Node(Kind::kNumber, Type::kNumber, next().text));
    }
  }
  expect_op(")");
  return add(node);
}

// Emission -------------------------------------------------------------------------------

void Translator::emit_name(std::uint32_t token) {
  const Token& t = tokens_[token];
  bool quote = t.kind == TokenKind::kBracketed ||
               sqlite3_keyword_check(t.text.data(), static_cast<int>(t.text.size())) != 0 ||
               t.text.find_first_of("@#$") != std::string_view::npos;
  if (!quote) {
    out_ += t.text;
    return;
  }
  out_ += '"';
  for (std::size_t i = 0; i < t.text.size(); ++i) {
    const char c = t.text[i];
    if (c == ']' && t.kind == TokenKind::kBracketed) ++i;  // "]]" stands for one ']'
    if (c == '"') out_ += '"';
    out_ += c;
  }
  out_ += '"';
}

void Translator::emit_operand(int node, bool collate) {
  if (collate) {
    out_ += '(';
    emit(node);
    out_ += ')';
    out_ += kCollate;
  } else {
    emit(node);
  }
}

void Translator::emit_list(std::uint32_t first, std::uint32_t count, bool collate_text) {
  for (std::uint32_t i = 0; i < count; ++i) {
    if (i > 0) out_ += ", ";
    const int item = lists_[first + i];
    const Node& node = nodes_[static_cast<std::size_t>(item)];
    if (node.kind == Kind::kOrderItem) {
      emit(node.a);
      if (collate_text && nodes_[static_cast<std::size_t>(node.a)].type == Type::kText) {
        out_ += kCollate;
      }
      if (!node.text.empty()) {
        out_ += ' ';
        out_ += node.text;
      }
      continue;
    }
    emit(item);
    if (collate_text && node.type == Type::kText) out_ += kCollate;
  }
}

void Translator::emit_type(const Node& node) {
  out_ += '\'';
  for (std::uint32_t i = node.tok; i < node.tok2; ++i) append_upper(out_, tokens_[i].text);
  out_ += '\'';
}

// The static type of a conversion's operand, which tells tsql_convert how SQL Server would
// format it (a money value, a NUMERIC(p,s) with its scale); NULL when unknown.
void Translator::emit_source_type(int index) {
  const Node* node = &nodes_[static_cast<std::size_t>(index)];
  if (node->kind == Kind::kNegate &&
      nodes_[static_cast<std::size_t>(node->a)].kind == Kind::kNumber) {
    node = &nodes_[static_cast<std::size_t>(node->a)];
  }
  switch (node->kind) {
    case Kind::kConvert:
      emit_type(*node);
      return;
    case Kind::kString:
      out_ += "'VARCHAR'";
      return;
    case Kind::kNumber: {
      // SQL Server types 12 as INT and 12.50 as NUMERIC(4,2).
      const std::string_view digits = node->text;
      const std::size_t point = std::min(digits.find('.'), digits.size());
      std::string_view whole = digits.substr(0, point);
      whole.remove_prefix(std::min(whole.find_first_not_of('0'), whole.size()));
      if (point == digits.size()) {
        if (whole.size() < 10 || (whole.size() == 10 && whole <= "2147483647")) {
          out_ += "'INT'";
        } else {
          out_ += "'NUMERIC(" + std::to_string(std::min<std::size_t>(whole.size(), 38)) + ",0)'";
        }
        return;
      }
      const std::size_t scale = std::min<std::size_t>(digits.size() - point - 1, 38);
      const std::size_t precision =
          std::min<std::size_t>(std::max<std::size_t>(whole.size() + scale, 1), 38);
      out_ += "'NUMERIC(" + std::to_string(precision) + "," + std::to_string(scale) + ")'";
      return;
    }
    default:
      out_ += "NULL";
  }
}

void Translator::emit_arith(const Node& node) {
  const Node& left = nodes_[static_cast<std::size_t>(node.a)];
  const Node& right = nodes_[static_cast<std::size_t>(node.b)];
  const char op = node.text[0];
  // SQLite's own operators agree with SQL Server on numbers, except that '+' never
  // concatenates, texts convert leniently and division by zero gives NULL; the tsql_*
  // functions decide by the values' types at run time instead.
  bool native = op != '+' && left.type == Type::kNumber && right.type == Type::kNumber;
  if (native && (op == '/' || op == '%')) {
    native =
        right.kind == Kind::kNumber && right.text.find_first_not_of("0.") != std::string_view::npos;
  }
  if (native) {
    out_ += '(';
    emit(node.a);
    out_ += ' ';
    out_ += op;
    out_ += ' ';
    emit(node.b);
    out_ += ')';
    return;
  }
  switch (op) {
    case '+':
      out_ += "tsql_add(";
      break;
    case '-':
      out_ += "tsql_sub(";
      break;
    case '*':
      out_ += "tsql_mul(";
      break;
    case '/':
      out_ += "tsql_div(";
      break;
    default:
      out_ += "tsql_mod(";
      break;
  }
  emit(node.a);
  out_ += ", ";
  emit(node.b);
  out_ += ')';
}

void Translator::emit(int index) {
  // A long chain of operators builds a deep tree without deep parsing recursion.
  struct Depth {
    int& depth;
    Depth(int& d, std::string_view source) : depth(d) {
      if (++depth > kMaxChain) raise_too_deep(source);
    }
    ~Depth() { --depth; }
  } guard(emit_depth_, source_);
  const Node& node = nodes_[static_cast<std::size_t>(index)];
  switch (node.kind) {
    case Kind::kString:
    case Kind::kNumber:
      out_ += node.text;
      return;
    case Kind::kNull:
      out_ += "NULL";
      return;
    case Kind::kParameter:
      out_ += '?';
      return;
    case Kind::kBinary:
      out_ += "X'";
      if (node.text.size() % 2 != 0) out_ += '0';  // 0xABC is 0x0ABC
      out_ += node.text;
      out_ += '\'';
      return;
    case Kind::kColumn:
      emit_name(node.tok);
      if (node.tok2 != 0) {
        out_ += '.';
        emit_name(node.tok2);
      }
      return;
    case Kind::kNegate: {
      const Node& operand = nodes_[static_cast<std::size_t>(node.a)];
      if (operand.type == Type::kNumber) {
        out_ += operand.kind == Kind::kNegate ? "- " : "-";
        emit(node.a);
      } else {
        out_ += "tsql_sub(0, ";
        emit(node.a);
        out_ += ')';
      }
      return;
    }
    case Kind::kNot:
      out_ += "(NOT ";
      emit(node.a);
      out_ += ')';
      return;
    case Kind::kArith:
      emit_arith(node);
      return;
    case Kind::kLogic:
    case Kind::kCompare: {
      const bool collate = node.kind == Kind::kCompare &&
                           (nodes_[static_cast<std::size_t>(node.a)].type == Type::kText ||
                            nodes_[static_cast<std::size_t>(node.b)].type == Type::kText);
      out_ += '(';
      emit_operand(node.a, collate);
      out_ += ' ';
      out_ += node.text;
      out_ += ' ';
      emit(node.b);
      out_ += ')';
      return;
    }
    case Kind::kIn: {
      bool collate = nodes_[static_cast<std::size_t>(node.a)].type == Type::kText;
      for (std::uint32_t i = 0; i < node.count && !collate; ++i) {
        collate = nodes_[static_cast<std::size_t>(lists_[node.list + i])].type == Type::kText;
      }
      out_ += '(';
      emit_operand(node.a, collate);
      out_ += node.flag ? " NOT IN (" : " IN (";
      emit_list(node.list, node.count, false);
      out_ += "))";
      return;
    }
    case Kind::kIsNull:
      out_ += '(';
      emit(node.a);
      out_ += node.flag ? " IS NOT NULL)" : " IS NULL)";
      return;
    case Kind::kBetween: {
      const bool collate = nodes_[static_cast<std::size_t>(node.a)].type == Type::kText ||
                           nodes_[static_cast<std::size_t>(node.b)].type == Type::kText ||
                           nodes_[static_cast<std::size_t>(node.c)].type == Type::kText;
      out_ += '(';
      emit_operand(node.a, collate);
      out_ += node.flag ? " NOT BETWEEN " : " BETWEEN ";
      emit(node.b);
      out_ += " AND ";
      emit(node.c);
      out_ += ')';
      return;
    }
    case Kind::kCall:
      out_ += node.text;
      out_ += '(';
      if (node.flag) {
        out_ += '*';
      } else {
        emit_list(node.list, node.count, false);
      }
      out_ += ')';
      if (node.c >= 0) {
        const Node& over = nodes_[static_cast<std::size_t>(node.c)];
        const Node& partition = nodes_[static_cast<std::size_t>(over.a)];
        const Node& order = nodes_[static_cast<std::size_t>(over.b)];
        out_ += " OVER (";
        if (partition.count > 0) {
          out_ += "PARTITION BY ";
          emit_list(partition.list, partition.count, true);
          out_ += ' ';
        }
        out_ += "ORDER BY ";
        emit_list(order.list, order.count, true);
        out_ += ')';
      }
      return;
    case Kind::kCase: {
      out_ += "CASE ";
      if (node.a >= 0) {
        bool collate = nodes_[static_cast<std::size_t>(node.a)].type == Type::kText;
        for (std::uint32_t i = 0; i < node.count && !collate; i += 2) {
          collate = nodes_[static_cast<std::size_t>(lists_[node.list + i])].type == Type::kText;
        }
        emit_operand(node.a, collate);
        out_ += ' ';
      }
      for (std::uint32_t i = 0; i + 1 < node.count; i += 2) {
        out_ += "WHEN ";
        emit(lists_[node.list + i]);
        out_ += " THEN ";
        emit(lists_[node.list + i + 1]);
        out_ += ' ';
      }
      if (node.c >= 0) {
        out_ += "ELSE ";
        emit(node.c);
        out_ += ' ';
      }
      out_ += "END";
      return;
    }
    case Kind::kConvert:
      out_ += "tsql_convert(";
      emit_type(node);
      out_ += ", ";
      emit(node.a);
      out_ += ", ";
      if (node.b >= 0) {
        emit(node.b);
      } else {
        out_ += "NULL";
      }
      out_ += ", ";
      emit_source_type(node.a);
      out_ += ')';
      return;
    case Kind::kList:
    case Kind::kOrderItem:
      break;
  }
  raise_syntax_near(source_, "");
}

}  // namespace

std::string translate(std::string_view tsql, std::string_view source) {
  return Translator(tsql, source).run();
}

const std::string& TranslationCache::translate(std::string_view tsql) {
  if (const auto it = cache_.find(tsql); it != cache_.end()) return it->second;
  std::string translated = dialect::translate(tsql, source_);
  if (cache_.size() >= kMaxEntries) cache_.clear();
  return cache_.emplace(std::string(tsql), std::move(translated)).first->second;
}

}  // namespace data::dialect
