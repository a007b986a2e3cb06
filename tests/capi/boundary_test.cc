// The C interface's boundary: opening and closing, the session's requests and answers through
// it, and what a C caller can get wrong in the options and handles answered with an error,
// never a crash. Bad requests (bad JSON, null pointers, a NUL inside) are run through the
// Python package (python/tests/test_boundary_threads.py).
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "capi_helpers.h"

namespace {

using capi_test::answer_text;
using capi_test::ask;
using nlohmann::json;

TEST(CapiBoundaryTest, RequestsGetTheSessionsAnswers) {
  capi_test::DatabaseFile db("answers", true);
  dorsel_instance* instance = capi_test::open_on(db.path());
  ASSERT_NE(instance, nullptr);
  EXPECT_EQ(ask(instance, R"({"call": "Initialize", "args": []})"),
            json::parse(R"({"ok":true,"result":{"$empty":true},"args":[]})"));
  EXPECT_EQ(ask(instance, R"({"call": "RecuperaValuta", "args": [0, {"$int": 1}]})"),
            json::parse(R"({"ok":true,"result":"EURO","args":[0,1]})"));
  // The answer is the session's text, byte for byte (keys sorted, no blanks).
  EXPECT_EQ(answer_text(instance, R"({"get": "ListFileToDelete"})"), R"({"ok":true,"result":""})");
  // The request is read for its length only: what follows is not part of it.
  const std::string padded = R"({"get": "ListFileToDelete"}garbage)";
  char* answer = dorsel_request(instance, padded.data(), padded.size() - 7);
  ASSERT_NE(answer, nullptr);
  EXPECT_EQ(std::string(answer), R"({"ok":true,"result":""})");
  dorsel_free(answer);
  EXPECT_EQ(dorsel_close(instance), 0);
}

TEST(CapiBoundaryTest, OpenRefusesBadOptionsWithAnErrorAnswer) {
  int sentinel = 0;
  dorsel_instance* instance = reinterpret_cast<dorsel_instance*>(&sentinel);
  char* error = nullptr;
  auto error_of = [&](const dorsel_options* options) {
    const int number = dorsel_open(options, &instance, &error);
    EXPECT_EQ(instance, nullptr);
    json answer = error == nullptr ? json() : json::parse(error);
    dorsel_free(error);
    error = nullptr;
    EXPECT_EQ(answer.value("ok", true), false);
    EXPECT_EQ(answer["error"]["number"], number);
    return answer["error"];
  };
  EXPECT_EQ(error_of(nullptr)["number"], 5);

  dorsel_options options;
  dorsel_options_init(&options);
  EXPECT_EQ(error_of(&options)["description"],
            "the options name no database and no connection string");

  const std::string missing = "/nonexistent-dorsel-folder/erp.sqlite";
  options.database = missing.c_str();
  json missing_file = error_of(&options);
  EXPECT_EQ(missing_file["number"], 53);
  EXPECT_NE(missing_file["description"].get<std::string>().find(missing), std::string::npos);

  options.struct_size = sizeof(dorsel_options) - 1;
  EXPECT_EQ(error_of(&options)["number"], 5);

  dorsel_host host{};  // struct_size left 0
  dorsel_options_init(&options);
  options.connect = "Provider=SQLite;Data Source=:memory:";
  options.host = &host;
  EXPECT_EQ(error_of(&options)["number"], 5);

  options.host = nullptr;
  options.company = static_cast<long>(INT32_MAX) + 1;
  if (sizeof(long) > 4) {
    EXPECT_EQ(error_of(&options)["number"], 6);
  }

  // Nowhere to put the handle: refused, with or without a place for the error.
  dorsel_options_init(&options);
  options.connect = "Provider=SQLite;Data Source=:memory:";
  EXPECT_EQ(dorsel_open(&options, nullptr, nullptr), 5);
  EXPECT_EQ(dorsel_open(nullptr, nullptr, nullptr), 5);
}

TEST(CapiBoundaryTest, ClosedNullAndMadeUpHandlesAreRefused) {
  dorsel_options options;
  dorsel_options_init(&options);
  options.connect = "Provider=SQLite;Data Source=:memory:";
  dorsel_instance* instance = nullptr;
  ASSERT_EQ(dorsel_open(&options, &instance, nullptr), 0);
  ASSERT_EQ(dorsel_close(instance), 0);

  int some_object = 0;
  for (dorsel_instance* handle :
       {instance, static_cast<dorsel_instance*>(nullptr),
        reinterpret_cast<dorsel_instance*>(&some_object),
        reinterpret_cast<dorsel_instance*>(reinterpret_cast<char*>(instance) + 16)}) {
    json answer = ask(handle, R"({"get": "ListFileToDelete"})");
    EXPECT_EQ(answer["ok"], false);
    EXPECT_EQ(answer["error"]["source"], "dorsel");
    EXPECT_EQ(answer["error"]["description"],
              "no open instance has this handle (closed, or never opened)");
    EXPECT_NE(dorsel_close(handle), 0);
  }
}

TEST(CapiBoundaryTest, TheReferenceHostServesWhenNoTableIsGiven) {
  capi_test::DatabaseFile db("reference", true);
  dorsel_instance* instance = capi_test::open_on(db.path());
  ASSERT_NE(instance, nullptr);
  EXPECT_EQ(ask(instance, R"({"host": {"CodDitta": 2}})")["ok"], true);
  EXPECT_EQ(ask(instance, R"({"call": "Init_MG67_scorte", "args": ["A1"]})")["ok"], true);
  EXPECT_NE(ask(instance, R"({"get": "Gstr_SQL_MG67"})")["result"].get<std::string>().find(
                "MG67_DITTA_CG18 = 2 "),
            std::string::npos);
  dorsel_close(instance);
}

TEST(CapiBoundaryTest, MemberKindsAndVersion) {
  EXPECT_EQ(dorsel_member_kind("Init_MG67_scorte"), 2);
  EXPECT_EQ(dorsel_member_kind("init_mg67_SCORTE"), 2);
  EXPECT_EQ(dorsel_member_kind("ListFileToDelete"), 1);
  EXPECT_EQ(dorsel_member_kind("Grst_RecSet_MG67"), 1);
  EXPECT_EQ(dorsel_member_kind("NoSuchMember"), 0);
  EXPECT_EQ(dorsel_member_kind(nullptr), 0);
  EXPECT_EQ(std::string(dorsel_version()), "0.1.0");
  dorsel_free(nullptr);
  dorsel_options_init(nullptr);
  dorsel_reply_text(nullptr, "x", 1);
  dorsel_reply_long(nullptr, 1);
  dorsel_reply_error(nullptr, 1, nullptr, nullptr);
}

}  // namespace
