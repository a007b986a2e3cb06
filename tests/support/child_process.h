// Runs a program as a child process with a given standard input and collects its output.
#pragma once

#include <string>
#include <vector>

namespace test_support {

struct ChildResult {
  int exit_code = -1;
  std::string out;
  std::string err;
};

// Writes `input` to the child's standard input and closes it; waits for the child to end.
ChildResult run_child(const std::string& program, const std::vector<std::string>& args,
                      const std::string& input);

}  // namespace test_support
