#include "console/web/web_api.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include <nlohmann/json.hpp>

#include "console/demo.h"
#include "console/registration.h"
#include "data/connection.h"
#include "data/recordset.h"
#include "support/case_file.h"

namespace console::web {
namespace {

using nlohmann::json;

constexpr const char* kHostile = "<img src=x onerror=alert(1)> 'quoted' & \"more\"";

// One demo database file for the whole suite, with one item whose description is hostile.
class WebApiTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    register_everything();
    char pattern[] = "/tmp/dorsel-web-test-XXXXXX";
    suite_folder = new std::filesystem::path(mkdtemp(pattern));
    create_demo_database((*suite_folder / "demo.db").string());
    data::ConnectionPtr connection = data::Connection::create();
    connection->Open("Provider=SQLite;Data Source=" + (*suite_folder / "demo.db").string());
    connection->Execute(
        "UPDATE MG66_ANAGRART SET MG66_DESCART = '<img src=x onerror=alert(1)> ''quoted'' & "
        "\"more\"' WHERE MG66_CODART = 'DADO-M6'");
    connection->Close();
    std::filesystem::create_directory(*suite_folder / "files");
  }
  static void TearDownTestSuite() {
    std::filesystem::remove_all(*suite_folder);
    delete suite_folder;
  }

  WebApiTest() : api_(options(), *suite_folder / "files") {}

  static HostOptions options() {
    HostOptions o;
    o.database = (*suite_folder / "demo.db").string();
    return o;
  }

  json call(std::string_view endpoint, const Params& params, int status = 200) {
    Reply reply = api_.handle(endpoint, params);
    EXPECT_EQ(reply.status, status) << reply.body;
    EXPECT_EQ(reply.content_type, "application/json");
    return json::parse(reply.body);
  }

  static std::filesystem::path* suite_folder;
  WebApi api_;
};

std::filesystem::path* WebApiTest::suite_folder = nullptr;

const json& panel_named(const json& item, std::string_view name) {
  for (const json& panel : item["panels"]) {
    if (panel["name"] == name) return panel;
  }
  static const json kNone;
  return kNone;
}

// Where a column is in a panel's rows.
std::size_t column_at(const json& panel, std::string_view name) {
  const json& columns = panel["columns"];
  return static_cast<std::size_t>(std::find(columns.begin(), columns.end(), name) -
                                  columns.begin());
}

TEST_F(WebApiTest, FindsItemsByCodeDescriptionStartAndAlias) {
  json by_code = call("find", {{"by", "code"}, {"text", "VITE-M6X20"}});
  ASSERT_EQ(by_code["items"].size(), 1U);
  EXPECT_EQ(by_code["items"][0]["description"], "Vite TE M6x20 zincata 8.8");

  // The start of the description, in any case; a quote in it is only a character.
  json by_start = call("find", {{"by", "description"}, {"text", "vite te"}});
  EXPECT_EQ(by_start["items"].size(), 2U);
  EXPECT_EQ(call("find", {{"by", "description"}, {"text", "x' OR 1=1 --"}})["items"].size(), 0U);
  json hostile = call("find", {{"by", "description"}, {"text", "<img src=x"}});
  ASSERT_EQ(hostile["items"].size(), 1U);
  EXPECT_EQ(hostile["items"][0]["description"], kHostile);

  // The alias is the item's other code, looked up by the component.
  data::ConnectionPtr connection = data::Connection::create();
  connection->Open("Provider=SQLite;Data Source=" + options().database);
  data::RecordsetPtr alias = connection->Execute(
      "SELECT MG66_CODINTERNO FROM MG66_ANAGRART WHERE MG66_CODART = 'VITE-M8X30'");
  const std::string ean = alias->Fields().Item(0).Value().as_string();
  json by_alias = call("find", {{"by", "alias"}, {"text", ean}});
  ASSERT_EQ(by_alias["items"].size(), 1U);
  EXPECT_EQ(by_alias["items"][0]["code"], "VITE-M8X30");
}

TEST_F(WebApiTest, ItemHasEveryPanelInTheViewersOrderWithItsWordsInTheChosenLanguage) {
  json italian = call("item", {{"code", "CAVO-FG16-3G1.5"}});
  EXPECT_EQ(italian["item"]["code"], "CAVO-FG16-3G1.5");
  std::vector<std::string> names;
  for (const json& panel : italian["panels"]) names.push_back(panel["name"]);
  // The viewer's panels in its order (the case file's lines), then the pictures.
  std::vector<std::string> expected;
  test_support::for_each_case("console/data/viewer_panels.tsv", 3, 13, [&](const auto& c) {
    if (c[0].find(' ') == std::string::npos) expected.push_back(c[0]);
  });
  expected.push_back("IMMAGINI");
  EXPECT_EQ(names, expected);
  const json& sales = panel_named(italian, "FRMUC_LISTINI_VEN");
  EXPECT_EQ(sales["title"], "Sales price list");
  EXPECT_EQ(sales["code"], "LI10");
  EXPECT_FALSE(sales["rows"].empty());
  EXPECT_TRUE(panel_named(italian, "FRMUC_INTRA").contains("history"));

  // The same item in English: the decoded words change, the numbers do not.
  json english = call("item", {{"code", "CAVO-FG16-3G1.5"}, {"language", "ENG "}});
  const json& english_sales = panel_named(english, "FRMUC_LISTINI_VEN");
  ASSERT_EQ(english_sales["rows"].size(), sales["rows"].size());
  EXPECT_NE(english_sales["rows"][0][column_at(sales, "LI10_INDRICALPR")],
            sales["rows"][0][column_at(sales, "LI10_INDRICALPR")]);
  EXPECT_EQ(english_sales["rows"][0][column_at(sales, "PREZZO_NETTO")],
            sales["rows"][0][column_at(sales, "PREZZO_NETTO")]);

  // A hostile description comes back as the same characters.
  EXPECT_EQ(call("item", {{"code", "DADO-M6"}})["item"]["description"], kHostile);
}

TEST_F(WebApiTest, ExplanationEndsOnTheNetPriceOfTheRow) {
  for (const char* view : {"sales", "purchase", "last"}) {
    SCOPED_TRACE(view);
    json item = call("item", {{"code", "CAVO-FG16-3G1.5"}});
    const char* panel = std::string(view) == "sales"      ? "FRMUC_LISTINI_VEN"
                        : std::string(view) == "purchase" ? "FRMUC_LISTINI_ACQ"
                                                          : "FRMUC_LISTINI_ULP";
    const json& shown = panel_named(item, panel);
    const json& rows = shown["rows"];
    ASSERT_FALSE(rows.empty());
    const std::size_t net_price = column_at(shown, "PREZZO_NETTO");
    for (std::size_t row = 1; row <= rows.size(); ++row) {
      json answer = call(
          "explain", {{"code", "CAVO-FG16-3G1.5"}, {"view", view}, {"row", std::to_string(row)}});
      EXPECT_EQ(answer["view"], panel);
      // The row explained is the row the panel shows.
      EXPECT_EQ(answer["net_price"], rows[row - 1][net_price]);
      EXPECT_EQ(std::stod(answer["steps"].back()["price"].get<std::string>()),
                answer["net_price"].get<double>());
      EXPECT_EQ(answer["steps"][0]["step"], "base_price");
    }
  }
  json explained = call("explain", {{"code", "CAVO-FG16-3G1.5"}, {"view", "sales"}, {"row", "1"}});
  EXPECT_EQ(explained["steps"][1]["step"], "base_variation");
  EXPECT_TRUE(explained["steps"][1].contains("multiplier"));
  // A row the view does not have is the data layer's error, answered, not thrown.
  json missing =
      call("explain", {{"code", "CAVO-FG16-3G1.5"}, {"view", "sales"}, {"row", "999"}}, 500);
  EXPECT_EQ(missing["error"]["number"], 3021);
}

// The history by year holds the panel's own rows (its real codes) and the notional ones.
TEST_F(WebApiTest, IntrastatHistoryIsOneRowPerYearAndType) {
  json item = call("item", {{"code", "CAVO-FG16-3G1.5"}});
  const json& history = panel_named(item, "FRMUC_INTRA")["history"];
  json years = call("intrastat", {{"code", "CAVO-FG16-3G1.5"}});
  std::string from_panel;
  for (const json& row : history["rows"]) {
    from_panel += std::to_string(row[2].get<int>()) + " " + row[4].get<std::string>() + "\n";
  }
  std::string real;
  int last_year = 0;
  for (const json& row : years["rows"]) {
    EXPECT_GE(row["year"].get<int>(), last_year);
    last_year = row["year"];
    if (row["type"] == 0) {
      real += std::to_string(row["year"].get<int>()) + " " + row["code"].get<std::string>() + "\n";
    }
  }
  EXPECT_FALSE(real.empty());
  EXPECT_EQ(real, from_panel);
}

TEST_F(WebApiTest, RefusesBadRequestsInWords) {
  test_support::for_each_case("console/web/data/refusals.tsv", 4, 11, [&](const auto& c) {
    Params params;
    for (std::size_t start = 0; start < c[1].size();) {
      const std::size_t end = std::min(c[1].find('&', start), c[1].size());
      const std::size_t equals = c[1].find('=', start);
      params[c[1].substr(start, equals - start)] = c[1].substr(equals + 1, end - equals - 1);
      start = end + 1;
    }
    json answer = call(c[0], params, std::stoi(c[2]));
    EXPECT_EQ(answer["error"]["number"], 5);
    EXPECT_EQ(answer["error"]["source"], "dorsel serve");
    EXPECT_EQ(answer["error"]["description"], c[3]);
  });
}

TEST_F(WebApiTest, AttachmentsComeThroughTheComponentIntoTheServersFolder) {
  json item = call("item", {{"code", "CAVO-FG16-3G1.5"}});
  const json& list = panel_named(item, "IMMAGINI");
  bool picture = false;
  bool document = false;
  for (const json& row : list["rows"]) {
    const std::string id = std::to_string(row[column_at(list, "CL06_ID")].get<int>());
    Reply file = api_.handle("attachment", {{"code", "CAVO-FG16-3G1.5"}, {"id", id}});
    // Only what the catalogue mirror holds has a file.
    if (row[column_at(list, "CL06_ISDOWNLOADED")] == "DOWN") {
      EXPECT_EQ(file.status, 404);
      EXPECT_EQ(json::parse(file.body)["error"]["description"],
                "The attachment " + id + " has no file");
      continue;
    }
    ASSERT_EQ(file.status, 200) << file.body;
    EXPECT_FALSE(file.body.empty());
    EXPECT_TRUE(std::filesystem::exists(*suite_folder / "files" / file.file_name));
    if (file.content_type == "image/png") {
      picture = true;
      EXPECT_EQ(file.body.substr(1, 3), "PNG");
      EXPECT_FALSE(file.download);
    } else {
      document = true;
      EXPECT_TRUE(file.download);
    }
  }
  EXPECT_TRUE(picture);
  EXPECT_TRUE(document);
}

// Requests side by side, each on an instance of its own: every answer is whole and right.
TEST_F(WebApiTest, RequestsRunSideBySide) {
  const std::string expected =
      call("panel", {{"code", "VITE-M6X20"}, {"name", "FRMUC_LISTINI_VEN"}}).dump();
  std::atomic<int> wrong{0};
  std::vector<std::thread> clients;
  clients.reserve(6);
  for (int t = 0; t < 6; ++t) {
    clients.emplace_back([&] {
      for (int i = 0; i < 10; ++i) {
        Reply reply = api_.handle("panel", {{"code", "VITE-M6X20"}, {"name", "FRMUC_LISTINI_VEN"}});
        if (reply.status != 200 || json::parse(reply.body).dump() != expected) ++wrong;
      }
    });
  }
  for (std::thread& client : clients) client.join();
  EXPECT_EQ(wrong, 0);
}

}  // namespace
}  // namespace console::web
