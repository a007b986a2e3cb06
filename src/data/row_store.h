// The rows of an opened recordset, shared by the recordset and its clones: the values as the
// cursor shows them, the state of each row with respect to the database (pending changes of a
// batch-optimistic cursor) and the values as read for the rows that were changed.
//
// Rows are never moved or removed while the store lives: a row's index is its bookmark, so
// bookmarks stay valid in every clone whatever the filters; a row that is gone keeps its slot
// with the state kGone. Not thread-safe.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "automation/folded_name.h"
#include "data/provider.h"
#include "data/text_util.h"

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

  std::vector<ColumnInfo> columns;
  NameIndex names;  // built on demand by name_index()
  std::vector<Row> rows;
  std::vector<RowState> states;
  std::unordered_map<std::size_t, Row> originals;
  bool fabricated = false;  // no database behind it: UpdateBatch only accepts the changes
  WritePlan write_plan;

  // Changes of visibility (rows added, deleted, gone, restored) and of values; the cursors
  // rebuild their cached lists of visible rows when these move.
  std::uint64_t structure_version = 0;
  std::uint64_t data_version = 0;
  std::size_t live_count = 0;  // rows neither deleted nor gone

  // The ordinal of a column name, or -1. A few columns (the usual lookup query) are searched
  // in place; the index is built on the first search of a wider result.
  int find_name(std::string_view name) {
    if (columns.size() <= kScannedColumns) {
      for (std::size_t i = 0; i < columns.size(); ++i) {
        if (iequals(columns[i].name, name)) return static_cast<int>(i);
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

  bool live(std::size_t i) const {
    return states[i] != RowState::kDeleted && states[i] != RowState::kGone;
  }
  bool pending(std::size_t i) const {
    RowState s = states[i];
    return s == RowState::kModified || s == RowState::kAdded || s == RowState::kDeleted;
  }

  // Adopts rows as read from the database.
  void adopt(std::vector<Row>&& fetched) {
    rows = std::move(fetched);
    states.assign(rows.size(), RowState::kUnchanged);
    live_count = rows.size();
    ++structure_version;
  }

  std::size_t add_row() {
    rows.emplace_back(columns.size());
    states.push_back(RowState::kAdded);
    ++live_count;
    ++structure_version;
    return rows.size() - 1;
  }

  void set_state(std::size_t i, RowState next) {
    bool was_live = live(i);
    states[i] = next;
    bool is_live = live(i);
    if (was_live && !is_live) --live_count;
    if (!was_live && is_live) ++live_count;
    if (next == RowState::kGone) {
      Row().swap(rows[i]);
      originals.erase(i);
    }
    ++structure_version;
  }
};

}  // namespace data::detail
