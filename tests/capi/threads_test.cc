// The thread rule: a second thread on a busy instance is refused, and closing an instance
// while a request runs on it lets the request finish (run under the sanitizers, which the
// Python package's thread tests are not). Separate instances on separate threads are run
// through the Python package.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "capi_helpers.h"

namespace {

using capi_test::ask;
using nlohmann::json;

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
