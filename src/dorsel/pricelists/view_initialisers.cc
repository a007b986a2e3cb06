// Rebuilding a price-list view: a view is never updated in place. The old one is closed and
// dropped, a new disconnected recordset is declared, opened and filled from its source slot.
#include "automation/error.h"
#include "automation/reference.h"
#include "dorsel/frame/clsmg_dorsel.h"
#include "dorsel/pricelists/view_support.h"

namespace dorsel {
namespace {

using Routine = void (CLSMG_DORSEL::*)();

void rebuild_view(CLSMG_DORSEL& component, data::RecordsetPtr& slot, Routine builder,
                  Routine filler) {
  if (slot) {
    // Closed before it is dropped: a panel still bound to the old view sees it end here.
    if (slot->State() == data::kStateOpen) slot->Close();
    slot.reset();
  }
  slot = data::Recordset::create();
  (component.*builder)();
  automation::require_set(slot).Open(automation::Variant::missing(), automation::Variant::missing(),
                                     data::CursorTypeEnum::kUnspecified,
                                     data::LockTypeEnum::kUnspecified,
                                     data::CommandTypeEnum::kUnspecified);
  (component.*filler)();
}

}  // namespace

void CLSMG_DORSEL::InitializeRecordsetLI10Ven() {
  automation::trap_and_reraise("InitializeRecordsetLI10Ven:", [&] {
    rebuild_view(*this, Grst_RecSet_LI10Ven_append,
                 &CLSMG_DORSEL::CreaRecset_Grst_RecSet_LI10Ven_Append,
                 &CLSMG_DORSEL::Trasferisci_in_Grst_RecSet_LI10Ven_Append);
  });
}

void CLSMG_DORSEL::InitializeRecordsetLI10Acq() {
  automation::trap_and_reraise("InitializeRecordsetLI10Acq:", [&] {
    rebuild_view(*this, Grst_RecSet_LI10Acq_append,
                 &CLSMG_DORSEL::CreaRecset_Grst_RecSet_LI10Acq_Append,
                 &CLSMG_DORSEL::Trasferisci_in_Grst_RecSet_LI10Acq_Append);
  });
}

void CLSMG_DORSEL::InitializeRecordsetLI11() {
  automation::trap_and_reraise("InitializeRecordsetLI11:", [&] {
    rebuild_view(*this, Grst_RecSet_LI11_append, &CLSMG_DORSEL::CreaRecset_Grst_RecSet_LI11,
                 &CLSMG_DORSEL::Trasferisci_in_Grst_RecSet_LI11_Append);
  });
}

}  // namespace dorsel
