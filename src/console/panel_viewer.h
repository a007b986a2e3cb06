// The panel viewer for people: creates the component as a host would, loads an item's panels
// and prints each one as a readable table (or as JSON).
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "console/options.h"

namespace console {

enum class ViewFormat { kTable, kJson };

// The panel names the viewer knows, in the order it shows them by default.
const std::vector<std::string>& viewer_panels();

// Shows `panels` (all of them when empty) of an item. Returns the exit code; errors are
// printed to `err`.
int run_show(const HostOptions& options, const std::string& item,
             const std::vector<std::string>& panels, ViewFormat format, std::ostream& out,
             std::ostream& err);

}  // namespace console
