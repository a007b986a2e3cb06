// Table-driven tests with their cases in a data file: one case a line, fields separated by
// '|' with the blanks around each field dropped (a field in double quotes keeps its blanks,
// without the quotes); blank lines and lines starting with '#' are comments. Fails the test
// when the file cannot be read or holds no case.
#pragma once

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <string_view>
#include <vector>

namespace test_support {

using Case = std::vector<std::string>;

namespace detail {

inline std::string_view trimmed(std::string_view field) {
  const std::size_t first = field.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  field = field.substr(first, field.find_last_not_of(' ') - first + 1);
  if (field.size() >= 2 && field.front() == '"' && field.back() == '"') {
    field = field.substr(1, field.size() - 2);
  }
  return field;
}

}  // namespace detail

inline std::vector<Case> read_cases(const std::string& path) {
  std::ifstream in(path);
  EXPECT_TRUE(in) << path;
  std::vector<Case> cases;
  for (std::string line; std::getline(in, line);) {
    if (line.empty() || line.starts_with('#')) continue;
    Case fields;
    for (std::size_t start = 0;;) {
      const std::size_t bar = line.find('|', start);
      fields.emplace_back(detail::trimmed(std::string_view(line).substr(start, bar - start)));
      if (bar == std::string::npos) break;
      start = bar + 1;
    }
    cases.push_back(std::move(fields));
  }
  EXPECT_FALSE(cases.empty()) << path;
  return cases;
}

// A file below tests/, named from there ("prezzi/data/net_prices.txt").
inline std::string test_data(const std::string& relative) {
  return std::string(DORSEL_SOURCE_DIR) + "/tests/" + relative;
}

}  // namespace test_support
