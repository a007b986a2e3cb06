// Not built yet: each member raises 445 (Object doesn't support this action).
#include "automation/error.h"
#include "dorsel/frame/clsmg_dorsel.h"

namespace dorsel {

void CLSMG_DORSEL::InitializeRecordsetLI10Ven() {
  throw automation::Error(automation::errc::kActionNotSupported, "TRAVE_DORSEL");
}

void CLSMG_DORSEL::InitializeRecordsetLI10Acq() {
  throw automation::Error(automation::errc::kActionNotSupported, "TRAVE_DORSEL");
}

void CLSMG_DORSEL::InitializeRecordsetLI11() {
  throw automation::Error(automation::errc::kActionNotSupported, "TRAVE_DORSEL");
}

}  // namespace dorsel
