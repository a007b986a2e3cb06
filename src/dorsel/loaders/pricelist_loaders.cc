// Not built yet: each member raises 445 (Object doesn't support this action).
#include "automation/error.h"
#include "dorsel/frame/clsmg_dorsel.h"

namespace dorsel {

void CLSMG_DORSEL::Init_LI10(const std::string&, const std::string&) {
  throw automation::Error(automation::errc::kActionNotSupported, "TRAVE_DORSEL");
}

void CLSMG_DORSEL::Init_LI11_ultimi(const std::string&, const std::string&) {
  throw automation::Error(automation::errc::kActionNotSupported, "TRAVE_DORSEL");
}

data::RecordsetPtr CLSMG_DORSEL::ListiniDateValidita(const std::string&, const std::string&, const std::string&) {
  throw automation::Error(automation::errc::kActionNotSupported, "TRAVE_DORSEL");
}

}  // namespace dorsel
