#include "data/connection.h"

#include "automation/convert.h"
#include "data/dispatch_util.h"
#include "data/errors.h"
#include "data/recordset.h"
#include "data/recordset_internal.h"

namespace data {

using automation::Variant;

namespace {
constexpr std::string_view kSource = "ADODB.Connection";
}

ConnectionPtr Connection::create() { return ConnectionPtr(new Connection()); }

Connection::~Connection() = default;

void Connection::Open(std::string_view connection_string) {
  if (provider_) raise(errc::kObjectOpen, kSource);
  provider_ = open_provider(connection_string);
  connection_string_ = std::string(connection_string);
  transaction_depth_ = 0;
  if (shared_reads_depth_ > 0) provider_->begin_shared_reads();
}

void Connection::Close() {
  if (!provider_) raise(errc::kObjectClosed, kSource);
  if (transaction_depth_ > 0) raise(errc::kInTransaction, kSource);
  provider_.reset();
}

int Connection::State() const { return provider_ ? kStateOpen : kStateClosed; }

void Connection::SetCursorLocation(int location) {
  if (location != kUseServer && location != kUseClient) raise(errc::kInvalidArgument, kSource);
  cursor_location_ = location;
}

Provider& Connection::provider() {
  if (!provider_) raise(errc::kInvalidConnection, kSource);
  return *provider_;
}

ResultSet Connection::run(std::string_view text, std::span<const Variant> params) {
  Provider& p = provider();
  if (statement_hook_) statement_hook_(text);
  return p.execute(text, params);
}

RecordsetPtr Connection::Execute(std::string_view command_text, std::int64_t* records_affected,
                                 int options) {
  ResultSet result = run(command_text);
  if (records_affected) *records_affected = result.records_affected;
  bool no_records = options != kCmdUnspecified && (options & kExecuteNoRecords) != 0;
  if (no_records) return nullptr;
  RecordsetPtr rs = Recordset::create();
  RecordsetInternal::State& st = RecordsetInternal::state(*rs);
  st.connection = std::static_pointer_cast<Connection>(shared_from_this());
  st.connected_once = true;
  st.source = std::string(command_text);
  st.cursor_location = cursor_location_;
  if (!result.returns_rows) return rs;  // closed, as for any statement without rows
  // What Execute returns is read-only; a client cursor knows its count, a server one does not.
  st.cursor_type = cursor_location_ == kUseClient ? kOpenStatic : kOpenForwardOnly;
  st.lock_type = kLockReadOnly;
  st.open_on(std::move(result.columns), std::move(result.rows), false, st.cursor_type,
             kLockReadOnly, rs.get());
  return rs;
}

Connection::SharedReads::SharedReads(Connection& connection) : connection_(connection) {
  if (connection_.shared_reads_depth_++ == 0 && connection_.provider_) {
    connection_.provider_->begin_shared_reads();
  }
}

Connection::SharedReads::~SharedReads() {
  if (--connection_.shared_reads_depth_ == 0 && connection_.provider_) {
    connection_.provider_->end_shared_reads();
  }
}

void Connection::BeginTrans() {
  provider().begin_transaction();
  ++transaction_depth_;
}

void Connection::CommitTrans() {
  provider().commit_transaction();
  if (transaction_depth_ > 0) --transaction_depth_;
}

void Connection::RollbackTrans() {
  provider().rollback_transaction();
  if (transaction_depth_ > 0) --transaction_depth_;
}

Variant Connection::invoke(std::string_view name, automation::InvokeKind kind,
                           std::span<Variant> args) {
  using automation::DispatchTable;
  using detail::arg_at;
  using detail::int_arg;
  using detail::require_args;
  static const DispatchTable<Connection> kTable = [] {
    DispatchTable<Connection> t;
    t.method("Open",
             [](Connection& c, std::span<Variant> a) {
               require_args(a, 1);
               c.Open(automation::to_text(a[0]));
               return Variant();
             })
        .method("Close",
                [](Connection& c, std::span<Variant>) {
                  c.Close();
                  return Variant();
                })
        .property("State", [](Connection& c) { return Variant(std::int32_t{c.State()}); })
        .property("ConnectionString", [](Connection& c) { return Variant(c.ConnectionString()); })
        .property(
            "CursorLocation",
            [](Connection& c) { return Variant(std::int32_t{c.CursorLocation()}); },
            [](Connection& c, const Variant& v) {
              c.SetCursorLocation(static_cast<int>(automation::to_long(v)));
            })
        .method("Execute",
                [](Connection& c, std::span<Variant> a) {
                  require_args(a, 1);
                  std::int64_t affected = -1;
                  RecordsetPtr rs =
                      c.Execute(automation::to_text(a[0]), &affected, int_arg(a, 2, -1));
                  // RecordsAffected is passed by reference.
                  if (a.size() > 1 && !arg_at(a, 1).is_missing()) {
                    a[1] = Variant(static_cast<std::int32_t>(affected));
                  }
                  return rs ? Variant(rs) : Variant::nothing();
                })
        .method("BeginTrans",
                [](Connection& c, std::span<Variant>) {
                  c.BeginTrans();
                  return Variant(std::int32_t{c.transaction_depth_});
                })
        .method("CommitTrans",
                [](Connection& c, std::span<Variant>) {
                  c.CommitTrans();
                  return Variant();
                })
        .method("RollbackTrans", [](Connection& c, std::span<Variant>) {
          c.RollbackTrans();
          return Variant();
        });
    return t;
  }();
  return kTable.invoke(*this, name, kind, args);
}

}  // namespace data
