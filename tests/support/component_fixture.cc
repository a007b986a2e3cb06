#include "support/component_fixture.h"

#include "automation/convert.h"
#include "console/registration.h"
#include "data/recordset.h"
#include "support/test_database.h"

namespace test_support {

ComponentTest::ComponentTest(bool with_demo, std::int32_t company,
                             std::string_view connection_string) {
  console::register_everything();
  previous_sink_ =
      automation::set_debug_sink([this](std::string_view t) { trace.emplace_back(t); });
  prompt = std::make_shared<console::ScriptedPrompt>();
  previous_prompt_ = automation::set_prompt_service(prompt);
  connection = make_test_connection(with_demo, connection_string);
  host = console::HostApplication::create(connection, company, "ITA ");
  component = std::make_shared<dorsel::CLSMG_DORSEL>();
  component->SetConnessione(connection);
  component->SetActiveInterface(automation::Variant(automation::ObjectPtr(host)));
}

ComponentTest::~ComponentTest() {
  component.reset();
  automation::set_debug_sink(previous_sink_);
  automation::set_prompt_service(previous_prompt_);
}

void ComponentTest::exec(const std::string& sql) { connection->Execute(sql); }

std::string ComponentTest::query_text(const std::string& sql) {
  return test_support::rows_text(*connection, sql);
}

}  // namespace test_support
