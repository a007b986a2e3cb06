// A provider for tests that fails on command, as a real database fails: it runs everything
// through the embedded SQLite provider and, when told, fails the Nth statement from now, the
// next commit, or the Nth row that a batch write-back sends, with the error the embedded
// database gives for that failure (number, source "SQLite" and SQLite's own message). A failed
// statement does not run; a failed commit leaves the transaction open, as a refused COMMIT
// does. Open it with "Provider=Faulty;Data Source=..." (any SQLite data source).
//
// One plan per process, shared by every connection opened this way; not thread-safe.
#pragma once

#include <optional>

#include "automation/error.h"

namespace test_support {

// Registers "Provider=Faulty" with the data layer (idempotent).
void register_faulty_provider();

class FaultPlan {
 public:
  // The Nth statement from now (1: the next one) fails with `error` instead of running.
  void fail_statement(int n, automation::Error error);
  // The Nth statement with parameters from now (write-back sends one per row) fails.
  void fail_row(int n, automation::Error error);
  // The next commit fails with `error`.
  void fail_commit(automation::Error error);
  // Forgets every planned failure and restarts the counts.
  void clear();

  // Statements run (or failed) since the last clear, for choosing which to fail.
  int statements() const { return statements_; }

  // Called by the provider: raises the planned error when this step is the one to fail.
  void on_statement(bool with_parameters);
  void on_commit();

 private:
  struct Planned {
    int remaining = 0;
    std::optional<automation::Error> error;
  };
  static void count_down(Planned& planned);

  Planned statement_;
  Planned row_;
  std::optional<automation::Error> commit_;
  int statements_ = 0;
};

FaultPlan& faults();

// The errors the embedded database gives for the failures that tests inject.
automation::Error disk_io_error();                         // a write the disk refused
automation::Error disk_full_error();                       // no room left for a write
automation::Error locked_error();                          // another connection holds the database
automation::Error unique_error(const char* table_column);  // a key already there

}  // namespace test_support
