// Not built yet: each member raises 445 (Object doesn't support this action).
#include "automation/error.h"
#include "dorsel/frame/clsmg_dorsel.h"

namespace dorsel {

bool CLSMG_DORSEL::StoricizzaNomenclaturaIntra(std::string&, std::string&, std::int16_t&) {
  throw automation::Error(automation::errc::kActionNotSupported, "TRAVE_DORSEL");
}

}  // namespace dorsel
