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

  std::string_view type_name() const override { return "Recordset"; }
  automation::Variant invoke(std::string_view name, automation::InvokeKind kind,
                             std::span<automation::Variant> args) override;

  // Open(Source, ActiveConnection, CursorType, LockType, Options).
  // - source a query text and a connection (an object variant holding a Connection; missing
  //   means the connection of the last opening): runs it and fetches every row.
  // - source and connection both missing, after Fields.Append: a fabricated recordset.
  // Raises 3705 when open, 3709 without a usable connection (Nothing, a closed connection, or
  // a fabricated open with no fields), 3001 when the connection variant holds something else,
  // or the provider's error (the recordset stays closed).
  void Open(const automation::Variant& source = automation::Variant::missing(),
            const automation::Variant& active_connection = automation::Variant::missing(),
            int cursor_type = kOpenUnspecified, int lock_type = kLockUnspecified,
            int options = kCmdUnspecified);
  // Raises 3704 when already closed. Pending changes are discarded; clones stay open.
  // Closing a fabricated recordset empties its Fields.
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
  // 1-based within the filtered rows; kPosBOF, kPosEOF or kPosUnknown off the rows. Setting it
  // moves there (3001 when out of range). Raises 3251 on a forward-only cursor.
  std::int64_t AbsolutePosition() const;
  void SetAbsolutePosition(std::int64_t position);
  // An opaque value for the current row, valid in this recordset and its clones. Raises 3021
  // without a current row; setting Empty raises 3001.
  automation::Variant Bookmark() const;
  void SetBookmark(const automation::Variant& bookmark);

  // ADO's rules at the edges: MoveNext at EOF and MovePrevious at BOF raise 3021; MoveFirst and
  // MoveLast on an empty recordset leave BOF and EOF set. Moving off a new row commits it to
  // the local rows (Update).
  void MoveFirst();
  void MoveNext();
  void MovePrevious();
  void MoveLast();

  // A criteria string ("A = 1 AND B = 'x'", "(A = 1) OR (B LIKE 'S*')", dates in #...#), an
  // empty string or adFilterNone (0). Setting one moves to the first visible row. Raises 3265
  // for a criterion naming an unknown field and 3001 for one it cannot parse or an Empty.
  automation::Variant Filter() const;
  void SetFilter(const automation::Variant& filter);

  // A second cursor over the same rows, with its own position (first row) and no filter.
  // lock_type -1 keeps the original's, 1 makes the clone read-only.
  RecordsetPtr Clone(int lock_type = kLockUnspecified);

  data::Fields& Fields();
  const data::Fields& Fields() const;

  int EditMode() const;
  // Appends a new row and makes it current. Raises 3251 when read-only.
  void AddNew();
  // Commits the current row's edits to the local rows (kept pending for UpdateBatch).
  void Update();
  // Sends pending changes: kAffectCurrent the current row only, kAffectAll every row. With a
  // connection and a single base table, they are written to the database (UPDATE, INSERT,
  // DELETE by the table's primary key) inside a transaction; a recordset over a join, without
  // a key or without a connection raises 3251 describing why, and keeps its pending changes.
  // A fabricated recordset just accepts them.
  void UpdateBatch(int affect = kAffectAll);
  void CancelUpdate();
  void CancelBatch(int affect = kAffectAll);
  // Marks the current row deleted (kept pending for UpdateBatch).
  void Delete();

 private:
  friend class Field;
  friend class Fields;
  Recordset();

  // The implementation's state lives here; see recordset.cc.
  struct State_;
  std::unique_ptr<State_> state_;
};

}  // namespace data
