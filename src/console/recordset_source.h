// RecordsetSource: the outside class from which the component takes every new recordset.
// NuovoRecordset hands out a new, unopened recordset with a client-side static cursor and
// batch-optimistic locking: what the component relies on (known record counts, filters,
// clones, pending edits a host can save with UpdateBatch).
#pragma once

#include "automation/object.h"
#include "data/recordset.h"

namespace console {

class RecordsetSource : public automation::Object {
 public:
  std::string_view type_name() const override { return "RecordsetSource"; }
  automation::Variant invoke(std::string_view name, automation::InvokeKind kind,
                             std::span<automation::Variant> args) override;

  data::RecordsetPtr NuovoRecordset();
};

}  // namespace console
