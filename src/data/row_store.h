// The rows of an opened recordset, shared by the recordset and its clones: the values as the
// cursor shows them, the state of each row with respect to the database (pending changes of a
// batch-optimistic cursor) and the values as read for the rows that were changed.
//
// Rows are never moved or removed while the store lives: a row's index is its bookmark, so
// bookmarks stay valid in every clone whatever the filters; a row that is gone keeps its slot
// with the state kGone. Rows are kept packed (data/packed_rows.h); a row is unpacked only while
// it is written, and each cursor decodes the row it stands on. Not thread-safe.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "automation/folded_name.h"
#include "automation/text.h"
#include "data/packed_rows.h"
#include "data/provider.h"

namespace data::detail {

enum class RowState : std::uint8_t {
  kUnchanged,  // as read (or as last accepted by UpdateBatch)
  kModified,   // changed since; the values as read are in RowStore::originals
  kAdded,      // new, not yet sent
  kDeleted,    // deleted, not yet sent; invisible to every cursor
  kGone,       // sent deletion or cancelled new row; its slot stays so indices keep their rows
};

// Field name to ordinal, case-insensitive; the first of two equal names wins, as Fields.Item
// finds the first.
using NameIndex =
    std::unordered_map<std::string, int, automation::FoldedNameHash, automation::FoldedNameEqual>;

// How pending changes reach the base table; computed once per store on the first write-back.
struct WritePlan {
  bool computed = false;
  std::string refusal;  // why the rows cannot be written back; empty when they can
  std::string table;
  std::vector<int> writable;  // ordinals of the columns that belong to `table`
  std::vector<int> keys;      // ordinals of its primary-key columns, in key order
};

struct RowStore {
  static constexpr std::size_t kScannedColumns = 8;

  // A row being written: unpacked while any cursor edits it, packed again when the last edit
  // ends (unless it holds a value with no packed form, such as an object).
  struct OpenRow {
    Row values;
    int editors = 0;
  };

  ColumnList columns;
  NameIndex names;  // built on demand by name_index()
  RowArena arena;
  std::vector<const std::uint8_t*> packed;  // null for a row that is open or gone
  std::unordered_map<std::size_t, OpenRow> open_rows;
  // The state of each row; empty while every row is as read (most results are never
  // written), and filled in on the first change.
  std::vector<RowState> states;
  std::unordered_map<std::size_t, Row> originals;
  bool fabricated = false;  // no database behind it: UpdateBatch only accepts the changes
  WritePlan write_plan;

  // Changes of visibility (rows added, deleted, gone, restored) and of values; the cursors
  // rebuild their cached lists of visible rows when these move.
  std::uint64_t structure_version = 0;
  std::uint64_t data_version = 0;
  std::size_t live_count = 0;  // rows neither deleted nor gone

  std::size_t row_count() const { return packed.size(); }

  // The ordinal of a column name, or -1. A few columns (the usual lookup query) are searched
  // in place; the index is built on the first search of a wider result.
  int find_name(std::string_view name) {
    if (columns.size() <= kScannedColumns) {
      for (std::size_t i = 0; i < columns.size(); ++i) {
        if (automation::iequals(columns[i].name, name)) return static_cast<int>(i);
      }
      return -1;
    }
    const NameIndex& index = name_index();
    auto it = index.find(name);
    return it == index.end() ? -1 : it->second;
  }

  const NameIndex& name_index() {
    if (names.empty() && !columns.empty()) {
      for (std::size_t i = 0; i < columns.size(); ++i) {
        names.emplace(columns[i].name, static_cast<int>(i));
      }
    }
    return names;
  }

  RowState state(std::size_t i) const {
    return i < states.size() ? states[i] : RowState::kUnchanged;
  }
  bool live(std::size_t i) const {
    RowState s = state(i);
    return s != RowState::kDeleted && s != RowState::kGone;
  }
  bool pending(std::size_t i) const {
    RowState s = state(i);
    return s == RowState::kModified || s == RowState::kAdded || s == RowState::kDeleted;
  }

  // The values of row `i` (not gone): the open row itself, or the packed row decoded into
  // `scratch`. `decoded_from` remembers which packed row `scratch` holds, so reading the same
  // row again decodes nothing; packed rows never change, a changed row is packed anew.
  const Row& values(std::size_t i, Row& scratch, const std::uint8_t*& decoded_from) const {
    const std::uint8_t* p = packed[i];
    if (p == nullptr) return open_rows.at(i).values;
    if (p != decoded_from) {
      unpack_row(p, columns.size(), scratch);
      decoded_from = p;
    }
    return scratch;
  }
  // The values of row `i` at `ordinals` (ascending), for a filter; the others in `scratch`
  // are stale.
  const Row& some_values(std::size_t i, std::span<const int> ordinals, Row& scratch) const {
    const std::uint8_t* p = packed[i];
    if (p == nullptr) return open_rows.at(i).values;
    scratch.resize(columns.size());
    unpack_columns(p, ordinals, scratch);
    return scratch;
  }
  Row copy_of(std::size_t i) const {
    Row scratch;
    const std::uint8_t* from = nullptr;
    return values(i, scratch, from);
  }

  // Opens row `i` for an edit; the values stay where they are until release().
  Row& hold(std::size_t i) {
    OpenRow& open = open_row(i);
    ++open.editors;
    return open.values;
  }
  // Ends one edit of row `i`; the last one packs it again.
  void release(std::size_t i) {
    auto it = open_rows.find(i);
    if (it == open_rows.end()) return;
    if (it->second.editors > 0) --it->second.editors;
    settle(i);
  }
  // Writes outside an edit (restoring originals): the row takes `values` whole.
  void replace(std::size_t i, Row&& values) {
    open_row(i).values = std::move(values);
    settle(i);
  }

  // Adopts rows as read from the database.
  void adopt(PackedRows&& fetched) {
    arena = fetched.take_arena();
    packed = fetched.take_rows();
    states.clear();
    live_count = packed.size();
    ++structure_version;
  }

  std::size_t add_row() {
    std::size_t i = packed.size();
    packed.push_back(nullptr);
    states.resize(i, RowState::kUnchanged);
    states.push_back(RowState::kAdded);
    open_row(i);
    ++live_count;
    ++structure_version;
    return i;
  }

  void set_state(std::size_t i, RowState next) {
    bool was_live = live(i);
    if (states.size() <= i) states.resize(packed.size(), RowState::kUnchanged);
    states[i] = next;
    bool is_live = live(i);
    if (was_live && !is_live) --live_count;
    if (!was_live && is_live) ++live_count;
    if (next == RowState::kGone) {
      packed[i] = nullptr;
      originals.erase(i);
      settle(i);
    }
    ++structure_version;
  }

 private:
  using OpenRows = std::unordered_map<std::size_t, OpenRow>;

  // The open row `i`, unpacked now if it was packed; a row with nothing packed (new or gone)
  // opens with every value Empty.
  OpenRow& open_row(std::size_t i) {
    auto it = open_rows.find(i);
    if (it != open_rows.end()) return it->second;
    if (spare_.empty()) {
      it = open_rows.try_emplace(i).first;
    } else {
      spare_.key() = i;
      spare_.mapped().editors = 0;
      it = open_rows.insert(std::move(spare_)).position;
    }
    Row& values = it->second.values;
    if (packed[i] != nullptr) {
      unpack_row(packed[i], columns.size(), values);
      packed[i] = nullptr;
    } else {
      values.clear();
      values.resize(columns.size());
    }
    return it->second;
  }

  // An open row nobody edits is packed again; a gone one is dropped. A row being edited keeps
  // its place, so the editing cursor's reference to it stays good.
  void settle(std::size_t i) {
    auto it = open_rows.find(i);
    if (it == open_rows.end() || it->second.editors > 0) return;
    if (state(i) == RowState::kGone) {
      open_rows.erase(it);
      return;
    }
    const std::uint8_t* row = arena.store(it->second.values);
    if (row == nullptr) return;
    packed[i] = row;
    // The node and its row's room serve the next row opened: a view adds, and a re-key pass
    // rewrites, thousands of rows one after another.
    spare_ = open_rows.extract(it);
  }

  OpenRows::node_type spare_;
};

}  // namespace data::detail
