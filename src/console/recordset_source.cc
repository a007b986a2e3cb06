#include "console/recordset_source.h"

namespace console {

automation::Variant RecordsetSource::invoke(std::string_view name, automation::InvokeKind kind,
                                            std::span<automation::Variant> args) {
  static const automation::DispatchTable<RecordsetSource> kTable = [] {
    automation::DispatchTable<RecordsetSource> t;
    t.method("NuovoRecordset", [](RecordsetSource& self, std::span<automation::Variant>) {
      return automation::Variant(automation::ObjectPtr(self.NuovoRecordset()));
    });
    return t;
  }();
  return kTable.invoke(*this, name, kind, args);
}

data::RecordsetPtr RecordsetSource::NuovoRecordset() {
  data::RecordsetPtr recordset = data::Recordset::create();
  recordset->SetCursorLocation(data::kUseClient);
  recordset->SetCursorType(data::kOpenStatic);
  recordset->SetLockType(data::kLockBatchOptimistic);
  return recordset;
}

}  // namespace console
