// Recordset: rows and a cursor over them, after ADO's Recordset with a client-side cursor.
//
// Opened from a query on a connection, all rows are fetched into memory; opened with no
// source and no connection after Fields.Append, it is a fabricated, disconnected recordset.
// Clones share the rows (a change through one is seen through all) and have their own
// position and filter. Edits are kept as pending changes (batch-optimistic) until UpdateBatch,
// which sends them to the database when the recordset was opened from a single table.
//
// Not thread-safe; one owner at a time. Every method raises 3704 on a closed recordset except
// Open, State, the cursor and lock settings, Fields.Append and Filter.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "automation/object.h"
#include "data/ado.h"
#include "data/connection.h"
#include "data/field.h"

namespace data {

namespace detail {
struct RowStore;  // rows shared by a recordset and its clones
}

class Recordset : public automation::Object {
 public:
  static RecordsetPtr create();
  ~Recordset() override;

 private:
  struct CreateToken {
    explicit CreateToken() = default;
  };

 public:
  // Only through create(); public so that the object and its count share one allocation.
  explicit Recordset(CreateToken);
  Recordset(const Recordset&) = delete;
  Recordset& operator=(const Recordset&) = delete;

  std::string_view type_name() const override { return "Recordset"; }
  automation::Variant invoke(std::string_view name, automation::InvokeKind kind,
                             std::span<automation::Variant> args) override;

  // Open(Source, ActiveConnection, CursorType, LockType, Options).
  // - source a query text and a connection (an object variant holding a Connection; missing
  //   means the connection of the last opening): runs it and fetches every row.
  // - source and connection both missing, after Fields.Append: a fabricated recordset, with
  //   the client location and a static cursor; its lock type is the one given or set, else
  //   batch-optimistic, so that rows can be added.
  // - source missing on a recordset opened before: its Source again on its connection.
  // A query's cursor follows the recordset's own settings: the client location is always
  // static (pessimistic locking there becomes optimistic); the server location keeps the
  // requested type, and forward-only cannot count, scroll back, bookmark or clone.
  // Raises 3705 when open, 3709 without a usable connection (Nothing, a closed connection, or
  // a fabricated open with no fields), 3001 when the connection variant holds something else,
  // or the provider's error (the recordset stays closed).
  // An enumerator outside ADO's range (late binding passes any integer) raises 3001.
  void Open(const automation::Variant& source = automation::Variant::missing(),
            const automation::Variant& active_connection = automation::Variant::missing(),
            CursorTypeEnum cursor_type = CursorTypeEnum::kUnspecified,
            LockTypeEnum lock_type = LockTypeEnum::kUnspecified,
            CommandTypeEnum options = CommandTypeEnum::kUnspecified);
  // The same with the arguments typed: a query text (empty as a missing source) and a
  // connection (nullptr as Nothing).
  void Open(std::string_view source, const ConnectionPtr& connection,
            CursorTypeEnum cursor_type = CursorTypeEnum::kUnspecified,
            LockTypeEnum lock_type = LockTypeEnum::kUnspecified,
            CommandTypeEnum options = CommandTypeEnum::kUnspecified);
  // Raises 3704 when already closed. Fields are emptied (Field references become invalid).
  // Clones stay open and keep the shared rows, with any pending changes made through this one.
  void Close();
  int State() const;

  // Settable while closed; Open's arguments override them.
  int CursorLocation() const;
  void SetCursorLocation(int location);
  int CursorType() const;
  void SetCursorType(int cursor_type);
  int LockType() const;
  void SetLockType(int lock_type);
  // The connection of the last opening (nullptr for a fabricated recordset).
  ConnectionPtr ActiveConnection() const;
  const std::string& Source() const;

  bool Bof() const;
  bool Eof() const;
  // The number of rows seen through the filter (a pending new row counts); -1 for a
  // forward-only cursor.
  std::int64_t RecordCount() const;
  // 1-based within the filtered rows (a row being added has its place at the end); kPosBOF,
  // kPosEOF, or kPosUnknown when there is no row or the current one is deleted. Setting it
  // moves there (3001 when out of range). Raises 3251 on a forward-only cursor.
  std::int64_t AbsolutePosition() const;
  void SetAbsolutePosition(std::int64_t position);
  // An opaque value for the current row (a Double), valid in this recordset and its clones
  // whatever their filters. Raises 3021 without a current row and 3251 on a forward-only
  // cursor; setting Empty, a foreign value or a row the filter hides raises 3001.
  automation::Variant Bookmark() const;
  void SetBookmark(const automation::Variant& bookmark);

  // ADO's rules at the edges: MoveNext at EOF, MovePrevious at BOF, and MoveFirst or MoveLast
  // when BOF and EOF are both set and no row is visible raise 3021. MovePrevious on a
  // forward-only cursor raises -2147217884; MoveFirst there starts again from the first row, as
  // a re-query would. Moving off an edited or new row commits it to the local rows (Update).
  void MoveFirst();
  void MoveNext();
  void MovePrevious();
  void MoveLast();

  // A criteria string ("A = 1 AND B = 'x'", "(A = 1) OR (B LIKE 'S*')", dates in #...#; see
  // filter.h), an empty string or adFilterNone (0), adFilterPendingRecords (1: the rows with
  // changes not yet sent) or adFilterFetchedRecords (3: every row). Criteria are evaluated on
  // the rows' current values, pending edits included; a row this cursor adds stays visible.
  // Setting one moves to the first visible row; while closed it is kept for the next Open.
  // Raises 3265 for a criterion naming an unknown field and 3001 for one it cannot parse, an
  // Empty or another filter group; the filter in force then stays.
  automation::Variant Filter() const;
  void SetFilter(const automation::Variant& filter);

  // A second cursor over the same rows, with its own position (first row) and no filter.
  // lock_type -1 keeps the original's, 1 makes the clone read-only; others raise 3001.
  // Raises 3251 on a forward-only cursor.
  RecordsetPtr Clone(int lock_type = kLockUnspecified);

  data::Fields& Fields();
  const data::Fields& Fields() const;

  // The state of the current row: adEditAdd for a new row not yet sent, adEditInProgress for a
  // changed one, adEditDelete for a deleted one, adEditNone otherwise. In batch-optimistic
  // mode a row keeps its state after Update until UpdateBatch, as the platform reports it.
  // Raises 3021 at BOF or EOF.
  int EditMode() const;
  // Appends a new row (its fields Empty) and makes it current, updating a row being edited
  // first. Raises 3251 when read-only.
  void AddNew();
  // Ends the current row's edit. Batch-optimistic: the changes stay pending for UpdateBatch.
  // Optimistic or pessimistic: the row is sent now (as UpdateBatch does for one row); if that
  // fails the edit stays open. Without an edit it does nothing.
  void Update();
  // Sends pending changes: kAffectCurrent the current row only, kAffectAll every row. With a
  // connection and a single base table, they are written to the database (UPDATE, INSERT,
  // DELETE by the table's primary key) inside a transaction (the host's, when it began one); a
  // recordset over a join, an expression-only one, or a table without a key raises 3251
  // describing why, a closed connection 3709, a row no longer found -2147217864, and a failing
  // statement the provider's error: every pending change is then kept and its own transaction
  // rolled back (inside the host's transaction, undoing what already ran is the host's call).
  // A fabricated recordset just accepts them. kAffectCurrent raises 3021 without a current row.
  void UpdateBatch(int affect = kAffectAll);
  // Puts back the fields this cursor wrote since the edit began (a clone's writes to the same
  // row stay); a new row being added is dropped and the row current before it is current
  // again. Without an edit it does nothing.
  void CancelUpdate();
  // Restores the rows' values as read and drops new rows, for the rows `affect` names.
  void CancelBatch(int affect = kAffectAll);
  // Marks the current row deleted (pending for UpdateBatch; sent now with immediate locking);
  // a new row not yet sent is simply dropped. The cursor stays on it until it moves. Raises
  // 3251 when read-only and 3021 without a current row.
  void Delete();

 private:
  friend class RecordsetInternal;  // recordset_internal.h

  // Open after its arguments were checked and resolved.
  void open_checked(std::string_view text, const ConnectionPtr& connection, int cursor_type,
                    int lock_type, int options);

  // The implementation's state (recordset_state.h) lives inside the object, so that a
  // recordset is one allocation: a price-list view opens and closes four for every row.
  struct State_;
  static constexpr std::size_t kStateSize = 512;
  alignas(16) std::byte state_storage_[kStateSize];
  State_* state_;
};

}  // namespace data
