#include "console/options.h"

#include <filesystem>
#include <system_error>

#include "automation/error.h"

namespace console {

std::string HostOptions::connection_string() const {
  if (!connect.empty()) return connect;
  return "Provider=SQLite;Data Source=" + database;
}

data::ConnectionPtr open_host_connection(const HostOptions& options) {
  if (options.connect.empty()) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(options.database, error)) {
      throw automation::Error(automation::errc::kFileNotFound, "dorsel",
                              "File not found: " + options.database);
    }
  }
  data::ConnectionPtr connection = data::Connection::create();
  connection->SetCursorLocation(data::kUseClient);
  connection->Open(options.connection_string());
  return connection;
}

}  // namespace console
