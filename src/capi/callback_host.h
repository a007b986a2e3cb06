// A host application's global object made of the C callback table it hands over (dorsel_host):
// ClsGlobal, whose Gcls_DittaCorrente answers CodDitta, LinguaAzienda and DecimaliPrezzo and
// whose Gcls_MULTILINGUA answers TraduzioneTesto, by calling the caller's functions on every
// use. The names, and the type names, are those of the reference host, so the component sees
// no difference. A callback that fails raises an automation::Error with the callback's number,
// source and message.
#pragma once

#include "automation/object.h"
#include "dorsel/dorsel.h"

namespace capi {

// The table is copied; its user pointer must outlive the objects.
automation::ObjectPtr make_callback_host(const dorsel_host& table);

}  // namespace capi
