// Not built yet: each member raises 445 (Object doesn't support this action).
#include "automation/error.h"
#include "dorsel/frame/clsmg_dorsel.h"

namespace dorsel {

std::string CLSMG_DORSEL::GetPathFileAllegato(std::int16_t, const std::string&, bool) {
  throw automation::Error(automation::errc::kActionNotSupported, "TRAVE_DORSEL");
}

void CLSMG_DORSEL::RemoveAllegato(const std::string&) {
  throw automation::Error(automation::errc::kActionNotSupported, "TRAVE_DORSEL");
}

void CLSMG_DORSEL::RemoveAllFile(const std::string&) {
  throw automation::Error(automation::errc::kActionNotSupported, "TRAVE_DORSEL");
}

}  // namespace dorsel
