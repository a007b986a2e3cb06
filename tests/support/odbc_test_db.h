// The ODBC path without a server: Debian's SQLite ODBC driver, loaded by the file name that the
// build found (so that no system ODBC configuration is read or written), on a database file of
// the test's own, with the dialect's extension built beside the program.
#pragma once

#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <string>

#include "automation/variant.h"
#include "support/recordset_text.h"

namespace odbc_test {

inline constexpr const char* kSqliteDriver = DORSEL_SQLITE_ODBC_DRIVER;

// A database file that is removed with the object.
class TempDatabase {
 public:
  TempDatabase() {
    static std::atomic<int> counter{0};
    path_ = std::filesystem::temp_directory_path() / ("dorsel-odbc-" + std::to_string(::getpid()) +
                                                      "-" + std::to_string(++counter) + ".sqlite");
    std::filesystem::remove(path_);
  }
  ~TempDatabase() {
    std::error_code ignored;
    std::filesystem::remove(path_, ignored);
  }
  TempDatabase(const TempDatabase&) = delete;
  TempDatabase& operator=(const TempDatabase&) = delete;

  std::string path() const { return path_.string(); }

  // The connection string for the SQLite ODBC driver, with or without LoadExt.
  std::string connection_string(bool load_extension = true) const {
    std::string text =
        std::string("Driver=") + kSqliteDriver + ";Database=" + path() + ";NoWCHAR=1;";
    if (load_extension) text += std::string("LoadExt=") + DORSEL_TSQLEXT_PATH + ";";
    return text;
  }

 private:
  std::filesystem::path path_;
};

// A value and its subtype as one text ("12.5:Decimal", "'a''b':String", "Null:Null"), so a
// row compares as one string.
inline std::string typed_text(const automation::Variant& value) {
  return test_support::value_text(value, test_support::ShowTypes::kYes);
}

}  // namespace odbc_test
