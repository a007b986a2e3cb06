// A host's global object given as a table of C callbacks: the component reaches the company,
// the language, the translations and the currency decimals through it, on every use, and a
// callback's failure reaches the caller as the component's error with the callback's words.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "capi_helpers.h"

namespace {

using capi_test::ask;
using nlohmann::json;

// What a host keeps: its company, its language, its dictionary, its currencies.
struct TestHost {
  long company = 1;
  std::string language = "ITA ";
  std::map<long, std::string> texts;
  std::map<std::string, long> decimals;
  std::vector<std::string> currencies_asked;
  bool fail_company = false;
  bool fail_translations = false;
};

TestHost& host_of(void* user) { return *static_cast<TestHost*>(user); }

int company_code(void* user, dorsel_reply* reply) {
  TestHost& host = host_of(user);
  if (host.fail_company) {
    dorsel_reply_error(reply, 1001, "TestHost", "no company is open");
    return 1;
  }
  dorsel_reply_long(reply, host.company);
  return 0;
}

int company_language(void* user, dorsel_reply* reply) {
  const std::string& language = host_of(user).language;
  dorsel_reply_text(reply, language.data(), language.size());
  return 0;
}

int translate_text(void* user, long text_id, dorsel_reply* reply) {
  TestHost& host = host_of(user);
  if (host.fail_translations) return 1;  // a failure without words of its own
  auto it = host.texts.find(text_id);
  const std::string text =
      it == host.texts.end() ? "[" + std::to_string(text_id) + "]" : it->second;
  dorsel_reply_text(reply, text.data(), text.size());
  return 0;
}

int price_decimals(void* user, const char* currency, dorsel_reply* reply) {
  TestHost& host = host_of(user);
  host.currencies_asked.emplace_back(currency);
  auto it = host.decimals.find(currency);
  dorsel_reply_long(reply, it == host.decimals.end() ? 5 : it->second);
  return 0;
}

dorsel_host table_for(TestHost* host) {
  dorsel_host table{};
  table.struct_size = sizeof(dorsel_host);
  table.user = host;
  table.company_code = company_code;
  table.company_language = company_language;
  table.translate_text = translate_text;
  table.price_decimals = price_decimals;
  return table;
}

std::string stock_query(dorsel_instance* instance) {
  EXPECT_EQ(ask(instance, R"({"call": "Init_MG67_scorte", "args": ["A1"]})")["ok"], true);
  return ask(instance, R"({"get": "Gstr_SQL_MG67"})")["result"].get<std::string>();
}

TEST(CapiCallbackHostTest, TheCompanyIsAskedOnEveryUse) {
  capi_test::DatabaseFile db("company");
  TestHost host;
  host.company = 7;
  dorsel_host table = table_for(&host);
  dorsel_instance* instance = capi_test::open_on(db.path(), &table);
  ASSERT_NE(instance, nullptr);
  EXPECT_NE(stock_query(instance).find("MG67_DITTA_CG18 = 7 "), std::string::npos);
  host.company = 12;
  EXPECT_NE(stock_query(instance).find("MG67_DITTA_CG18 = 12 "), std::string::npos);
  // The reference host's settings do not apply to a host of the caller's.
  EXPECT_EQ(ask(instance, R"({"host": {"CodDitta": 2}})")["ok"], false);
  // The component sees the caller's object through its reference, with the usual type names.
  EXPECT_EQ(ask(instance, R"({"get": "ActiveInterface"})")["result"],
            json::parse(R"({"$object": "HostApplication"})"));
  dorsel_close(instance);
}

TEST(CapiCallbackHostTest, AFailingCallbackIsTheComponentsErrorWithItsWords) {
  capi_test::DatabaseFile db("failing");
  TestHost host;
  host.fail_company = true;
  dorsel_host table = table_for(&host);
  dorsel_instance* instance = capi_test::open_on(db.path(), &table);
  ASSERT_NE(instance, nullptr);
  json answer = ask(instance, R"({"call": "Init_MG67_scorte", "args": ["A1"]})");
  EXPECT_EQ(answer["ok"], false);
  EXPECT_EQ(answer["error"]["number"], 1001);
  EXPECT_EQ(answer["error"]["description"], "no company is open");
  // The component's trap puts its label in front of the callback's source.
  EXPECT_NE(answer["error"]["source"].get<std::string>().find("TestHost"), std::string::npos);
  host.fail_company = false;
  EXPECT_EQ(ask(instance, R"({"call": "Init_MG67_scorte", "args": ["A1"]})")["ok"], true);
  dorsel_close(instance);
}

TEST(CapiCallbackHostTest, MissingCallbacksAreMissingMembersAndOverflowIsCaught) {
  capi_test::DatabaseFile db("missing");
  TestHost host;
  dorsel_host table = table_for(&host);
  table.company_code = nullptr;
  dorsel_instance* instance = capi_test::open_on(db.path(), &table);
  ASSERT_NE(instance, nullptr);
  EXPECT_EQ(ask(instance, R"({"call": "Init_MG67_scorte", "args": ["A1"]})")["error"]["number"],
            438);
  dorsel_close(instance);

  table = table_for(&host);
  table.company_code = [](void*, dorsel_reply* reply) {
    dorsel_reply_long(reply, sizeof(long) > 4 ? static_cast<long>(INT32_MAX) + 1 : INT32_MIN);
    return 0;
  };
  instance = capi_test::open_on(db.path(), &table);
  if (sizeof(long) > 4) {
    EXPECT_EQ(ask(instance, R"({"call": "Init_MG67_scorte", "args": ["A1"]})")["error"]["number"],
              6);
  }
  // Success without a value is the host's failure, not an Empty.
  table.company_code = [](void*, dorsel_reply*) { return 0; };
  dorsel_close(instance);
  instance = capi_test::open_on(db.path(), &table);
  json answer = ask(instance, R"({"call": "Init_MG67_scorte", "args": ["A1"]})");
  EXPECT_EQ(answer["error"]["number"], 440);
  EXPECT_EQ(answer["error"]["description"], "the host's CodDitta gave no value");
  dorsel_close(instance);
}

// The sales price list uses all four: company, language, a translated code (8435) and the
// decimals of the list's currency.
TEST(CapiCallbackHostTest, ThePriceListTakesTranslationsAndDecimalsFromTheHost) {
  capi_test::DatabaseFile db("prices");
  TestHost host;
  host.texts = {{8435, "Automatico e manuale"}};
  host.decimals = {{"USD", 0}};
  dorsel_host table = table_for(&host);
  dorsel_instance* instance = capi_test::open_on(db.path(), &table);
  ASSERT_NE(instance, nullptr);
  for (const char* sql :
       {"INSERT INTO MG66_ANAGRART (MG66_DITTA_CG18, MG66_CODART, MG66_FLGBASEVAR) VALUES (1, "
        "'A1', 0)",
        "INSERT INTO MG44_PARMAGLIST (MG44_DITTA_CG18, MG44_FLGVENACQ, MG44_NUMLIST, "
        "MG44_VALUTA_CG08, MG44_DESCLIST) VALUES (1, 0, 1, 'USD', 'Listino USA')",
        "INSERT INTO LI10_LISTARTIC (LI10_DITTA_CG18, LI10_FLGVENDACQ, LI10_CODART_MG66, "
        "LI10_OPZIONE_MG5E, LI10_DEPOS_MG58, LI10_NUMLIST, LI10_DATAINIZIOVAL, LI10_PREZZO, "
        "LI10_SC1PER, LI10_INDRICALPR) VALUES (1, 0, 'A1', ' ', ' ', 1, '2024-01-01', 99.6, 0, "
        "0)"}) {
    ASSERT_EQ(ask(instance, json({{"sql", sql}}).dump())["ok"], true) << sql;
  }
  ASSERT_EQ(ask(instance, R"({"call": "Init_LI10", "args": ["A1", "0"]})")["ok"], true);
  json built = ask(instance, R"({"call": "InitializeRecordsetLI10Ven", "args": []})");
  ASSERT_EQ(built["ok"], true) << built;
  json view = ask(instance, R"({"rs": "Grst_RecSet_LI10Ven_append", "do": "Read"})");
  const json& row = view["result"]["$recordset"]["rows"][0];
  // 99.6 rounded to the host's 0 decimals for USD; the code's words from the host.
  EXPECT_NE(std::find(row.begin(), row.end(), json(100.0)), row.end()) << row;
  EXPECT_NE(std::find(row.begin(), row.end(), json("Automatico e manuale")), row.end()) << row;
  EXPECT_NE(std::find(host.currencies_asked.begin(), host.currencies_asked.end(), "USD"),
            host.currencies_asked.end());

  // A translation that fails without words of its own stops the build with the host's error.
  host.fail_translations = true;
  json failed = ask(instance, R"({"call": "InitializeRecordsetLI10Ven", "args": []})");
  EXPECT_EQ(failed["ok"], false);
  EXPECT_EQ(failed["error"]["number"], 440);
  EXPECT_EQ(failed["error"]["description"], "the host's TraduzioneTesto failed");
  dorsel_close(instance);
}

}  // namespace
