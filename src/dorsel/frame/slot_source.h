// Filling a slot from the host's recordset source: the step the loaders, the attachment
// operations and the catalogue service share. On the component's thread only, like the
// component itself.
#pragma once

#include <string>

#include "data/recordset.h"
#include "dorsel/frame/clsmg_dorsel.h"

namespace dorsel {

// What happens to a recordset the source hands out already open.
enum class HandedOutOpen {
  kOpenAsIs,    // Open is called on it as it is (and raises 3705)
  kCloseFirst,  // it is closed, then opened on the query
};

// A new recordset from a new recordset source into `slot` (the previous one is dropped, not
// closed), opened on `sql` with the stored connection, cursor and lock type unspecified and
// the command-text option; the source is released last. An error leaves the new recordset in
// the slot and the source reference held, for the caller's trap to report.
void open_from_source(CLSMG_DORSEL& component, data::RecordsetPtr& slot, const std::string& sql,
                      HandedOutOpen handed_out_open);

}  // namespace dorsel
