// Not built yet: each member raises 445 (Object doesn't support this action).
#include "automation/error.h"
#include "dorsel/frame/clsmg_dorsel.h"

namespace dorsel {

void CLSMG_DORSEL::Init_MG6B_parametrivarianti() {
  throw automation::Error(automation::errc::kActionNotSupported, "TRAVE_DORSEL");
}

void CLSMG_DORSEL::Init_MG72_applicazioni() {
  throw automation::Error(automation::errc::kActionNotSupported, "TRAVE_DORSEL");
}

void CLSMG_DORSEL::Init_MG6D_flagvarianti() {
  throw automation::Error(automation::errc::kActionNotSupported, "TRAVE_DORSEL");
}

void CLSMG_DORSEL::Init_MG87_note(const std::string&) {
  throw automation::Error(automation::errc::kActionNotSupported, "TRAVE_DORSEL");
}

void CLSMG_DORSEL::Init_MG67_scorte(const std::string&) {
  throw automation::Error(automation::errc::kActionNotSupported, "TRAVE_DORSEL");
}

void CLSMG_DORSEL::Init_MG68_confezioni(const std::string&) {
  throw automation::Error(automation::errc::kActionNotSupported, "TRAVE_DORSEL");
}

void CLSMG_DORSEL::Init_MG7A_infoubic(const std::string&) {
  throw automation::Error(automation::errc::kActionNotSupported, "TRAVE_DORSEL");
}

void CLSMG_DORSEL::Init_MG98_INTRA(const std::string&) {
  throw automation::Error(automation::errc::kActionNotSupported, "TRAVE_DORSEL");
}

void CLSMG_DORSEL::Init_MG1Q_nomenclature_INTRA_art(const std::string&, std::int16_t) {
  throw automation::Error(automation::errc::kActionNotSupported, "TRAVE_DORSEL");
}

}  // namespace dorsel
