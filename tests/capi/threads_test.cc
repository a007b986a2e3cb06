// The thread rule: separate instances on separate threads run at once without disturbing one
// another; a second thread on a busy instance is refused, and closing an instance while a
// request runs on it lets the request finish.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "capi_helpers.h"

namespace {

using capi_test::ask;
using nlohmann::json;

TEST(CapiThreadsTest, InstancesOnSeparateThreadsKeepTheirOwnState) {
  capi_test::DatabaseFile db("threads", true);
  constexpr int kThreads = 4;
  constexpr int kRounds = 25;
  std::atomic<int> wrong{0};
  std::vector<std::thread> threads;
  threads.reserve(kThreads);
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      dorsel_options options;
      dorsel_options_init(&options);
      const std::string path = db.path();
      options.database = path.c_str();
      options.company = t + 1;
      options.decimal_comma = t % 2;
      dorsel_instance* instance = nullptr;
      if (dorsel_open(&options, &instance, nullptr) != 0) {
        ++wrong;
        return;
      }
      const std::string company = "MG67_DITTA_CG18 = " + std::to_string(t + 1) + " ";
      for (int i = 0; i < kRounds; ++i) {
        // Each thread's own number format and today stay its own.
        const std::string day = "2020-01-" + std::to_string(10 + t);
        if (ask(instance, json({{"today", day}}).dump())["ok"] != true) ++wrong;
        if (ask(instance, R"({"call": "Init_MG67_scorte", "args": ["VITE-M6X20"]})")["ok"] !=
            true) {
          ++wrong;
        }
        json sql = ask(instance, R"({"get": "Gstr_SQL_MG67"})");
        if (sql["result"].get<std::string>().find(company) == std::string::npos) ++wrong;
        json rs = ask(instance, R"({"rs": "Grst_RecSet_MG67", "do": "Read"})");
        if (rs["ok"] != true) ++wrong;
      }
      if (dorsel_close(instance) != 0) ++wrong;
    });
  }
  for (std::thread& t : threads) t.join();
  EXPECT_EQ(wrong.load(), 0);
}

TEST(CapiThreadsTest, ASharedInstanceRefusesTheSecondThreadAndSurvivesAClose) {
  capi_test::DatabaseFile db("shared", true);
  dorsel_instance* instance = capi_test::open_on(db.path());
  ASSERT_NE(instance, nullptr);
  std::atomic<int> answered{0};
  std::atomic<int> refused{0};
  std::atomic<int> other{0};
  std::atomic<int> finished{0};
  std::vector<std::thread> threads;
  threads.reserve(3);
  for (int t = 0; t < 3; ++t) {
    threads.emplace_back([&] {
      for (int i = 0; i < 40; ++i) {
        json answer = ask(instance, R"({"call": "Init_MG67_scorte", "args": ["VITE-M6X20"]})");
        if (answer["ok"] == true) {
          ++answered;
        } else if (answer["error"]["description"] == "the instance is in use by another thread" ||
                   answer["error"]["description"] ==
                       "no open instance has this handle (closed, or never opened)") {
          ++refused;
        } else {
          ++other;
        }
      }
      ++finished;
    });
  }
  // Closed while the threads still send: they get refusals from then on, never a crash.
  while (answered.load() < 5 && finished.load() < 3) std::this_thread::yield();
  EXPECT_EQ(dorsel_close(instance), 0);
  for (std::thread& t : threads) t.join();
  EXPECT_EQ(other.load(), 0);
  EXPECT_EQ(answered.load() + refused.load(), 120);
  EXPECT_NE(dorsel_close(instance), 0);
}

}  // namespace
