// Database files shared between connections and processes: the queries of one request held in
// one read transaction, writes beside it, and a busy database waited for.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <iostream>
#include <string>
#include <thread>
#include <vector>

#include "automation/convert.h"
#include "automation/error.h"
#include "data/connection.h"
#include "data/recordset.h"
#include "data/sqlite/sqlite_provider.h"
#include "support/error_of.h"

namespace {

namespace fs = std::filesystem;
using test_support::error_of;

class SharedFileTest : public ::testing::TestWithParam<const char*> {
 protected:
  void SetUp() override {
    data::sqlite::register_provider();
    file_ = fs::temp_directory_path() / ("dorsel_shared_" + std::to_string(::getpid()) + "_" +
                                         std::string(GetParam()) + ".sqlite");
    remove_files();
    auto first = open(std::string(";Journal Mode=") + GetParam());
    first->provider().execute_native_script(
        "CREATE TABLE T (N INT NOT NULL PRIMARY KEY, NOTE VARCHAR(10));"
        "INSERT INTO T VALUES (1, 'a'), (2, 'b'), (3, 'c');");
  }
  void TearDown() override { remove_files(); }

  void remove_files() {
    for (const char* suffix : {"", "-wal", "-shm", "-journal"}) {
      fs::remove(file_.string() + suffix);
    }
  }

  data::ConnectionPtr open(const std::string& keys = "") {
    data::ConnectionPtr c = data::Connection::create();
    c->Open("Provider=SQLite;Data Source=" + file_.string() + keys);
    return c;
  }

  static std::int64_t count(data::Connection& c) {
    return automation::to_long(c.Execute("SELECT COUNT(*) AS N FROM T")->Fields().Item(0).Value());
  }

  bool wal() const { return std::string(GetParam()) == "WAL"; }

  fs::path file_;
};

TEST_P(SharedFileTest, QueriesOfOneRequestShareOneSnapshotInWalModeAndWritesEndIt) {
  data::ConnectionPtr reader = open(), writer = open();
  {
    data::Connection::SharedReads reads(*reader);
    EXPECT_EQ(count(*reader), 3);
    writer->Execute("INSERT INTO T VALUES (4, 'd')");
    // A file in another mode keeps a lock per query, so that the writer never waits for a
    // whole request.
    EXPECT_EQ(count(*reader), wal() ? 3 : 4);
    // A write of the request's own runs on its own, committed at once as outside a request:
    // no stale snapshot makes it fail.
    reader->Execute("INSERT INTO T VALUES (5, 'e')");
    EXPECT_EQ(count(*writer), 5);
    EXPECT_EQ(count(*reader), 5);
  }
  writer->Execute("INSERT INTO T VALUES (6, 'f')");
  EXPECT_EQ(count(*reader), 6);
}

TEST_P(SharedFileTest, AFailingRequestLeavesWhatItWouldLeaveWithoutSharedReads) {
  data::ConnectionPtr reader = open(), other = open();
  const automation::Error alone = error_of([&] { reader->CommitTrans(); });
  data::Connection::SharedReads reads(*reader);
  EXPECT_EQ(count(*reader), 3);
  // Committing without a transaction fails as always: the shared reads' is not the caller's.
  const automation::Error shared = error_of([&] { reader->CommitTrans(); });
  EXPECT_EQ(shared.number(), alone.number());
  EXPECT_EQ(shared.description(), alone.description());
  EXPECT_EQ(shared.description(), "cannot commit - no transaction is active");

  reader->Execute("INSERT INTO T VALUES (4, 'd')");
  const automation::Error duplicate =
      error_of([&] { reader->Execute("INSERT INTO T VALUES (4, 'again')"); });
  EXPECT_EQ(duplicate.number(), -2147217873);
  EXPECT_EQ(duplicate.source(), "SQLite");
  EXPECT_EQ(count(*other), 4);  // the first insert stays, as it would without the request

  // The caller's own transaction is its own: rolled back, only its rows go.
  EXPECT_EQ(count(*reader), 4);
  reader->BeginTrans();
  reader->Execute("INSERT INTO T VALUES (5, 'e')");
  reader->RollbackTrans();
  EXPECT_EQ(count(*reader), 4);
  EXPECT_EQ(count(*other), 4);
}

TEST_P(SharedFileTest, AWriterWaitsForAnotherWritersTransaction) {
  data::ConnectionPtr first = open(), second = open();
  first->BeginTrans();
  first->Execute("INSERT INTO T VALUES (4, 'd')");
  const auto start = std::chrono::steady_clock::now();
  std::thread committer([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    first->CommitTrans();
  });
  EXPECT_NO_THROW(second->Execute("INSERT INTO T VALUES (5, 'e')"));
  committer.join();
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(250));
  EXPECT_EQ(count(*second), 5);
}

// What one child process did: 0 when every statement succeeded and every check held.
int child_exit_code(const std::function<void()>& work) {
  try {
    work();
    return 0;
  } catch (const automation::Error& e) {
    std::cerr << "error " << e.number() << " from " << e.source() << ": " << e.description()
              << "\n";
    return 1;
  } catch (const std::exception& e) {
    std::cerr << e.what() << "\n";
    return 2;
  }
}

pid_t start_child(const std::function<void()>& work) {
  std::cout.flush();
  std::cerr.flush();
  pid_t pid = fork();
  if (pid == 0) _exit(child_exit_code(work));
  return pid;
}

TEST_P(SharedFileTest, OneProcessWritesWhileOthersReadAndNoneSeesABusyDatabase) {
  constexpr int kBatches = 40, kBatch = 50, kReaders = 3;
  constexpr std::int64_t kRows = 3 + kBatches * kBatch;
  std::vector<pid_t> children;
  children.push_back(start_child([&] {
    data::ConnectionPtr c = open();
    for (int b = 0; b < kBatches; ++b) {
      c->BeginTrans();
      for (int k = 0; k < kBatch; ++k) {
        c->Execute("INSERT INTO T VALUES (" + std::to_string(4 + b * kBatch + k) + ", 'w')");
      }
      c->CommitTrans();
    }
  }));
  for (int r = 0; r < kReaders; ++r) {
    children.push_back(start_child([&] {
      data::ConnectionPtr c = open();
      std::int64_t seen = 0;
      const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(20);
      while (seen < kRows && std::chrono::steady_clock::now() < give_up) {
        data::Connection::SharedReads reads(*c);
        const std::int64_t rows = count(*c);
        const std::int64_t last =
            automation::to_long(c->Execute("SELECT MAX(N) AS M FROM T")->Fields().Item(0).Value());
        if (rows < seen) throw std::runtime_error("a committed row went missing");
        // One snapshot for both queries in WAL mode: whole batches, numbered without gaps.
        if (wal() && (last != rows || (rows - 3) % kBatch != 0)) {
          throw std::runtime_error("two queries of one request saw different databases");
        }
        seen = rows;
      }
      if (seen != kRows) throw std::runtime_error("the writer's rows never all arrived");
    }));
  }
  for (pid_t pid : children) {
    int status = 0;
    waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "child " << pid;
  }
  data::ConnectionPtr c = open();
  EXPECT_EQ(count(*c), kRows);
}

INSTANTIATE_TEST_SUITE_P(JournalModes, SharedFileTest, ::testing::Values("WAL", "DELETE"));

}  // namespace
