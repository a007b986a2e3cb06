#include "data/recordset.h"

#include <new>

#include <algorithm>
#include <cmath>

#include "automation/convert.h"
#include "automation/text.h"
#include "data/errors.h"
#include "data/recordset_internal.h"
#include "data/write_back.h"

namespace data {

using automation::Variant;
using automation::VarType;
using detail::RowState;

namespace {

constexpr std::string_view kSource = "ADODB.Recordset";
constexpr std::string_view kNotUpdatable =
    "Current Recordset does not support updating. This may be a limitation of the provider, or "
    "of the selected locktype.";

struct FilterSpec {
  int group = kFilterNone;
  std::string criteria;  // empty: no criteria
  Variant stored = Variant(std::int32_t{kFilterNone});
};

bool is_number(const Variant& v) { return v.is_numeric(); }

FilterSpec parse_filter_value(const Variant& value) {
  FilterSpec spec;
  if (value.is_string()) {
    if (!automation::trim(value.as_string()).empty()) {
      spec.criteria = value.as_string();
      spec.stored = value;
    }
    return spec;
  }
  if (is_number(value)) {
    double d = automation::to_double(value);
    if (d == kFilterNone) return spec;
    if (d == kFilterPendingRecords || d == kFilterFetchedRecords) {
      spec.group = static_cast<int>(d);
      spec.stored = Variant(static_cast<std::int32_t>(d));
      return spec;
    }
  }
  // Empty, bookmark arrays and the filter groups this layer does not keep.
  raise(errc::kInvalidArgument, kSource);
}

std::vector<std::size_t> pending_rows(const detail::RowStore& store,
                                      const std::vector<std::size_t>& candidates) {
  std::vector<std::size_t> out;
  for (std::size_t i : candidates) {
    if (store.pending(i)) out.push_back(i);
  }
  return out;
}

}  // namespace

// ---- State_ -------------------------------------------------------------------------------

void Recordset::State_::raise_closed(std::string_view source_name) {
  raise(errc::kObjectClosed, source_name);
}

void Recordset::State_::open_on(ColumnList&& columns, PackedRows&& rows, bool fabricated,
                                int cursor_type_now, int lock_type_now, Recordset* owner) {
  drop_edit();
  store = std::make_shared<detail::RowStore>();
  current_from_ = nullptr;
  store->columns = std::move(columns);
  store->adopt(std::move(rows));
  store->fabricated = fabricated;
  open_cursor_type = cursor_type_now;
  open_lock_type = lock_type_now;
  open = true;
  if (!fabricated) build_fields(owner);
  filter.reset();
  filter_group = kFilterNone;
  filter_value = Variant(std::int32_t{kFilterNone});
  own_added.clear();
  visible_valid = false;
  move_first();
}

void Recordset::State_::build_fields(Recordset* owner) {
  RecordsetInternal::set_columns(fields, store->columns, owner);
}

void Recordset::State_::close() {
  drop_edit();
  store.reset();
  current_from_ = nullptr;
  RecordsetInternal::clear(fields);
  open = false;
  bof = eof = true;
  row = 0;
  filter.reset();
  filter_group = kFilterNone;
  filter_value = Variant(std::int32_t{kFilterNone});
  own_added.clear();
  visible.clear();
  visible_valid = false;
}

bool Recordset::State_::is_visible(std::size_t i) const {
  if (!store->live(i)) return false;
  if (filter_group == kFilterPendingRecords) return store->state(i) != RowState::kUnchanged;
  if (!filter) return true;
  if (std::find(own_added.begin(), own_added.end(), i) != own_added.end()) return true;
  return filter->matches(store->some_values(i, filter->columns(), filter_values_));
}

const std::vector<std::size_t>& Recordset::State_::visible_rows() {
  std::uint64_t data = filtered() ? store->data_version : 0;
  if (!visible_valid || visible_structure != store->structure_version || visible_data != data ||
      visible_generation != filter_generation) {
    visible.clear();
    for (std::size_t i = 0; i < store->row_count(); ++i) {
      if (is_visible(i)) visible.push_back(i);
    }
    visible_valid = true;
    visible_structure = store->structure_version;
    visible_data = data;
    visible_generation = filter_generation;
  }
  return visible;
}

void Recordset::State_::set_current(std::size_t i) {
  row = i;
  bof = eof = false;
}

void Recordset::State_::move_first() {
  for (std::size_t i = 0; i < store->row_count(); ++i) {
    if (is_visible(i)) {
      set_current(i);
      return;
    }
  }
  bof = eof = true;
}

void Recordset::State_::move_last() {
  for (std::size_t i = store->row_count(); i-- > 0;) {
    if (is_visible(i)) {
      set_current(i);
      return;
    }
  }
  bof = eof = true;
}

std::int64_t Recordset::State_::position_of(std::size_t i) {
  if (!filtered() && store->live_count == store->row_count()) {
    return static_cast<std::int64_t>(i) + 1;
  }
  const std::vector<std::size_t>& v = visible_rows();
  auto it = std::lower_bound(v.begin(), v.end(), i);
  if (it == v.end() || *it != i) return kPosUnknown;
  return (it - v.begin()) + 1;
}

void Recordset::State_::begin_edit(bool is_add) {
  editing = true;
  edit_is_add = is_add;
  edit_row = row;
  edit_values = &store->hold(row);
  edit_written.clear();
}

void Recordset::State_::write(int ordinal, Variant&& value) {
  if (!editing) {
    begin_edit(/*is_add=*/false);
    edit_saved = *edit_values;
  }
  // A new row is dropped whole on cancel; only an edited row needs its written fields known.
  if (!edit_is_add &&
      std::find(edit_written.begin(), edit_written.end(), ordinal) == edit_written.end()) {
    edit_written.push_back(ordinal);
  }
  if (store->state(row) == RowState::kUnchanged) {
    store->originals.emplace(row, *edit_values);
    store->set_state(row, RowState::kModified);
  }
  (*edit_values)[static_cast<std::size_t>(ordinal)] = std::move(value);
  ++store->data_version;
}

void Recordset::State_::drop_edit() {
  if (editing && store) store->release(edit_row);
  editing = false;
  edit_values = nullptr;
  edit_saved.clear();
  edit_written.clear();
}

void Recordset::State_::end_edit() {
  if (!editing) return;
  // In immediate mode the row goes to the database now; a failure keeps the edit open so the
  // caller can correct it or cancel it.
  if (immediate()) commit({edit_row});
  drop_edit();
}

void Recordset::State_::cancel_edit() {
  if (!editing) return;
  if (edit_is_add) {
    store->set_state(edit_row, RowState::kGone);
    std::erase(own_added, edit_row);
    bof = saved_bof;
    eof = saved_eof;
    row = saved_row;
    if (!bof && !eof && !store->live(row)) move_first();
  } else if (store->live(edit_row)) {
    Row& values = *edit_values;
    for (int ordinal : edit_written) {
      auto i = static_cast<std::size_t>(ordinal);
      values[i] = edit_saved[i];
    }
    auto original = store->originals.find(edit_row);
    if (store->state(edit_row) == RowState::kModified && original != store->originals.end() &&
        original->second == values) {
      store->originals.erase(original);
      store->set_state(edit_row, RowState::kUnchanged);
    }
    ++store->data_version;
  }
  drop_edit();
}

void Recordset::State_::commit(const std::vector<std::size_t>& rows) {
  std::vector<std::size_t> pending = pending_rows(*store, rows);
  if (pending.empty()) return;
  if (!store->fabricated) {
    if (!connection || connection->State() != kStateOpen) {
      raise(errc::kInvalidConnection, kSource);
    }
    detail::write_back(*store, *connection, pending,
                       RecordsetInternal::in_transaction(*connection));
  }
  accept(pending);
}

void Recordset::State_::accept(const std::vector<std::size_t>& rows) {
  for (std::size_t i : rows) {
    switch (store->state(i)) {
      case RowState::kAdded:
      case RowState::kModified:
        store->originals.erase(i);
        store->set_state(i, RowState::kUnchanged);
        break;
      case RowState::kDeleted:
        store->set_state(i, RowState::kGone);
        break;
      case RowState::kUnchanged:
      case RowState::kGone:
        break;
    }
  }
}

void Recordset::State_::apply_filter(const Variant& value) {
  FilterSpec spec = parse_filter_value(value);
  std::unique_ptr<detail::Filter> compiled;
  if (!spec.criteria.empty()) {
    compiled = detail::Filter::compile(spec.criteria, store->name_index(), kSource);
  }
  end_edit();
  filter = std::move(compiled);
  filter_group = spec.group;
  filter_value = std::move(spec.stored);
  own_added.clear();
  ++filter_generation;
  visible_valid = false;
  move_first();
}

// ---- Recordset ----------------------------------------------------------------------------

RecordsetPtr Recordset::create() { return std::make_shared<Recordset>(CreateToken{}); }

Recordset::Recordset(CreateToken) : state_(new (state_storage_) State_(this)) {
  static_assert(sizeof(State_) <= kStateSize && alignof(State_) <= 16,
                "the recordset's state outgrew its room");
}

Recordset::~Recordset() { state_->~State_(); }

namespace {

void check_open_arguments(bool open, int cursor_type, int lock_type) {
  if (open) raise(errc::kObjectOpen, kSource);
  if (cursor_type < kOpenUnspecified || cursor_type > kOpenStatic) {
    raise(errc::kInvalidArgument, kSource);
  }
  if (lock_type != kLockUnspecified &&
      (lock_type < kLockReadOnly || lock_type > kLockBatchOptimistic)) {
    raise(errc::kInvalidArgument, kSource);
  }
}

}  // namespace

void Recordset::Open(std::string_view source, const ConnectionPtr& connection,
                     CursorTypeEnum cursor, LockTypeEnum lock, CommandTypeEnum command) {
  const int cursor_type = static_cast<int>(cursor);
  const int lock_type = static_cast<int>(lock);
  check_open_arguments(state_->open, cursor_type, lock_type);
  open_checked(source, connection, cursor_type, lock_type, static_cast<int>(command));
}

void Recordset::Open(const Variant& source, const Variant& active_connection, CursorTypeEnum cursor,
                     LockTypeEnum lock, CommandTypeEnum command) {
  const int cursor_type = static_cast<int>(cursor);
  const int lock_type = static_cast<int>(lock);
  const int options = static_cast<int>(command);
  State_& st = *state_;
  check_open_arguments(st.open, cursor_type, lock_type);

  ConnectionPtr connection;
  if (active_connection.is_missing() || active_connection.is_empty()) {
    connection = st.connection;
  } else if (active_connection.is_object()) {
    if (!active_connection.is_nothing()) {
      connection = std::dynamic_pointer_cast<Connection>(active_connection.as_object());
      if (!connection) raise(errc::kInvalidArgument, kSource);
    }
  } else if (active_connection.is_string()) {
    connection = Connection::create();
    connection->Open(active_connection.as_string());
  } else {
    raise(errc::kInvalidArgument, kSource);
  }

  std::string_view text;
  if (source.is_string()) {
    text = source.as_string();
  } else if (!source.is_missing() && !source.is_empty()) {
    raise(errc::kInvalidArgument, kSource);
  }
  open_checked(text, connection, cursor_type, lock_type, options);
}

void Recordset::open_checked(std::string_view text, const ConnectionPtr& connection,
                             int cursor_type, int lock_type, int options) {
  State_& st = *state_;
  Variant pending_filter = st.filter_value;
  if (text.empty() && !connection && !st.connected_once) {
    // A recordset of appended fields, with no database behind it.
    if (st.fields.Count() == 0) raise(errc::kInvalidConnection, kSource);
    std::vector<ColumnInfo> columns;
    for (const Field& f : RecordsetInternal::items(st.fields)) {
      columns.push_back(RecordsetInternal::declared_column(f));
    }
    if (cursor_type != kOpenUnspecified) st.cursor_type = cursor_type;
    if (lock_type != kLockUnspecified) {
      st.lock_type = lock_type;
      st.lock_type_set = true;
    }
    st.cursor_location = kUseClient;
    // Opened with no lock type, a fabricated recordset takes rows and edits: batch-optimistic.
    int lock = st.lock_type_set ? st.lock_type : kLockBatchOptimistic;
    if (lock == kLockPessimistic) lock = kLockOptimistic;
    st.open_on(std::move(columns), {}, true, kOpenStatic, lock, this);
  } else {
    if (text.empty()) {
      if (st.source.empty()) raise(errc::kInvalidArgument, kSource);
      text = st.source;
    }
    if (!connection || connection->State() != kStateOpen) {
      raise(errc::kInvalidConnection, kSource);
    }
    if (cursor_type != kOpenUnspecified) st.cursor_type = cursor_type;
    if (lock_type != kLockUnspecified) {
      st.lock_type = lock_type;
      st.lock_type_set = true;
    }
    std::string table_statement;
    std::string_view statement = text;
    if (options != kCmdUnspecified && (options & 0x7) == kCmdTable) {
      table_statement = "SELECT * FROM " + std::string(text);
      statement = table_statement;
    }
    ResultSet result = connection->run(statement);
    if (st.connection != connection) st.connection = connection;  // a reopening keeps its own
    st.connected_once = true;
    if (text.data() != st.source.data()) st.source = text;
    if (!result.returns_rows) return;  // a statement without rows leaves the recordset closed
    int cursor = st.cursor_type;
    int lock = st.lock_type;
    if (st.cursor_location == kUseClient) {
      // A client cursor is static; pessimistic locking does not exist there.
      cursor = kOpenStatic;
      if (lock == kLockPessimistic) lock = kLockOptimistic;
    }
    st.open_on(std::move(result.columns), std::move(result.rows), false, cursor, lock, this);
  }
  if (!(pending_filter == Variant(std::int32_t{kFilterNone}))) {
    try {
      st.apply_filter(pending_filter);
    } catch (const automation::Error&) {
      // A filter set while closed that does not fit the opened fields: stay closed.
      st.close();
      throw;
    }
  }
}

void Recordset::Close() {
  State_& st = *state_;
  st.require_open(kSource);
  // Edits stay in the shared rows, pending, for the clones; only this cursor goes.
  st.close();
}

int Recordset::State() const { return state_->open ? kStateOpen : kStateClosed; }

int Recordset::CursorLocation() const { return state_->cursor_location; }

void Recordset::SetCursorLocation(int location) {
  if (state_->open) raise(errc::kObjectOpen, kSource);
  if (location != kUseServer && location != kUseClient) raise(errc::kInvalidArgument, kSource);
  state_->cursor_location = location;
}

int Recordset::CursorType() const {
  return state_->open ? state_->open_cursor_type : state_->cursor_type;
}

void Recordset::SetCursorType(int cursor_type) {
  if (state_->open) raise(errc::kObjectOpen, kSource);
  if (cursor_type < kOpenForwardOnly || cursor_type > kOpenStatic) {
    raise(errc::kInvalidArgument, kSource);
  }
  state_->cursor_type = cursor_type;
}

int Recordset::LockType() const {
  return state_->open ? state_->open_lock_type : state_->lock_type;
}

void Recordset::SetLockType(int lock_type) {
  if (state_->open) raise(errc::kObjectOpen, kSource);
  if (lock_type < kLockReadOnly || lock_type > kLockBatchOptimistic) {
    raise(errc::kInvalidArgument, kSource);
  }
  state_->lock_type = lock_type;
  state_->lock_type_set = true;
}

ConnectionPtr Recordset::ActiveConnection() const { return state_->connection; }

const std::string& Recordset::Source() const { return state_->source; }

bool Recordset::Bof() const {
  state_->require_open(kSource);
  return state_->bof;
}

bool Recordset::Eof() const {
  state_->require_open(kSource);
  return state_->eof;
}

std::int64_t Recordset::RecordCount() const {
  State_& st = *state_;
  st.require_open(kSource);
  if (st.forward_only()) return -1;
  if (!st.filtered()) return static_cast<std::int64_t>(st.store->live_count);
  return static_cast<std::int64_t>(st.visible_rows().size());
}

std::int64_t Recordset::AbsolutePosition() const {
  State_& st = *state_;
  st.require_open(kSource);
  if (st.forward_only()) raise(errc::kFeatureNotAvailable, kSource);
  if (st.bof && st.eof) return kPosUnknown;
  if (st.bof) return kPosBOF;
  if (st.eof) return kPosEOF;
  if (!st.is_visible(st.row)) return kPosUnknown;
  return st.position_of(st.row);
}

void Recordset::SetAbsolutePosition(std::int64_t position) {
  State_& st = *state_;
  st.require_open(kSource);
  if (st.forward_only()) raise(errc::kFeatureNotAvailable, kSource);
  st.end_edit();
  const std::vector<std::size_t>& v = st.visible_rows();
  if (position < 1 || position > static_cast<std::int64_t>(v.size())) {
    raise(errc::kInvalidArgument, kSource);
  }
  st.set_current(v[static_cast<std::size_t>(position - 1)]);
}

Variant Recordset::Bookmark() const {
  const State_& st = *state_;
  st.require_open(kSource);
  if (st.forward_only()) raise(errc::kFeatureNotAvailable, kSource);
  if (!st.has_current()) raise(errc::kNoCurrentRecord, kSource);
  return Variant(static_cast<double>(st.row) + 1.0);
}

void Recordset::SetBookmark(const Variant& bookmark) {
  State_& st = *state_;
  st.require_open(kSource);
  if (st.forward_only()) raise(errc::kFeatureNotAvailable, kSource);
  if (!bookmark.is_numeric()) raise(errc::kInvalidArgument, kSource);
  double d = automation::to_double(bookmark);
  if (!(d >= 1.0) || d > static_cast<double>(st.store->row_count()) || d != std::floor(d)) {
    raise(errc::kInvalidArgument, kSource);
  }
  auto i = static_cast<std::size_t>(d) - 1;
  if (!st.is_visible(i)) raise(errc::kInvalidArgument, kSource);
  st.end_edit();
  st.set_current(i);
}

void Recordset::MoveFirst() {
  State_& st = *state_;
  st.require_open(kSource);
  st.end_edit();
  bool was_empty = st.bof && st.eof;
  st.move_first();
  if (was_empty && st.bof && st.eof) raise(errc::kNoCurrentRecord, kSource);
}

void Recordset::MoveLast() {
  State_& st = *state_;
  st.require_open(kSource);
  st.end_edit();
  bool was_empty = st.bof && st.eof;
  st.move_last();
  if (was_empty && st.bof && st.eof) raise(errc::kNoCurrentRecord, kSource);
}

void Recordset::MoveNext() {
  State_& st = *state_;
  st.require_open(kSource);
  if (st.eof) raise(errc::kNoCurrentRecord, kSource);
  st.end_edit();
  std::size_t start = st.bof ? 0 : st.row + 1;
  for (std::size_t i = start; i < st.store->row_count(); ++i) {
    if (st.is_visible(i)) {
      st.set_current(i);
      return;
    }
  }
  st.eof = true;
}

void Recordset::MovePrevious() {
  State_& st = *state_;
  st.require_open(kSource);
  if (st.forward_only()) raise(errc::kCantFetchBackwards, kSource);
  if (st.bof) raise(errc::kNoCurrentRecord, kSource);
  st.end_edit();
  std::size_t start = st.eof ? st.store->row_count() : st.row;
  for (std::size_t i = start; i-- > 0;) {
    if (st.is_visible(i)) {
      st.set_current(i);
      return;
    }
  }
  st.bof = true;
}

Variant Recordset::Filter() const { return state_->filter_value; }

void Recordset::SetFilter(const Variant& filter) {
  State_& st = *state_;
  if (!st.open) {
    st.filter_value = parse_filter_value(filter).stored;
    return;
  }
  st.apply_filter(filter);
}

RecordsetPtr Recordset::Clone(int lock_type) {
  const State_& st = *state_;
  st.require_open(kSource);
  if (st.forward_only()) raise(errc::kFeatureNotAvailable, kSource);
  if (lock_type != kLockUnspecified && lock_type != kLockReadOnly) {
    raise(errc::kInvalidArgument, kSource);
  }
  RecordsetPtr copy = create();
  State_& c = *copy->state_;
  c.cursor_location = st.cursor_location;
  c.cursor_type = st.cursor_type;
  c.lock_type = st.lock_type;
  c.lock_type_set = st.lock_type_set;
  c.open_cursor_type = st.open_cursor_type;
  c.open_lock_type = lock_type == kLockReadOnly ? kLockReadOnly : st.open_lock_type;
  c.connection = st.connection;
  c.connected_once = st.connected_once;
  c.source = st.source;
  c.store = st.store;
  c.open = true;
  c.build_fields(copy.get());
  c.move_first();
  return copy;
}

data::Fields& Recordset::Fields() { return state_->fields; }
const data::Fields& Recordset::Fields() const { return state_->fields; }

int Recordset::EditMode() const {
  const State_& st = *state_;
  st.require_open(kSource);
  if (st.bof || st.eof) raise(errc::kNoCurrentRecord, kSource);
  switch (st.store->state(st.row)) {
    case RowState::kAdded:
      return kEditAdd;
    case RowState::kModified:
      return kEditInProgress;
    case RowState::kDeleted:
      return kEditDelete;
    case RowState::kUnchanged:
      return kEditNone;
    case RowState::kGone:
      break;
  }
  raise(errc::kNoCurrentRecord, kSource);
}

void Recordset::AddNew() {
  State_& st = *state_;
  st.require_open(kSource);
  if (st.read_only()) raise(errc::kFeatureNotAvailable, kSource, std::string(kNotUpdatable));
  st.end_edit();
  st.saved_bof = st.bof;
  st.saved_eof = st.eof;
  st.saved_row = st.row;
  std::size_t i = st.store->add_row();
  if (st.filtered()) st.own_added.push_back(i);
  st.set_current(i);
  st.drop_edit();
  st.begin_edit(/*is_add=*/true);
}

// The rows an UpdateBatch or CancelBatch with `affect` works on: the current row, the rows the
// filter shows, or every row (only those with pending changes when asked).
std::vector<std::size_t> Recordset::State_::affected_rows(int affect, bool pending_only) {
  State_& st = *this;
  std::vector<std::size_t> rows;
  switch (affect) {
    case kAffectCurrent:
      if (st.bof || st.eof) raise(errc::kNoCurrentRecord, kSource);
      rows.push_back(st.row);
      break;
    case kAffectGroup:
      rows = st.visible_rows();
      break;
    case kAffectAll:
    case kAffectAll + 1:  // adAffectAllChapters: there are no chapters
      for (std::size_t i = 0; i < st.store->row_count(); ++i) {
        if (!pending_only || st.store->pending(i)) rows.push_back(i);
      }
      break;
    default:
      raise(errc::kInvalidArgument, kSource);
  }
  return rows;
}

void Recordset::Update() {
  State_& st = *state_;
  st.require_open(kSource);
  st.end_edit();
}

void Recordset::UpdateBatch(int affect) {
  State_& st = *state_;
  st.require_open(kSource);
  st.end_edit();
  st.commit(st.affected_rows(affect, /*pending_only=*/true));
}

void Recordset::CancelUpdate() {
  State_& st = *state_;
  st.require_open(kSource);
  st.cancel_edit();
}

void Recordset::CancelBatch(int affect) {
  State_& st = *state_;
  st.require_open(kSource);
  st.cancel_edit();
  std::vector<std::size_t> rows = st.affected_rows(affect, /*pending_only=*/false);
  detail::RowStore& store = *st.store;
  for (std::size_t i : rows) {
    auto original = store.originals.find(i);
    switch (store.state(i)) {
      case RowState::kModified:
      case RowState::kDeleted:
        if (original != store.originals.end()) {
          store.replace(i, std::move(original->second));
          store.originals.erase(original);
        }
        store.set_state(i, RowState::kUnchanged);
        break;
      case RowState::kAdded:
        store.set_state(i, RowState::kGone);
        break;
      case RowState::kUnchanged:
      case RowState::kGone:
        break;
    }
  }
  ++store.data_version;
}

void Recordset::Delete() {
  State_& st = *state_;
  st.require_open(kSource);
  if (st.read_only()) raise(errc::kFeatureNotAvailable, kSource, std::string(kNotUpdatable));
  if (!st.has_current()) raise(errc::kNoCurrentRecord, kSource);
  st.drop_edit();
  bool added = st.store->state(st.row) == RowState::kAdded;
  st.store->set_state(st.row, added ? RowState::kGone : RowState::kDeleted);
  if (st.immediate()) st.commit({st.row});
}

}  // namespace data
