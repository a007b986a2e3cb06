// The options that every command of the program shares: where the database is and how the
// host presents itself to the component.
#pragma once

#include <cstdint>
#include <string>

#include "data/connection.h"

namespace console {

struct HostOptions {
  std::string database;        // --db FILE: an SQLite database file
  std::string connect;         // --connect STRING: any connection string (ODBC included)
  std::int32_t company = 1;    // --company N
  std::string language;        // --language CODE ("ITA " when neither given nor in HOST_DITTE)
  bool no_host = false;        // --no-host: ActiveInterface is not set
  bool decimal_comma = false;  // --decimal-comma: the Italian number format
  std::string temp;            // --temp DIR: the folder for attachment files

  // The connection string the options select: --connect as given, else the SQLite file.
  std::string connection_string() const;
};

// Opens the connection the options select, with the client cursor location. A --db file that
// is not there raises 53 (File not found) naming it: a mistyped path must not become a new,
// empty database (creating one is what `schema` and `demo` are for). Otherwise raises what
// Connection::Open raises.
data::ConnectionPtr open_host_connection(const HostOptions& options);

}  // namespace console
