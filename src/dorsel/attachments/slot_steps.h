// Steps that the attachment and catalogue-service operations share: reaching the host's
// connection and re-opening a slot from a new recordset source. Used on the component's thread
// only, like the component itself.
#pragma once

#include <string>

#include "data/connection.h"
#include "data/recordset.h"
#include "dorsel/frame/clsmg_dorsel.h"

namespace dorsel::attachments {

// The connection set through Connessione. Raises 91 (Object variable or With block variable
// not set) when none is set, as a call on Nothing does.
data::Connection& require_connection(const CLSMG_DORSEL& component);

// A new recordset from a new recordset source into `slot` (the previous one is dropped, not
// closed), closed first should the source hand it out open, then opened on `sql` with the
// stored connection, cursor and lock type unspecified and the command-text option; the source
// is released last. An error leaves the new, unopened recordset in the slot and the source
// reference held, for the caller's trap to report.
void reopen_slot_from_source(CLSMG_DORSEL& component, data::RecordsetPtr& slot,
                             const std::string& sql);

}  // namespace dorsel::attachments
