#include "console/demo.h"

#include <filesystem>
#include <string>

#include "automation/error.h"
#include "console/demo_rows.h"
#include "console/schema.h"
#include "data/connection.h"
#include "data/sqlite/sqlite_provider.h"

namespace console {

namespace {

using demo::kSource;

// A half-built file would be taken for a finished database next time.
void discard_database_file(data::Connection& connection, const std::filesystem::path& file) {
  automation::ignore_errors([&] {
    if (connection.State() == data::kStateOpen) connection.Close();
  });
  std::error_code ignored;
  std::filesystem::remove(file, ignored);
}

}  // namespace

data::ConnectionPtr create_database_file(std::string_view path) {
  const std::filesystem::path file{std::string(path)};
  std::error_code ignored;
  if (std::filesystem::exists(file, ignored)) {
    throw automation::Error(automation::errc::kFileAlreadyExists, std::string(kSource),
                            "File already exists: " + std::string(path));
  }
  data::sqlite::register_provider();
  auto connection = data::Connection::create();
  const std::string source = std::string(path).find_first_of(";{}") == std::string::npos
                                 ? std::string(path)
                                 : "{" + std::string(path) + "}";
  try {
    // Written by few and read by several processes at once: readers then never wait for a
    // writer, and a commit needs no sync of its own.
    connection->Open("Provider=SQLite;Data Source=" + source + ";Journal Mode=WAL");
    create_schema(*connection);
  } catch (const automation::Error&) {
    discard_database_file(*connection, file);
    throw;
  }
  return connection;
}

void create_demo_database(std::string_view path) {
  data::ConnectionPtr connection = create_database_file(path);
  try {
    create_demo(*connection);
    connection->Close();
  } catch (const automation::Error&) {
    discard_database_file(*connection, std::filesystem::path{std::string(path)});
    throw;
  }
}

}  // namespace console
