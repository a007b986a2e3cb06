// The component's view of the host's global object: the late-bound chains it calls, in one
// place. Every chain starts at the stored host object and goes through ClsGlobal; members are
// looked up by name on every use and nothing is cached, so a change of company or language
// takes effect at the next call.
#pragma once

#include <string>

#include "automation/variant.h"

namespace dorsel::host {

// ClsGlobal.Gcls_DittaCorrente.CodDitta. Raises 424 when no host object was ever stored, 91
// when it is Nothing, 438 for a member the host lacks, or the host's own error.
automation::Variant company_code(const automation::Variant& host);

// ClsGlobal.Gcls_DittaCorrente.LinguaAzienda, as text.
std::string company_language(const automation::Variant& host);

// ClsGlobal.Gcls_DittaCorrente: the current-company object.
automation::ObjectPtr current_company(const automation::Variant& host);

// ClsGlobal.Gcls_MULTILINGUA.TraduzioneTesto(id): the text in the user's language, unchanged.
automation::Variant translate_text(const automation::Variant& host, std::int32_t text_id);

// Whether a host object is stored (the presence test made before the language and the
// translations).
bool is_present(const automation::Variant& host);

}  // namespace dorsel::host
