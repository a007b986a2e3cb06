// Not built yet: each member raises 445 (Object doesn't support this action).
#include "automation/error.h"
#include "dorsel/frame/clsmg_dorsel.h"

namespace dorsel {

automation::Variant CLSMG_DORSEL::EsisteConfezionePreferenziale() {
  throw automation::Error(automation::errc::kActionNotSupported, "TRAVE_DORSEL");
}

automation::Variant CLSMG_DORSEL::EsisteDepositoPreferenziale() {
  throw automation::Error(automation::errc::kActionNotSupported, "TRAVE_DORSEL");
}

automation::Variant CLSMG_DORSEL::EsisteDepositoPrelievoVersamento() {
  throw automation::Error(automation::errc::kActionNotSupported, "TRAVE_DORSEL");
}

}  // namespace dorsel
