// Decimal against an independent oracle: Python's decimal module answers tens of thousands of
// random cases (tests/automation/decimal_oracle.py, fixed seed), and every answer must match
// to the last digit and the scale.
#include <gtest/gtest.h>

#include <compare>
#include <cstdio>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "automation/decimal.h"
#include "automation/error.h"
#include "automation/number_format.h"

namespace automation {
namespace {

constexpr int kSeed = 17;
constexpr int kCasesPerOperation = 10000;

std::vector<std::string> oracle_lines() {
  const std::string command = std::string(DORSEL_PYTHON) + " " + DORSEL_DECIMAL_ORACLE + " " +
                              std::to_string(kSeed) + " " + std::to_string(kCasesPerOperation);
  std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
  std::vector<std::string> lines;
  if (!pipe) return lines;
  std::string line;
  for (int c; (c = std::fgetc(pipe.get())) != EOF;) {
    if (c != '\n') {
      line.push_back(static_cast<char>(c));
    } else {
      lines.push_back(std::move(line));
      line.clear();
    }
  }
  return lines;
}

Int128 int128_of(const std::string& text) {
  Int128 value = 0;
  for (char c : text) {
    if (c != '-') value = value * 10 + (c - '0');
  }
  return text[0] == '-' ? -value : value;
}

std::string text_of(Int128 value) {
  if (value == 0) return "0";
  std::string digits;
  for (Int128 v = value < 0 ? -value : value; v != 0; v /= 10) {
    digits.insert(digits.begin(), static_cast<char>('0' + static_cast<int>(v % 10)));
  }
  return value < 0 ? "-" + digits : digits;
}

std::string parts(const Decimal& d) {
  return text_of(d.mantissa()) + " " + std::to_string(d.scale());
}

// What this Decimal answers for the case in `words` (the operation and its operands).
std::string evaluate(const std::vector<std::string>& words) {
  const std::string& op = words[0];
  auto operand = [&](std::size_t i) {
    return Decimal::from_parts(int128_of(words[i]), std::stoi(words[i + 1]));
  };
  try {
    if (op == "add") return parts(operand(1) + operand(3));
    if (op == "sub") return parts(operand(1) - operand(3));
    if (op == "mul") return parts(operand(1) * operand(3));
    if (op == "div") return parts(operand(1) / operand(3));
    if (op == "cmp") {
      const auto order = operand(1) <=> operand(3);
      return std::is_lt(order) ? "-1" : std::is_gt(order) ? "1" : "0";
    }
    if (op == "round") {
      const auto mode =
          words[4] == "even" ? Decimal::Rounding::kHalfEven : Decimal::Rounding::kHalfAwayFromZero;
      return parts(operand(1).round(std::stoi(words[3]), mode));
    }
    const Decimal parsed = Decimal::parse(words[1]);
    const std::string text = parsed.to_string();
    // The text must read back as the same value.
    if (Decimal::parse(text) != parsed) {
      return parts(parsed) + " " + text + " (reads back otherwise)";
    }
    return parts(parsed) + " " + text;
  } catch (const Error& e) {
    if (e.number() == errc::kOverflow) return "overflow";
    if (e.number() == errc::kDivisionByZero) return "divzero";
    return "error " + std::to_string(e.number());
  }
}

TEST(DecimalOracleTest, EveryOperationAgreesWithPythonsDecimalModule) {
  ScopedNumberFormat plain(NumberFormat::plain());
  const std::vector<std::string> lines = oracle_lines();
  ASSERT_EQ(lines.size(), 7u * kCasesPerOperation) << "the oracle did not run: " << DORSEL_PYTHON;
  std::map<std::string, int> checked;
  int failures = 0;
  for (const std::string& line : lines) {
    const std::size_t equals = line.find(" = ");
    std::istringstream case_words(line.substr(0, equals));
    std::vector<std::string> words;
    for (std::string word; case_words >> word;) words.push_back(word);
    const std::string expected = line.substr(equals + 3);
    const std::string got = evaluate(words);
    ++checked[words[0]];
    if (got != expected) {
      ADD_FAILURE() << line << "\n  Decimal gives: " << got;
      if (++failures == 20) break;
    }
  }
  for (const char* op : {"add", "sub", "mul", "div", "cmp", "round", "parse"}) {
    EXPECT_EQ(checked[op], kCasesPerOperation) << op;
  }
}

}  // namespace
}  // namespace automation
