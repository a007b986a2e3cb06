// What the price-list views share: their column declarations, the way a slot is reached, and
// how a column is found once and then read by position for every row. Internal to the
// price-list views; not part of the component's interface. Not thread-safe.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "automation/variant.h"
#include "data/ado.h"
#include "data/field.h"
#include "data/recordset.h"
#include "prezzi/price_calculation.h"

namespace dorsel::pricelists {

// Shorthands for the column tables of the views.
using data::DataType;
inline constexpr std::int32_t kUnspecified = data::kFldUnspecified;
inline constexpr std::int32_t kMayBeNull = data::kFldMayBeNull;

// One declared column of a view: what Fields.Append is given (no default value).
struct ColumnDecl {
  std::string_view name;
  data::DataType type;
  std::int32_t defined_size;
  std::int32_t attributes;
};

// The 48 columns of the sales and purchase views, in the order the panels bind to.
std::span<const ColumnDecl> price_list_view_columns();
// The 34 columns of the last-prices view.
std::span<const ColumnDecl> last_prices_view_columns();

// Appends `columns`, in order, to the recordset a view slot holds. Raises 91 when the slot
// holds no recordset, or what Fields.Append raises (3705 on an open recordset, 3367 for a
// column already there); the columns appended before the error stay.
void append_columns(const data::RecordsetPtr& slot, std::span<const ColumnDecl> columns);

// A column of one recordset, found by name once and then reached by position. A column the
// recordset lacks is looked up by name again at each use, so the error (3265) comes where the
// column is first read or written, not before.
class Column {
 public:
  Column() = default;
  Column(const data::Recordset& recordset, std::string_view name)
      : name_(name), ordinal_(recordset.Fields().index_of(name)) {}
  // For a view built from a known layout: `ordinal` is checked against the name before use.
  Column(std::string_view name, int ordinal) : name_(name), ordinal_(ordinal) {}

  data::Field& in(data::Recordset& recordset) const {
    const data::Fields& fields = recordset.Fields();
    if (found_ != nullptr && found_in_ == &fields && found_generation_ == fields.generation()) {
      return *found_;
    }
    return find(recordset);
  }
  // The value in the current row, without a copy (valid until the row changes).
  const automation::Variant& value(data::Recordset& recordset) const {
    return in(recordset).value_ref();
  }
  void set(data::Recordset& recordset, const automation::Variant& value) const {
    in(recordset).SetValue(value);
  }
  std::string_view name() const { return name_; }

 private:
  data::Field& find(data::Recordset& recordset) const;

  std::string_view name_;
  int ordinal_ = -1;
  // The field last found, for as long as that recordset keeps its fields: a view row reads
  // and writes some hundred columns.
  mutable data::Field* found_ = nullptr;
  mutable const data::Fields* found_in_ = nullptr;
  mutable std::uint64_t found_generation_ = 0;
};

// The position of `name` in `columns`, or -1; for Column's hint.
int position_of(std::span<const ColumnDecl> columns, std::string_view name);

// Clears the filter of a recordset (adFilterNone), as a panel's view is always built from the
// whole source.
void clear_filter(data::Recordset& recordset);

}  // namespace dorsel::pricelists
