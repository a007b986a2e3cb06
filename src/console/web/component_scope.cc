#include "console/web/component_scope.h"

#include <string_view>

#include "automation/error.h"
#include "automation/factory.h"

namespace console::web {

automation::Ambient ComponentScope::request_ambient(const HostOptions& options) {
  automation::Ambient ambient;
  if (options.decimal_comma) ambient.number_format = automation::NumberFormat::italian();
  // The instance's trace lines are for a host's debugger; a server has none to show them to.
  ambient.debug_sink = [](std::string_view) {};
  return ambient;
}

ComponentScope::ComponentScope(ConnectionPool& pool, std::int32_t company,
                               const std::string& language)
    : ambient_(request_ambient(pool.options())),
      installed_(ambient_),
      lease_(pool.acquire()),
      host_(HostApplication::create(lease_.connection(), company, language)) {
  component_ = std::dynamic_pointer_cast<dorsel::CLSMG_DORSEL>(
      automation::create_object(dorsel::kClassName));
  if (!component_) throw automation::Error(automation::errc::kTypeMismatch, "dorsel serve");
  component_->SetConnessione(lease_.connection());
  if (!pool.options().no_host) {
    component_->SetActiveInterface(automation::Variant(automation::ObjectPtr(host_)));
  }
  component_->Initialize();
}

// The component goes first, while the request's surroundings are still installed: its last
// trace line must not reach another request's sink.
ComponentScope::~ComponentScope() { component_.reset(); }

}  // namespace console::web
