#include "console/demo.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "automation/error.h"
#include "console/schema.h"
#include "data/sqlite/sqlite_provider.h"
#include "scaled_data.h"
#include "support/error_of.h"
#include "support/test_database.h"

namespace {

using test_support::error_of;
using test_support::rows_text;

// --- The demo --------------------------------------------------------------------------------

class DemoTest : public ::testing::Test {
 protected:
  data::ConnectionPtr connection = test_support::make_test_connection(true);
  std::string rows(const std::string& sql) { return rows_text(*connection, sql); }
};

std::string data_file(const char* name) {
  return std::string(DORSEL_SOURCE_DIR) + "/tests/console/data/" + name;
}

TEST_F(DemoTest, HoldsEveryCaseTheConsoleCopesWith) {
  EXPECT_EQ(test_support::expect_query_file(*connection, data_file("demo_facts.txt")), 24);
}

TEST_F(DemoTest, LoadingTwiceFailsAndKeepsTheFirstLoad) {
  const auto fingerprint = [this] {
    std::string counts;
    for (const char* table :
         {"MG66_ANAGRART", "LI10_LISTARTIC", "CL07_FILEALLEGATI", "HOST_TRADUZIONI"}) {
      counts += rows(std::string("SELECT COUNT(*) FROM ") + table);
    }
    return counts;
  };
  const std::string before = fingerprint();
  EXPECT_THROW(console::create_demo(*connection), automation::Error);
  EXPECT_EQ(before, fingerprint());
}

TEST(DemoDatabaseTest, WritesANewFileOnlyOnce) {
  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() /
      ("dorsel_demo_" +
       std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
  std::filesystem::create_directories(folder);
  const std::string path = (folder / "demo.sqlite").string();

  console::create_demo_database(path);
  const auto size = std::filesystem::file_size(path);
  data::ConnectionPtr connection = data::Connection::create();
  connection->Open("Provider=SQLite;Data Source=" + path);
  EXPECT_EQ("23\n", rows_text(*connection, "SELECT COUNT(*) FROM MG66_ANAGRART"));
  // Made for several readers beside one writer.
  sqlite3_stmt* stmt = nullptr;
  ASSERT_EQ(SQLITE_OK, sqlite3_prepare_v2(data::sqlite::native_handle(connection->provider()),
                                          "PRAGMA journal_mode", -1, &stmt, nullptr));
  ASSERT_EQ(SQLITE_ROW, sqlite3_step(stmt));
  EXPECT_STREQ("wal", reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)));
  sqlite3_finalize(stmt);
  connection->Close();

  const automation::Error e = error_of([&] { console::create_demo_database(path); });
  EXPECT_EQ(58, e.number());
  EXPECT_EQ("console", e.source());
  EXPECT_EQ("File already exists: " + path, e.description());
  EXPECT_EQ(size, std::filesystem::file_size(path));

  // A folder that does not exist: an error and no file left behind.
  const std::string missing = (folder / "no_such_folder" / "demo.sqlite").string();
  EXPECT_THROW(console::create_demo_database(missing), automation::Error);
  EXPECT_FALSE(std::filesystem::exists(missing));
  std::filesystem::remove_all(folder);
}

// --- The scaled data set ---------------------------------------------------------------------

data::ConnectionPtr empty_database() { return test_support::make_test_connection(false); }

TEST(ScaledDataTest, WritesTheAskedRowsPerItem) {
  data::ConnectionPtr connection = empty_database();
  bench::DemoScale scale;
  scale.items = 3;
  scale.pricelist_rows = 250;
  scale.purchase_rows = 40;
  scale.last_price_rows = 30;
  scale.stock_rows = 30;
  scale.attachments = 15;
  bench::generate_scaled(*connection, scale);

  EXPECT_EQ(test_support::expect_query_file(*connection, data_file("scaled_counts.txt")), 17);
}

TEST(ScaledDataTest, CountsOutOfRangeAreRefusedBeforeWriting) {
  const struct {
    int bench::DemoScale::*field;
    int value;
    const char* description;
  } cases[] = {
      {&bench::DemoScale::items, -1, "DemoScale.items must be between 0 and 999999, not -1"},
      {&bench::DemoScale::stock_rows, 1001,
       "DemoScale.stock_rows must be between 0 and 1000, not 1001"},
      {&bench::DemoScale::last_price_rows, 32768,
       "DemoScale.last_price_rows must be between 0 and 32767, not 32768"},
      {&bench::DemoScale::attachments, -5,
       "DemoScale.attachments must be between 0 and 10000, not -5"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.description);
    data::ConnectionPtr connection = empty_database();
    bench::DemoScale scale;
    scale.*c.field = c.value;
    const automation::Error e = error_of([&] { bench::generate_scaled(*connection, scale); });
    EXPECT_EQ(5, e.number());
    EXPECT_EQ("console", e.source());
    EXPECT_EQ(c.description, e.description());
    EXPECT_EQ("0\n", rows_text(*connection, "SELECT COUNT(*) FROM HOST_DITTE"));
  }
}

}  // namespace
