// A host's global object given as a table of C callbacks: the component reaches the company,
// the language, the translations and the currency decimals through it, on every use, and a
// callback's failure reaches the caller as the component's error with the callback's words.
#include <gtest/gtest.h>

#include <cstdint>

#include "capi_helpers.h"

namespace {

using capi_test::ask;
using nlohmann::json;

// A host of one company with every callback but the ones a test takes away. What a host's
// callbacks answer and how their failures read is run through the Python package's host
// (python/tests/test_host.py); here, what only a C caller can get wrong.
dorsel_host table_for() {
  dorsel_host table{};
  table.struct_size = sizeof(dorsel_host);
  table.company_code = [](void*, dorsel_reply* reply) {
    dorsel_reply_long(reply, 1);
    return 0;
  };
  table.company_language = [](void*, dorsel_reply* reply) {
    dorsel_reply_text(reply, "ITA ", 4);
    return 0;
  };
  table.translate_text = [](void*, long, dorsel_reply* reply) {
    dorsel_reply_text(reply, "x", 1);
    return 0;
  };
  table.price_decimals = [](void*, const char*, dorsel_reply* reply) {
    dorsel_reply_long(reply, 2);
    return 0;
  };
  return table;
}

int stock_error(dorsel_instance* instance) {
  return ask(instance, R"({"call": "Init_MG67_scorte", "args": ["A1"]})")["error"]["number"];
}

TEST(CapiCallbackHostTest, MissingCallbacksAreMissingMembersAndBadRepliesAreErrors) {
  capi_test::DatabaseFile db("missing");
  dorsel_host table = table_for();
  dorsel_instance* instance = capi_test::open_on(db.path(), &table);
  ASSERT_NE(instance, nullptr);
  // The component sees the caller's object through its reference, with the usual type names.
  EXPECT_EQ(ask(instance, R"({"get": "ActiveInterface"})")["result"],
            json::parse(R"({"$object": "HostApplication"})"));
  dorsel_close(instance);

  table.company_code = nullptr;
  instance = capi_test::open_on(db.path(), &table);
  EXPECT_EQ(stock_error(instance), 438);
  dorsel_close(instance);

  table.company_code = [](void*, dorsel_reply* reply) {
    dorsel_reply_long(reply, sizeof(long) > 4 ? static_cast<long>(INT32_MAX) + 1 : INT32_MIN);
    return 0;
  };
  instance = capi_test::open_on(db.path(), &table);
  if (sizeof(long) > 4) {
    EXPECT_EQ(stock_error(instance), 6);
  }
  dorsel_close(instance);

  // Success without a value is the host's failure, not an Empty.
  table.company_code = [](void*, dorsel_reply*) { return 0; };
  instance = capi_test::open_on(db.path(), &table);
  json answer = ask(instance, R"({"call": "Init_MG67_scorte", "args": ["A1"]})");
  EXPECT_EQ(answer["error"]["number"], 440);
  EXPECT_EQ(answer["error"]["description"], "the host's CodDitta gave no value");
  dorsel_close(instance);
}

}  // namespace
