// Not built yet: each member raises 445 (Object doesn't support this action).
#include "automation/error.h"
#include "dorsel/frame/clsmg_dorsel.h"

namespace dorsel {

data::RecordsetPtr CLSMG_DORSEL::Get_PathImage(const std::string&) {
  throw automation::Error(automation::errc::kActionNotSupported, "TRAVE_DORSEL");
}

data::RecordsetPtr CLSMG_DORSEL::Get_ArticoloEMarca(const std::string&) {
  throw automation::Error(automation::errc::kActionNotSupported, "TRAVE_DORSEL");
}

}  // namespace dorsel
