#include "console/options.h"

namespace console {

std::string HostOptions::connection_string() const {
  if (!connect.empty()) return connect;
  return "Provider=SQLite;Data Source=" + database;
}

}  // namespace console
