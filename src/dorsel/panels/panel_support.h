// What the three panel methods share beside their queries: the company language they read at
// the start of every call and the way they reach a slot's recordset. Internal to the panel
// methods; not thread-safe (one component, one thread).
#pragma once

#include <string>

#include "data/recordset.h"
#include "dorsel/frame/clsmg_dorsel.h"

namespace dorsel::panels {

// The company language: the host's LinguaAzienda when the component holds a host object,
// else "ITA ". Raises what the host's chain raises.
std::string panel_language(const CLSMG_DORSEL& component);

}  // namespace dorsel::panels
