// The ODBC path without a server: Debian's SQLite ODBC driver, loaded by file name so that no
// system ODBC configuration is read or written, on a database file of the test's own, with
// the dialect's extension built beside the tests.
#pragma once

#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <string>

#include "automation/convert.h"
#include "automation/date.h"
#include "automation/decimal.h"
#include "automation/variant.h"

namespace odbc_test {

inline constexpr const char* kSqliteDriver = "/usr/lib/x86_64-linux-gnu/odbc/libsqlite3odbc.so";

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

// A value and its subtype as one text ("12.5:Decimal", "'a''b':String", "Null:Null",
// "#2024-01-02 03:04:05#:Date", "0x01FF:Byte()"), so a row compares as one string.
inline std::string typed_text(const automation::Variant& value) {
  using automation::VarType;
  std::string out;
  switch (value.type()) {
    case VarType::kEmpty:
      out = "Empty";
      break;
    case VarType::kNull:
      out = "Null";
      break;
    case VarType::kBoolean:
      out = value.as_bool() ? "True" : "False";
      break;
    case VarType::kDouble:
      out = automation::double_to_text(value.as_double(), '.');
      break;
    case VarType::kDate: {
      automation::CivilDateTime c = automation::civil_from_date(value.as_date());
      char buffer[40];
      std::snprintf(buffer, sizeof buffer, "#%04d-%02d-%02d %02d:%02d:%02d#", c.year, c.month,
                    c.day, c.hour, c.minute, c.second);
      out = buffer;
      break;
    }
    case VarType::kString:
      out = "'";
      for (char c : value.as_string()) out += c == '\'' ? std::string("''") : std::string(1, c);
      out += "'";
      break;
    case VarType::kByteArray:
      out = "0x";
      for (std::uint8_t b : value.as_bytes()) {
        out += "0123456789ABCDEF"[b >> 4];
        out += "0123456789ABCDEF"[b & 0xF];
      }
      break;
    case VarType::kDecimal:
      out = value.as_decimal().to_invariant_string();
      break;
    case VarType::kCurrency:
      out = automation::Decimal::from_parts(value.as_currency().scaled, 4).to_invariant_string();
      break;
    default:
      out = automation::to_text(value);
      break;
  }
  return out + ":" + std::string(automation::type_name(value.type()));
}

}  // namespace odbc_test
