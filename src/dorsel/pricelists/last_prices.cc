// Not built yet: each member raises 445 (Object doesn't support this action).
#include "automation/error.h"
#include "dorsel/frame/clsmg_dorsel.h"

namespace dorsel {

void CLSMG_DORSEL::CreaRecset_Grst_RecSet_LI11() {
  throw automation::Error(automation::errc::kActionNotSupported, "TRAVE_DORSEL");
}

void CLSMG_DORSEL::Trasferisci_in_Grst_RecSet_LI11_Append() {
  throw automation::Error(automation::errc::kActionNotSupported, "TRAVE_DORSEL");
}

}  // namespace dorsel
