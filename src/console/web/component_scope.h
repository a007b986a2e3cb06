// One request's own component, as a host binds it: a connection from the pool, the host
// object for the request's company and language, the component created by its class name,
// bound (Connessione, ActiveInterface) and initialised. The request's runtime surroundings
// (number format, a trace sink that drops the lines) are installed on the calling thread for
// the scope's life, so requests on other threads see nothing of it. One thread, one request.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "automation/ambient.h"
#include "console/host_objects.h"
#include "console/web/connection_pool.h"
#include "dorsel/frame/clsmg_dorsel.h"

namespace console::web {

class ComponentScope {
 public:
  // `language` empty: the company's own. Raises what opening, binding or Initialize raises.
  ComponentScope(ConnectionPool& pool, std::int32_t company, const std::string& language);
  ~ComponentScope();
  ComponentScope(const ComponentScope&) = delete;
  ComponentScope& operator=(const ComponentScope&) = delete;

  dorsel::CLSMG_DORSEL& component() { return *component_; }
  data::Connection& connection() { return *lease_.connection(); }
  HostApplication& host() { return *host_; }

 private:
  static automation::Ambient request_ambient(const HostOptions& options);

  automation::Ambient ambient_;
  automation::ScopedAmbient installed_;
  ConnectionPool::Lease lease_;
  std::shared_ptr<HostApplication> host_;
  std::shared_ptr<dorsel::CLSMG_DORSEL> component_;
};

}  // namespace console::web
