#include "dorsel/panels/panel_support.h"

#include "dorsel/host/host_view.h"

namespace dorsel::panels {

std::string panel_language(const CLSMG_DORSEL& component) {
  // A host that was never handed in, or was cleared, leaves the default language.
  const automation::Variant host = component.host();
  if (!host::is_present(host)) return "ITA ";
  return host::company_language(host);
}

}  // namespace dorsel::panels
