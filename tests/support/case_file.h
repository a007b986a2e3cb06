// Case files: tables of inputs and expected results kept beside the tests that read them, one
// case a line, fields separated by tabs.
#pragma once

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace test_support {

// A file under tests/, whole.
inline std::string case_file(const std::string& path) {
  std::ifstream in(std::string(DORSEL_SOURCE_DIR) + "/tests/" + path, std::ios::binary);
  EXPECT_TRUE(in.is_open()) << path;
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// A line of a case file: its number and its tab-separated fields, \n \r \t \\ read.
struct CaseLine {
  int number;
  std::vector<std::string> fields;
};

// The lines of a case file under tests/, without blank lines and '#' comments.
inline std::vector<CaseLine> case_lines(const std::string& path) {
  std::istringstream text(case_file(path));
  std::vector<CaseLine> out;
  int number = 0;
  for (std::string line; std::getline(text, line);) {
    ++number;
    if (line.empty() || line[0] == '#') continue;
    CaseLine parsed{number, {""}};
    for (std::size_t i = 0; i < line.size(); ++i) {
      if (line[i] == '\t') {
        parsed.fields.emplace_back();
      } else if (line[i] == '\\' && i + 1 < line.size()) {
        const char next = line[++i];
        parsed.fields.back() += next == 'n' ? '\n' : next == 'r' ? '\r' : next == 't' ? '\t' : next;
      } else {
        parsed.fields.back() += line[i];
      }
    }
    out.push_back(std::move(parsed));
  }
  return out;
}

// Calls `check` with the fields of each case of a file under tests/, traced with the case's
// line; a case without `fields` fields fails, and so does a file of fewer than `at_least`
// cases (one cut short).
template <typename Check>
void for_each_case(const std::string& path, std::size_t fields, int at_least, Check check) {
  int cases = 0;
  for (const CaseLine& line : case_lines(path)) {
    SCOPED_TRACE(path + " line " + std::to_string(line.number) + ": " + line.fields[0]);
    EXPECT_EQ(line.fields.size(), fields);
    if (line.fields.size() != fields) continue;
    check(line.fields);
    ++cases;
  }
  EXPECT_GE(cases, at_least) << path;
}

}  // namespace test_support
