// What a host process registers before it drives the component: the database providers and
// the creatable classes (the component, the price library, the recordset source).
#pragma once

namespace console {

// Idempotent and safe to call from several threads at once.
void register_everything();

}  // namespace console
