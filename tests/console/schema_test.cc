#include "console/schema.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cstdlib>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "automation/date.h"
#include "automation/error.h"
#include "data/sqlite/sqlite_provider.h"
#include "support/test_database.h"

namespace {

std::string read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// Every table, with the columns that the business object and the host name in their
// statements. A row holding only these must be accepted, so any other column needs a default
// or Null.
const std::map<std::string, std::string> kNamedColumns = {
    {"CG18_ANADITTABASE", "CG18_DITTA CG18_INDLOCALIZ"},
    {"CG28_TABCODIVA", "CG28_CODICE CG28_CODICEAGR CG28_FLGAGRI"},
    {"LP09_TESTATAPRIORITA", "LP09_ID LP09_CODICE LP09_DITTA_CG18"},
    {"RE01_CONFIGRETAIL", "RE01_DITTA_CG18 RE01_FLGATTIV"},
    {"RE37_CLASSIPROD", "RE37_ID RE37_CODCLASSEPROD RE37_DITTAMASTER_CG18"},
    {"MG66_ANAGRART", "MG66_DITTA_CG18 MG66_CODART MG66_CODINTERNO MG66_FLGBASEVAR"},
    {"MG87_ARTDESC", "MG87_DITTA_CG18 MG87_CODART_MG66 MG87_OPZIONE_MG5E MG87_LINGUA_MG52"},
    {"MG67_SCORTE",
     "MG67_DITTA_CG18 MG67_CODART_MG66 MG67_OPZIONE_MG5E MG67_FLGDEPPREF MG67_INDDEPPRELVERS"},
    {"MG68_CONFART", "MG68_DITTA_CG18 MG68_CODART_MG66 MG68_OPZIONE_MG5E MG68_FLGCONFPREF"},
    {"MG7A_UBICAZARTFIX", "MG7A_DITTA_CG18 MG7A_CODART_MG66 MG7A_OPZIONE_MG5E"},
    {"MG57_APPLICAZIONI", "MG57_DITTA_CG18 MG57_CODAPPLIC MG57_IDPROV"},
    {"MG0S_DESLINGUA", "MG0S_PROVID_FW4A MG0S_IDPROV MG0S_CODLINGUA_MG52 MG0S_DESCRIZIONE"},
    {"MG72_APPLICART", "MG72_DITTA_CG18 MG72_CODART_MG66 MG72_CODAPPLIC_MG57"},
    {"MG5G_RAGGVAR", "MG5G_DITTA_CG18 MG5G_CODICEVAR_MG5F MG5G_CODRAGGVAR"},
    {"MG6B_GESVARART", "MG6B_DITTA_CG18 MG6B_CODART_MG66 MG6B_CODICEVAR_MG5F MG6B_CODRAGGVAR_MG5G"},
    {"MG6D_FLGTABARTVAR", "MG6D_DITTA_CG18 MG6D_CODART_MG66 MG6D_PROG"},
    {"MG98_MAGINTRA", "MG98_DITTA_CG18 MG98_CODART_MG66"},
    {"MG1Q_ARTNOMENCLATURE", "MG1Q_DITTA_CG18 MG1Q_CODART_MG66 MG1Q_ANNO MG1Q_CODICE MG1Q_INDTIPO"},
    {"MG44_PARMAGLIST",
     "MG44_DITTA_CG18 MG44_FLGVENACQ MG44_NUMLIST MG44_VALUTA_CG08 MG44_DESCLIST "
     "MG44_INDPROPDATAINI MG44_INDPROPDATAFINE MG44_PROPDATAINI MG44_PROPDATAFINE"},
    {"LI10_LISTARTIC",
     "LI10_DITTA_CG18 LI10_FLGUSODECOR LI10_FLGVENDACQ LI10_INDTIPOLIS LI10_CODART_MG66 "
     "LI10_OPZIONE_MG5E LI10_DEPOS_MG58 LI10_NUMLIST LI10_DATAFINEVAL LI10_DATAINIZIOVAL "
     "LI10_FLGLIST LI10_PREZZO LI10_SC1PER LI10_SC2PER LI10_SC3PER LI10_SC4PER LI10_SC5PER "
     "LI10_SC6PER LI10_SCIMP LI10_MAG1PER LI10_MAG2PER LI10_MAGIMP LI10_PERRICDELTA "
     "LI10_INDRICALPR LI10_INDARROT LI10_SCAGL_MG02 LI10_FLGPROVV LI10_PROVPER LI10_PROVIMP "
     "LI10_PROVVSC_PA10 LI10_DATACREAZ LI10_DATAULTAGG LI10_FLGVARIATO LI10_INDTIPOVAR "
     "LI10_DATASTLIS LI10_NUMPAGST LI10_BVMBASE LI10_BVMVAR LI10_BVMMOLT LI10_FLGPERSON "
     "LI10_LIBEROVAL LI10_INDUM LI10_NOTE LI10_IDMEDIA_CG99"},
    {"LI11_ULTPRACQVEN",
     "LI11_DITTA_CG18 LI11_FLGVENACQ LI11_INDTIPOLIS LI11_CODART_MG66 LI11_OPZIONE_MG5E "
     "LI11_DEPOS_MG58 LI11_PROG LI11_CODICE_CG08 LI11_DATACAMBIO LI11_CAMBIO LI11_PREZZO "
     "LI11_SC1PER LI11_SC2PER LI11_SC3PER LI11_SC4PER LI11_SC5PER LI11_SC6PER LI11_SCIMP "
     "LI11_MAG1PER LI11_MAG2PER LI11_MAGIMP LI11_DATAREG LI11_DATADOC LI11_NUMDOC LI11_SEZDOC "
     "LI11_FLGDOCBIS LI11_NUMDOCORIG LI11_TIPOCF LI11_CODCLFO LI11_BVMBASE LI11_BVMVAR "
     "LI11_BVMMOLT LI11_IDMEDIA_CG99"},
    {"CL01_TIPI", "CL01_DITTA_CG18 CL01_CODICE"},
    {"CL02_ANAGCATALOGO", "CL02_ID CL02_DITTA_CG18 CL02_CODICE CL02_CODICE_CL01"},
    {"CL03_LEGAMI", "CL03_DITTA_CG18 CL03_CODART_MG66 CL03_ID_CL02"},
    {"CL06_LISTAALLEGATI",
     "CL06_ID CL06_ID_CL02 CL06_DITTA_CG18 CL06_TIPO CL06_NOMEFILE CL06_SIGLATIPO CL06_TIPOFILE "
     "CL06_DIMENSIONE CL06_LINK CL06_ISDOWNLOADED CL06_DATADOWNLOAD"},
    {"CL07_FILEALLEGATI", "CL07_ID_CL06 CL07_FILE"},
    {"IL01_MARCHEDITTA", "IL01_DITTA_CG18 IL01_CODICE_CL01 IL01_CODICE_IL02"},
    {"IL00_CONFIG_GDPR",
     "IL00_DITTA_CG18 IL00_MODULO IL00_STATO IL00_USERNAME IL00_PASSWORD IL00_DOMINIO_WS "
     "IL00_PATHCSV"},
    {"HOST_DITTE", "HD_DITTA HD_RAGSOC HD_LINGUA"},
    {"HOST_TRADUZIONI", "TR_ID TR_LINGUA TR_TESTO"},
    {"HOST_VALUTE", "HV_DITTA HV_VALUTA HV_DECIMALI"},
};

std::vector<std::string> split(const std::string& text) {
  std::istringstream in(text);
  std::vector<std::string> words;
  for (std::string word; in >> word;) words.push_back(word);
  return words;
}

// The engine's own view of the created tables, read with the C API.
struct Column {
  std::string declared_type;
  std::string collation;
};

std::vector<std::string> column_names(sqlite3* db, const std::string& table) {
  std::vector<std::string> names;
  sqlite3_stmt* statement = nullptr;
  sqlite3_prepare_v2(db, ("PRAGMA table_info(" + table + ")").c_str(), -1, &statement, nullptr);
  while (sqlite3_step(statement) == SQLITE_ROW) {
    names.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(statement, 1)));
  }
  sqlite3_finalize(statement);
  return names;
}

Column column_of(sqlite3* db, const std::string& table, const std::string& column) {
  const char* type = nullptr;
  const char* collation = nullptr;
  int not_null = 0, primary_key = 0, autoincrement = 0;
  EXPECT_EQ(SQLITE_OK,
            sqlite3_table_column_metadata(db, "main", table.c_str(), column.c_str(), &type,
                                          &collation, &not_null, &primary_key, &autoincrement))
      << table << "." << column;
  return {type ? type : "", collation ? collation : ""};
}

std::set<std::string> table_names(sqlite3* db) {
  std::set<std::string> names;
  sqlite3_stmt* statement = nullptr;
  sqlite3_prepare_v2(db, "SELECT name FROM sqlite_master WHERE type = 'table'", -1, &statement,
                     nullptr);
  while (sqlite3_step(statement) == SQLITE_ROW) {
    names.emplace(reinterpret_cast<const char*>(sqlite3_column_text(statement, 0)));
  }
  sqlite3_finalize(statement);
  return names;
}

bool is_text_type(const std::string& type) { return type.find("CHAR") != std::string::npos; }

class SchemaTest : public ::testing::Test {
 protected:
  data::ConnectionPtr connection = test_support::make_test_connection(false);
  sqlite3* db = data::sqlite::native_handle(connection->provider());
};

TEST(SchemaFilesTest, ShippedRenderingsEqualTheRenderersOutput) {
  // DORSEL_UPDATE_SCHEMA=1 re-renders the shipped files after the source changed.
  const bool update = std::getenv("DORSEL_UPDATE_SCHEMA") != nullptr;
  const std::pair<std::string, console::Dialect> files[] = {
      {"/sqlite/erp_schema.sql", console::Dialect::kSqlite},
      {"/sqlserver/erp_schema.sql", console::Dialect::kSqlServer},
  };
  for (const auto& [file, dialect] : files) {
    SCOPED_TRACE(file);
    const std::string path = std::string(DORSEL_SCHEMA_DIR) + file;
    if (update) std::ofstream(path, std::ios::binary) << console::schema_script(dialect);
    EXPECT_EQ(console::schema_script(dialect), read_file(path))
        << "re-render with DORSEL_UPDATE_SCHEMA=1 console_tests";
  }
}

TEST(SchemaFilesTest, EmbeddedSourceIsTheSchemaFile) {
  // A stale build would create last week's tables.
  EXPECT_EQ(read_file(std::string(DORSEL_SCHEMA_DIR) + "/erp_schema.sql"),
            console::schema_source());
}

TEST(SchemaFilesTest, MarkersAreRenderedInCodeOnly) {
  const std::string sqlite = console::schema_script(console::Dialect::kSqlite);
  const std::string server = console::schema_script(console::Dialect::kSqlServer);
  for (const std::string* script : {&sqlite, &server}) {
    // The source's own description of its markers survives in its comments.
    EXPECT_NE(std::string::npos, script->find("followed by the marker COLLATE_CI:"));
    EXPECT_NE(std::string::npos, script->find("--   * (MAX) for unbounded lengths"));
    std::istringstream lines(*script);
    for (std::string line; std::getline(lines, line);) {
      const std::string code = line.substr(0, line.find("--"));
      EXPECT_EQ(std::string::npos, code.find("COLLATE_CI")) << line;
      if (script == &sqlite) {
        EXPECT_EQ(std::string::npos, code.find("(MAX)")) << line;
      }
    }
  }
  EXPECT_NE(std::string::npos, sqlite.find("CL07_FILE          VARBINARY(-1) NULL"));
  EXPECT_NE(std::string::npos, server.find("CL07_FILE          VARBINARY(MAX) NULL"));
}

TEST(SchemaFilesTest, DialectFollowsTheProviderName) {
  const std::pair<const char*, console::Dialect> cases[] = {
      {"SQLite", console::Dialect::kSqlite},
      {"ODBC", console::Dialect::kSqlite},
      {"Microsoft SQL Server", console::Dialect::kSqlServer},
      {"ODBC (sqlserver)", console::Dialect::kSqlServer},
  };
  for (const auto& [name, dialect] : cases) {
    SCOPED_TRACE(name);
    EXPECT_EQ(dialect, console::dialect_for_provider(name));
  }
}

TEST_F(SchemaTest, CreatesEveryTableTheStatementsName) {
  std::set<std::string> expected;
  for (const auto& entry : kNamedColumns) expected.insert(entry.first);
  EXPECT_EQ(expected, table_names(db));
}

TEST_F(SchemaTest, EveryCharacterColumnCarriesTheCaseInsensitiveCollation) {
  // One marker in the source for every character column, and no other.
  int markers = 0;
  std::istringstream lines{std::string(console::schema_source())};
  for (std::string line; std::getline(lines, line);) {
    markers += line.substr(0, line.find("--")).find("COLLATE_CI") != std::string::npos;
  }
  int text_columns = 0;
  for (const std::string& table : table_names(db)) {
    for (const std::string& name : column_names(db, table)) {
      const Column column = column_of(db, table, name);
      if (!is_text_type(column.declared_type)) continue;
      ++text_columns;
      EXPECT_EQ("TSQL_CI", column.collation) << table << "." << name;
    }
  }
  EXPECT_EQ(markers, text_columns);
}

TEST_F(SchemaTest, SqlServerRenderingDeclaresTheSameColumns) {
  // Column name -> declared type and whether it carries a collation, from the SQL Server text.
  std::map<std::string, std::pair<std::string, bool>> server;
  std::istringstream lines(console::schema_script(console::Dialect::kSqlServer));
  for (std::string line; std::getline(lines, line);) {
    const std::string code = line.substr(0, line.find("--"));
    std::istringstream words(code);
    std::string name, type;
    if (code.empty() || code[0] != ' ' || !(words >> name >> type) || name == "CONSTRAINT" ||
        name == "PRIMARY" ||
        name.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_") != std::string::npos) {
      continue;
    }
    if (type.ends_with(',')) type.pop_back();
    server[name] = {type, code.find("COLLATE SQL_Latin1_General_CP1_CI_AS") != std::string::npos};
  }
  std::size_t columns = 0;
  for (const std::string& table : table_names(db)) {
    for (const std::string& name : column_names(db, table)) {
      SCOPED_TRACE(table + "." + name);
      ++columns;
      std::string type = column_of(db, table, name).declared_type;
      if (const std::size_t at = type.find("(-1)"); at != std::string::npos) {
        type.replace(at, 4, "(MAX)");
      }
      ASSERT_EQ(1u, server.count(name));
      EXPECT_EQ(type, server[name].first);
      EXPECT_EQ(is_text_type(type), server[name].second);
    }
  }
  EXPECT_EQ(columns, server.size());
}

TEST_F(SchemaTest, RowWithOnlyTheNamedColumnsIsAccepted) {
  for (const auto& [table, names] : kNamedColumns) {
    SCOPED_TRACE(table);
    std::string columns, marks;
    std::vector<automation::Variant> values;
    for (const std::string& name : split(names)) {
      columns += (columns.empty() ? "" : ", ") + name;
      marks += marks.empty() ? "?" : ", ?";
      const std::string type = column_of(db, table, name).declared_type;
      if (is_text_type(type)) {
        values.emplace_back("1");
      } else if (type == "DATETIME") {
        values.emplace_back(automation::date_from_civil({.year = 2024, .month = 5, .day = 31}));
      } else if (type.starts_with("VARBINARY")) {
        values.emplace_back(automation::Bytes{1, 2, 3});
      } else {
        values.emplace_back(1);
      }
    }
    EXPECT_NO_THROW((connection->run(
        "INSERT INTO " + table + " (" + columns + ") VALUES (" + marks + ")", values)));
    EXPECT_EQ("1\n", test_support::rows_text(*connection, "SELECT COUNT(*) FROM " + table));
  }
}

TEST_F(SchemaTest, PrimaryKeysFollowTheData) {
  const std::pair<const char*, const char*> keys[] = {
      {"LI10_LISTARTIC",
       "LI10_DITTA_CG18 LI10_FLGVENDACQ LI10_INDTIPOLIS LI10_CODART_MG66 LI10_OPZIONE_MG5E "
       "LI10_DEPOS_MG58 LI10_NUMLIST LI10_DATAINIZIOVAL"},
      {"MG1Q_ARTNOMENCLATURE", "MG1Q_DITTA_CG18 MG1Q_CODART_MG66 MG1Q_ANNO MG1Q_INDTIPO"},
      {"MG44_PARMAGLIST", "MG44_DITTA_CG18 MG44_FLGVENACQ MG44_NUMLIST"},
      {"CL06_LISTAALLEGATI", "CL06_ID"},
      {"CL07_FILEALLEGATI", "CL07_ID_CL06"},
      {"HOST_TRADUZIONI", "TR_ID TR_LINGUA"},
  };
  for (const auto& [table, key] : keys) {
    SCOPED_TRACE(table);
    EXPECT_EQ(split(key), connection->provider().primary_key(table));
  }
}

TEST_F(SchemaTest, KeysIgnoreCaseAndTrailingBlanks) {
  connection->run("INSERT INTO MG66_ANAGRART (MG66_DITTA_CG18, MG66_CODART) VALUES (1, 'VITE-A')");
  for (const char* same : {"vite-a", "VITE-A  ", "Vite-A "}) {
    SCOPED_TRACE(same);
    const std::vector<automation::Variant> values = {automation::Variant(same)};
    EXPECT_THROW(
        (connection->run("INSERT INTO MG66_ANAGRART (MG66_DITTA_CG18, MG66_CODART) VALUES (1, ?)",
                         values)),
        automation::Error);
  }
  // Accents are part of the key.
  connection->run("INSERT INTO MG66_ANAGRART (MG66_DITTA_CG18, MG66_CODART) VALUES (1, 'VITE-À')");
  EXPECT_EQ("2\n", test_support::rows_text(*connection, "SELECT COUNT(*) FROM MG66_ANAGRART"));
}

TEST_F(SchemaTest, CreatingTheSchemaTwiceReportsTheExistingTable) {
  try {
    console::create_schema(*connection);
    FAIL() << "no error";
  } catch (const automation::Error& e) {
    EXPECT_EQ("SQLite", e.source());
    EXPECT_NE(std::string::npos, e.description().find("CG18_ANADITTABASE already exists"))
        << e.description();
  }
}

}  // namespace
