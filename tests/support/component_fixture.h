// A component bound as a host binds it: an in-memory database with the ERP schema (and the
// demo rows when asked), the reference host object for a company, the classes registered, and
// the debug output captured.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "automation/debug_output.h"
#include "console/host_objects.h"
#include "console/prompts.h"
#include "data/connection.h"
#include "dorsel/frame/clsmg_dorsel.h"

namespace test_support {

class ComponentTest : public ::testing::Test {
 protected:
  // with_demo: load the demo rows; company: the host's current company; connection_string: the
  // provider and database (see make_test_connection).
  explicit ComponentTest(
      bool with_demo = false, std::int32_t company = 1,
      std::string_view connection_string = "Provider=SQLite;Data Source=:memory:");
  ~ComponentTest() override;

  // Runs a statement on the test database (set-up rows; checks).
  void exec(const std::string& sql);
  // The rows of a query rendered one per line, columns separated by '|'.
  std::string query_text(const std::string& sql);

  data::ConnectionPtr connection;
  std::shared_ptr<console::HostApplication> host;
  std::shared_ptr<dorsel::CLSMG_DORSEL> component;
  std::shared_ptr<console::ScriptedPrompt> prompt;
  std::vector<std::string> trace;

 private:
  automation::DebugSink previous_sink_;
  std::shared_ptr<automation::PromptService> previous_prompt_;
};

}  // namespace test_support
