#include "console/panel_viewer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "console/demo.h"
#include "console/registration.h"
#include "data/connection.h"
#include "support/case_file.h"
#include "support/test_database.h"

namespace {

using nlohmann::json;

// The demo database in a file of its own, and a connection of the test's to read it.
class PanelViewerTest : public ::testing::Test {
 protected:
  PanelViewerTest() {
    console::register_everything();
    path_ =
        std::filesystem::temp_directory_path() /
        ("panel_viewer_" +
         std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()) + ".sqlite");
    console::create_demo_database(path_.string());
    options.database = path_.string();
    database = data::Connection::create();
    database->SetCursorLocation(data::kUseClient);
    database->Open(options.connection_string());
  }
  ~PanelViewerTest() override {
    database->Close();
    std::filesystem::remove(path_);
  }

  int show(const std::string& item, const std::vector<std::string>& panels,
           console::ViewFormat format) {
    out.str("");
    err.str("");
    return console::run_show(options, item, panels, format, out, err);
  }

  // One column of a query, sorted.
  std::vector<std::string> expected(const std::string& sql) {
    std::istringstream lines(test_support::rows_text(*database, sql));
    std::vector<std::string> values;
    for (std::string line; std::getline(lines, line);) values.push_back(line);
    std::sort(values.begin(), values.end());
    return values;
  }

  console::HostOptions options;
  data::ConnectionPtr database;
  std::ostringstream out, err;

 private:
  std::filesystem::path path_;
};

// A value as the session's JSON writes it, read back as the text the database test renders.
std::string text_of(const json& value) {
  if (value.is_null()) return "NULL";
  if (value.is_string()) return value.get<std::string>();
  if (value.is_object()) return text_of(value.begin().value());
  return value.dump();
}

std::vector<std::string> column_of(const json& table, const std::string& column) {
  const auto& columns = table.at("columns");
  auto at = std::find(columns.begin(), columns.end(), column);
  EXPECT_NE(at, columns.end()) << column;
  if (at == columns.end()) return {};
  std::size_t index = static_cast<std::size_t>(at - columns.begin());
  std::vector<std::string> values;
  for (const json& row : table.at("rows")) values.push_back(text_of(row.at(index)));
  std::sort(values.begin(), values.end());
  return values;
}

constexpr const char* kItem = "VITE-M6X20";

TEST_F(PanelViewerTest, JsonShowsEveryPanelAsTheDatabaseHoldsIt) {
  ASSERT_EQ(show(kItem, {}, console::ViewFormat::kJson), 0) << err.str();
  json doc = json::parse(out.str());
  std::vector<std::string> names;
  for (const auto& [name, panel] : doc.items()) names.push_back(name);
  std::vector<std::string> all = console::viewer_panels();
  std::sort(all.begin(), all.end());
  EXPECT_EQ(names, all);

  test_support::for_each_case("console/data/viewer_panels.tsv", 3, 13, [&](const auto& c) {
    const std::size_t blank = c[0].find(' ');
    const json& panel = doc.at(c[0].substr(0, blank));
    EXPECT_EQ(
        column_of(blank == std::string::npos ? panel : panel.at(c[0].substr(blank + 1)), c[1]),
        expected(c[2]));
  });

  // The price panels come from their views: every priced row has its net price.
  for (const char* panel : {"FRMUC_LISTINI_VEN", "FRMUC_LISTINI_ACQ", "FRMUC_LISTINI_ULP"}) {
    SCOPED_TRACE(panel);
    const json& table = doc.at(panel);
    EXPECT_EQ(table.at("columns").back(),
              std::string(panel) == "FRMUC_LISTINI_ULP" ? "LI11_IDMEDIA_CG99" : "MG44_DESCLIST");
    std::vector<std::string> prices = column_of(table, "PREZZO_NETTO");
    EXPECT_FALSE(prices.empty());
    for (const std::string& price : prices) EXPECT_NE(price, "NULL");
  }
}

TEST_F(PanelViewerTest, TableShowsHeadingsColumnsAndEmptyPanels) {
  ASSERT_EQ(show(kItem, {"FRMUC_CONFEZIONI", "FRMUC_INTRA", "FRMUC_LISTINI_VEN"},
                 console::ViewFormat::kTable),
            0)
      << err.str();
  const std::string text = out.str();
  const std::vector<std::string> packs = expected(
      "SELECT MG68_CODCONF FROM MG68_CONFART WHERE MG68_DITTA_CG18 = 1 AND MG68_CODART_MG66 = "
      "'VITE-M6X20' AND MG68_OPZIONE_MG5E = ' '");
  EXPECT_NE(text.find("Item VITE-M6X20: Vite TE M6x20 zincata 8.8, company 1\n"),
            std::string::npos);
  EXPECT_NE(text.find("== Packs [FRMUC_CONFEZIONI]: " + std::to_string(packs.size()) + " rows =="),
            std::string::npos)
      << text;
  for (const std::string& pack : packs) EXPECT_NE(text.find("  " + pack + "  "), std::string::npos);
  // Two tables under one heading; the item and company columns are left out.
  EXPECT_NE(text.find("== Intrastat [FRMUC_INTRA] ==\n-- Intrastat data: "), std::string::npos);
  EXPECT_NE(text.find("-- Nomenclature history: "), std::string::npos);
  EXPECT_EQ(text.find("CODART_MG66"), std::string::npos);
  EXPECT_NE(text.find("PREZZO_NETTO"), std::string::npos);
  for (std::size_t at = 0; (at = text.find('\n', at)) != std::string::npos; ++at) {
    std::size_t next = text.find('\n', at + 1);
    if (next == std::string::npos) break;
    EXPECT_LE(next - at - 1, 120u) << text.substr(at + 1, next - at - 1);
  }

  // An item with nothing: every table says so.
  ASSERT_EQ(show("NO-SUCH-ITEM", {}, console::ViewFormat::kTable), 0) << err.str();
  const std::string empty = out.str();
  EXPECT_NE(empty.find("Item NO-SUCH-ITEM (not in the item master)"), std::string::npos);
  std::size_t no_rows = 0;
  for (std::size_t at = 0; (at = empty.find("(no rows)\n", at)) != std::string::npos; ++at) {
    ++no_rows;
  }
  EXPECT_EQ(no_rows, console::viewer_panels().size() + 1);  // the Intrastat panel has two
}

TEST_F(PanelViewerTest, UnknownPanelIsRefusedBeforeAnythingRuns) {
  EXPECT_EQ(show(kItem, {"FRMUC_SCORTE", "frmuc_note"}, console::ViewFormat::kTable), 2);
  EXPECT_EQ(out.str(), "");
  EXPECT_NE(err.str().find("unknown panel \"frmuc_note\""), std::string::npos) << err.str();
}

TEST_F(PanelViewerTest, FailuresAreReportedWithTheComponentsSource) {
  // Without the host object the component cannot read the company.
  options.no_host = true;
  EXPECT_EQ(show(kItem, {}, console::ViewFormat::kTable), 1);
  EXPECT_NE(err.str().find("source: Initialize:"), std::string::npos) << err.str();

  // A panel that fails is reported in its place; the others are still shown.
  // (The variant groups are joined only when the panel is shown, not by its loader.)
  options.no_host = false;
  database->provider().execute_native_script("DROP TABLE MG5G_RAGGVAR");
  EXPECT_EQ(show(kItem, {"GEST_VARIANTI", "FRMUC_SCORTE"}, console::ViewFormat::kJson), 1);
  json doc = json::parse(out.str());
  EXPECT_TRUE(doc.at("GEST_VARIANTI")
                  .at("error")
                  .at("source")
                  .get<std::string>()
                  .starts_with("ShowChild:\r\n"));
  EXPECT_FALSE(doc.at("GEST_VARIANTI").contains("rows"));
  EXPECT_EQ(column_of(doc.at("FRMUC_SCORTE"), "MG67_DEPOS_MG58"),
            expected("SELECT MG67_DEPOS_MG58 FROM MG67_SCORTE WHERE MG67_DITTA_CG18 = 1 AND "
                     "MG67_CODART_MG66 = 'VITE-M6X20' AND MG67_OPZIONE_MG5E = ' '"));
}

}  // namespace
