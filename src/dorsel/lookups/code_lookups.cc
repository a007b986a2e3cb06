// Not built yet: each member raises 445 (Object doesn't support this action).
#include "automation/error.h"
#include "dorsel/frame/clsmg_dorsel.h"

namespace dorsel {

std::int16_t CLSMG_DORSEL::Get_MG66_ID_LP09(const std::string&) {
  throw automation::Error(automation::errc::kActionNotSupported, "TRAVE_DORSEL");
}

std::string CLSMG_DORSEL::Get_LP09_CODICE(const std::string&) {
  throw automation::Error(automation::errc::kActionNotSupported, "TRAVE_DORSEL");
}

bool CLSMG_DORSEL::GestioneVelmarRetail() {
  throw automation::Error(automation::errc::kActionNotSupported, "TRAVE_DORSEL");
}

std::int16_t CLSMG_DORSEL::Get_RE37_ID(const std::string&) {
  throw automation::Error(automation::errc::kActionNotSupported, "TRAVE_DORSEL");
}

std::string CLSMG_DORSEL::Get_RE37_CODCLASSEPROD(std::int16_t) {
  throw automation::Error(automation::errc::kActionNotSupported, "TRAVE_DORSEL");
}

std::string CLSMG_DORSEL::EsisteAlias(const std::string&) {
  throw automation::Error(automation::errc::kActionNotSupported, "TRAVE_DORSEL");
}

std::string CLSMG_DORSEL::RecuperaValuta(std::int16_t, std::int16_t&) {
  throw automation::Error(automation::errc::kActionNotSupported, "TRAVE_DORSEL");
}

std::string CLSMG_DORSEL::RecuperaDescrizioneListino(std::int16_t, std::int16_t&) {
  throw automation::Error(automation::errc::kActionNotSupported, "TRAVE_DORSEL");
}

std::string CLSMG_DORSEL::GetCodIvaCompensazione(const std::string&) {
  throw automation::Error(automation::errc::kActionNotSupported, "TRAVE_DORSEL");
}

std::int16_t CLSMG_DORSEL::LocalizzazioneAzienda() {
  throw automation::Error(automation::errc::kActionNotSupported, "TRAVE_DORSEL");
}

}  // namespace dorsel
