#include "dorsel/pricelists/view_support.h"

#include "automation/error.h"

namespace dorsel::pricelists {
namespace {

bool same_name(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 'a' + 'A');
    if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 'a' + 'A');
    if (x != y) return false;
  }
  return true;
}

[[noreturn]] void raise_not_set() {
  throw automation::Error(automation::errc::kObjectVariableNotSet,
                          std::string(automation::kRuntimeSource));
}

}  // namespace

data::Recordset& require(const data::RecordsetPtr& slot) {
  if (!slot) raise_not_set();
  return *slot;
}

prezzi::PriceCalculation& require(const prezzi::PriceCalculationPtr& price) {
  if (!price) raise_not_set();
  return *price;
}

void append_columns(const data::RecordsetPtr& slot, std::span<const ColumnDecl> columns) {
  data::Fields& fields = require(slot).Fields();
  for (const ColumnDecl& column : columns) {
    fields.Append(column.name, column.type, column.defined_size, column.attributes);
  }
}

data::Field& Column::find(data::Recordset& recordset) const {
  data::Fields& fields = recordset.Fields();
  data::Field* field = nullptr;
  if (ordinal_ >= 0 && ordinal_ < fields.Count()) {
    data::Field& at = fields.Item(ordinal_);
    // A host may have put a recordset of its own into a slot: the position is only a hint.
    if (at.Name() == name_ || same_name(at.Name(), name_)) field = &at;
  }
  if (field == nullptr) field = &fields.Item(name_);
  found_ = field;
  found_in_ = &fields;
  found_generation_ = fields.generation();
  return *field;
}

int position_of(std::span<const ColumnDecl> columns, std::string_view name) {
  for (std::size_t i = 0; i < columns.size(); ++i) {
    if (columns[i].name == name) return static_cast<int>(i);
  }
  return -1;
}

void clear_filter(data::Recordset& recordset) {
  recordset.SetFilter(automation::Variant(std::int32_t{data::kFilterNone}));
}

}  // namespace dorsel::pricelists
