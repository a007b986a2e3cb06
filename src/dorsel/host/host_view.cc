#include "dorsel/host/host_view.h"

#include "automation/convert.h"
#include "automation/object.h"

namespace dorsel::host {
namespace {

automation::Variant member_of(const automation::Variant& object, std::string_view member) {
  return automation::require_object(object)->get(member);
}

automation::Variant global_services(const automation::Variant& host) {
  return member_of(host, "ClsGlobal");
}

}  // namespace

automation::Variant company_code(const automation::Variant& host) {
  return member_of(member_of(global_services(host), "Gcls_DittaCorrente"), "CodDitta");
}

std::string company_language(const automation::Variant& host) {
  return automation::to_text(
      member_of(member_of(global_services(host), "Gcls_DittaCorrente"), "LinguaAzienda"));
}

automation::ObjectPtr current_company(const automation::Variant& host) {
  automation::Variant company = member_of(global_services(host), "Gcls_DittaCorrente");
  return automation::require_object(company);
}

automation::Variant translate_text(const automation::Variant& host, std::int32_t text_id) {
  automation::Variant translations = member_of(global_services(host), "Gcls_MULTILINGUA");
  // The original passes its literal ids, which the runtime types as Integer below 32768.
  automation::Variant id = text_id >= -32768 && text_id <= 32767
                               ? automation::Variant(static_cast<std::int16_t>(text_id))
                               : automation::Variant(text_id);
  return automation::require_object(translations)
      ->invoke("TraduzioneTesto", automation::InvokeKind::kMethod, std::span(&id, 1));
}

bool is_present(const automation::Variant& host) {
  return host.is_object() && host.as_object() != nullptr;
}

}  // namespace dorsel::host
