// The dialect's functions and collation as a SQLite loadable extension (libtsqlext.so), for
// the sqlite3 shell (".load libtsqlext") and for connections this program does not open
// itself, such as the SQLite ODBC driver's (LoadExt=.../libtsqlext.so).
//
// The module links the system's shared libsqlite3 and calls its API directly instead of
// through the routine table that SQLite passes to an extension: it is only ever loaded into a
// process that uses that same shared library, where both reach the same code. A process with
// SQLite linked in statically would need the table (sqlite3ext.h); none of ours does.
#include <sqlite3.h>

#include <string>

#include "data/dialect/functions.h"

namespace {

int initialise(sqlite3* db, char** error_message) {
  std::string error;
  const int rc = data::dialect::register_dialect(db, &error);
  if (rc != SQLITE_OK && error_message != nullptr) {
    *error_message = sqlite3_mprintf("%s", error.c_str());
  }
  return rc;
}

}  // namespace

// The entry point SQLite derives from the file name libtsqlext.so.
extern "C" __attribute__((visibility("default"))) int sqlite3_tsqlext_init(
    sqlite3* db, char** error_message, const sqlite3_api_routines*) {
  return initialise(db, error_message);
}

// The generic entry point, for loaders that do not derive the name.
extern "C" __attribute__((visibility("default"))) int sqlite3_extension_init(
    sqlite3* db, char** error_message, const sqlite3_api_routines*) {
  return initialise(db, error_message);
}
