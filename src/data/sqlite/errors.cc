#include "data/sqlite/errors.h"

#include <sqlite3.h>

#include "automation/error.h"
#include "data/dialect/functions.h"

namespace data::sqlite {

void raise_engine_error(std::int32_t number, std::string description) {
  throw automation::Error(number, std::string(kProviderName), std::move(description));
}

void raise_engine_error(sqlite3* db, int rc, bool preparing) {
  std::string message = db ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
  if (int sqlserver = dialect::sqlserver_error_number(message); sqlserver != 0) {
    raise_engine_error(sqlserver, std::string(dialect::sqlserver_error_text(message)));
  }
  std::int32_t number = errc::kUnspecifiedError;
  if (preparing) {
    number = errc::kErrorsInCommand;
  } else if ((rc & 0xFF) == SQLITE_CONSTRAINT) {
    number = errc::kIntegrityViolation;
  }
  raise_engine_error(number, std::move(message));
}

}  // namespace data::sqlite
