// The inside of a Recordset: its settings, its cursor over the shared rows, its filter and its
// edit buffer; and RecordsetInternal, the one way the data layer's classes reach each other's
// insides (a field its recordset's row, a recordset its fields and its connection's
// transaction, Execute a recordset it opens on rows it already holds). For the data layer's
// own sources (recordset.cc, field.cc, connection.cc); nothing a host calls. Not thread-safe,
// like the recordset.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "data/filter.h"
#include "data/recordset.h"
#include "data/row_store.h"

namespace data {

class RecordsetInternal {
 public:
  using State = Recordset::State_;

  static State& state(Recordset& recordset) { return *recordset.state_; }
  static const State& state(const Recordset& recordset) { return *recordset.state_; }
  // The state of the recordset a field belongs to.
  static State& state_of(const Field& field) { return *field.owner_->state_; }

  static Fields make_fields(Recordset* owner) { return Fields(owner); }
  // Empties the collection; Field references into it become invalid.
  static void clear(Fields& fields) { fields.clear(); }
  // The fields of an opened recordset, one per column of its rows.
  static void set_columns(Fields& fields, const ColumnList& columns, Recordset* owner);
  // The column a field was declared as (Fields.Append), for opening a fabricated recordset.
  static ColumnInfo declared_column(const Field& field);
  static const std::vector<Field>& items(const Fields& fields) { return fields.fields_; }

  static bool in_transaction(const Connection& connection) {
    return connection.transaction_depth_ > 0;
  }
};

struct Recordset::State_ {
  explicit State_(Recordset* owner) : fields(RecordsetInternal::make_fields(owner)) {}

  data::Fields fields;
  bool open = false;

  // Settings as the properties hold them while closed; Open's arguments overwrite them.
  int cursor_location = kUseServer;
  int cursor_type = kOpenForwardOnly;
  int lock_type = kLockReadOnly;
  bool lock_type_set = false;  // set by the host, not the default
  // What the cursor really is while open (a client cursor is always static).
  int open_cursor_type = kOpenForwardOnly;
  int open_lock_type = kLockReadOnly;

  ConnectionPtr connection;
  bool connected_once = false;
  std::string source;
  std::shared_ptr<detail::RowStore> store;

  // Position: a row index into the store, unless BOF or EOF is set.
  bool bof = true;
  bool eof = true;
  std::size_t row = 0;

  // The packed row last decoded for the fields, and the filter's columns of the last row it
  // looked at.
  mutable Row current_values_;
  mutable const std::uint8_t* current_from_ = nullptr;
  mutable Row filter_values_;

  // Filter: the value as set, the compiled criteria, and the rows this cursor added since
  // (a row being added stays visible whatever the criteria say of its empty fields).
  automation::Variant filter_value = automation::Variant(std::int32_t{kFilterNone});
  std::unique_ptr<detail::Filter> filter;
  int filter_group = kFilterNone;
  std::vector<std::size_t> own_added;
  std::uint64_t filter_generation = 0;

  // The visible rows, in store order, rebuilt when the store or the filter changes.
  std::vector<std::size_t> visible;
  bool visible_valid = false;
  std::uint64_t visible_structure = 0;
  std::uint64_t visible_data = 0;
  std::uint64_t visible_generation = 0;

  // Edit buffer: what CancelUpdate restores. Only the fields this cursor wrote are put back,
  // so a clone's changes to the same row survive.
  bool editing = false;
  bool edit_is_add = false;
  std::size_t edit_row = 0;
  Row* edit_values = nullptr;  // the held row of the store, while editing
  Row edit_saved;
  std::vector<int> edit_written;
  bool saved_bof = true;
  bool saved_eof = true;
  std::size_t saved_row = 0;

  void require_open(std::string_view source_name) const {
    if (!open) raise_closed(source_name);
  }
  [[noreturn]] static void raise_closed(std::string_view source_name);
  bool forward_only() const { return open_cursor_type == kOpenForwardOnly; }
  bool read_only() const { return open_lock_type == kLockReadOnly; }
  bool immediate() const {
    return open_lock_type == kLockOptimistic || open_lock_type == kLockPessimistic;
  }
  bool filtered() const { return filter != nullptr || filter_group == kFilterPendingRecords; }
  bool has_current() const { return open && !bof && !eof && store->live(row); }
  // The values of the current row (has_current() must hold); valid until the cursor moves or
  // an edit of the row ends.
  const Row& current_values() const { return store->values(row, current_values_, current_from_); }

  // Opens on rows already fetched; `cursor_type` and `lock_type` are the effective ones.
  void open_on(ColumnList&& columns, PackedRows&& rows, bool fabricated, int cursor_type,
               int lock_type, Recordset* owner);
  void build_fields(Recordset* owner);
  void close();

  bool is_visible(std::size_t i) const;
  const std::vector<std::size_t>& visible_rows();
  // The rows an UpdateBatch or CancelBatch with `affect` works on (3021 for the current row
  // when there is none, 3001 for an unknown value).
  std::vector<std::size_t> affected_rows(int affect, bool pending_only);
  void move_first();
  void move_last();
  void set_current(std::size_t i);
  std::int64_t position_of(std::size_t i);

  // Starts an edit of the current row: the store keeps it unpacked until the edit ends.
  void begin_edit(bool is_add);
  // Field writes go through here: starts the edit buffer, keeps the values as read.
  void write(int ordinal, automation::Variant&& value);
  // Implicit or explicit Update: ends the edit; in immediate mode sends the row.
  void end_edit();
  void cancel_edit();
  // Forgets the edit buffer; the row keeps what was written (pending).
  void drop_edit();
  // Sends (connected) or accepts (fabricated) the pending changes of the rows.
  void commit(const std::vector<std::size_t>& rows);
  void accept(const std::vector<std::size_t>& rows);

  void apply_filter(const automation::Variant& value);
};

}  // namespace data
