// Connection: an open session with a database through a provider, after ADO's Connection.
// Not thread-safe; one owner at a time.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "automation/object.h"
#include "data/ado.h"
#include "data/provider.h"

namespace data {

class Recordset;
using RecordsetPtr = std::shared_ptr<Recordset>;
class Connection;
using ConnectionPtr = std::shared_ptr<Connection>;

class Connection : public automation::Object {
 public:
  static ConnectionPtr create();
  ~Connection() override;

  std::string_view type_name() const override { return "Connection"; }
  automation::Variant invoke(std::string_view name, automation::InvokeKind kind,
                             std::span<automation::Variant> args) override;

  // Opens the provider for the string ("Provider=SQLite;Data Source=FILE", ":memory:",
  // "Driver=...;..." or "DSN=...;..."). Raises 3705 when already open, 3709 or the provider's
  // error when it cannot open.
  void Open(std::string_view connection_string);
  // Raises 3704 when closed.
  void Close();
  int State() const;
  const std::string& ConnectionString() const { return connection_string_; }

  // adUseServer (the default) or adUseClient; the cursor of what Execute returns follows it.
  int CursorLocation() const { return cursor_location_; }
  void SetCursorLocation(int location);

  // Runs a statement. A row-returning statement gives an open read-only recordset: with the
  // client location static, with RecordCount known; with the server location forward-only,
  // RecordCount -1. Any other statement gives a closed recordset (nullptr with
  // adExecuteNoRecords in options). `records_affected` receives the DML count when given.
  // Raises 3709 when the connection is closed, or the provider's error.
  RecordsetPtr Execute(std::string_view command_text, std::int64_t* records_affected = nullptr,
                       int options = kCmdUnspecified);

  void BeginTrans();
  void CommitTrans();
  void RollbackTrans();

  // The provider of an open connection; raises 3709 when closed.
  Provider& provider();

  // While one lives, the connection's queries may share one read transaction (one lock, one
  // snapshot; see Provider::begin_shared_reads), which writes end first: a host holds one for
  // each request it serves. They nest; the outermost one counts.
  class SharedReads {
   public:
    explicit SharedReads(Connection& connection);
    ~SharedReads();
    SharedReads(const SharedReads&) = delete;
    SharedReads& operator=(const SharedReads&) = delete;

   private:
    Connection& connection_;
  };

  // Called with every statement text before it reaches the provider (benchmarks, tracing).
  using StatementHook = std::function<void(std::string_view)>;
  void set_statement_hook(StatementHook hook) { statement_hook_ = std::move(hook); }
  // Runs a statement through the provider and the hook: what Execute and Recordset.Open use.
  ResultSet run(std::string_view text, std::span<const automation::Variant> params = {});

 private:
  friend class RecordsetInternal;  // write-back joins a transaction the host already began
  Connection() = default;

  std::unique_ptr<Provider> provider_;
  std::string connection_string_;
  int cursor_location_ = kUseServer;
  int transaction_depth_ = 0;
  int shared_reads_depth_ = 0;
  StatementHook statement_hook_;
};

}  // namespace data
