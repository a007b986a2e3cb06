#include "dorsel/pricelists/view_support.h"

#include "automation/reference.h"
#include "automation/text.h"

namespace dorsel::pricelists {
void append_columns(const data::RecordsetPtr& slot, std::span<const ColumnDecl> columns) {
  data::Fields& fields = automation::require_set(slot).Fields();
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
    if (automation::iequals(at.Name(), name_)) field = &at;
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
