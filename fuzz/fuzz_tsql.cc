// The dialect translator: any text is translated, and what it accepts is run on an in-memory
// database with the ERP schema and the dialect registered, inside a transaction that is rolled
// back, so every input meets the same database. Refusals must be the translator's or the
// engine's errors.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "automation/error.h"
#include "console/registration.h"
#include "console/schema.h"
#include "data/connection.h"
#include "data/sqlite/tsql/translator.h"

namespace {

data::ConnectionPtr database() {
  console::register_everything();
  data::ConnectionPtr connection = data::Connection::create();
  connection->SetCursorLocation(data::kUseClient);
  connection->Open("Provider=SQLite;Data Source=:memory:");
  console::create_schema(*connection);
  return connection;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const data::ConnectionPtr kConnection = database();
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  if (!automation::ignore_errors([&] { data::sqlite::tsql::translate(text); })) return 0;
  kConnection->BeginTrans();
  automation::ignore_errors([&] { kConnection->run(text); });
  kConnection->RollbackTrans();
  return 0;
}
