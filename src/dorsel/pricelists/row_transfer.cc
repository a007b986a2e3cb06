// Not built yet: each member raises 445 (Object doesn't support this action).
#include "automation/error.h"
#include "dorsel/frame/clsmg_dorsel.h"

namespace dorsel {

void CLSMG_DORSEL::Trasferisci_in_Grst_RecSet_LI10Ven_Append() {
  throw automation::Error(automation::errc::kActionNotSupported, "TRAVE_DORSEL");
}

void CLSMG_DORSEL::Trasferisci_in_Grst_RecSet_LI10Acq_Append() {
  throw automation::Error(automation::errc::kActionNotSupported, "TRAVE_DORSEL");
}

}  // namespace dorsel
