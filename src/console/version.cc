#include "console/version.h"

namespace console {

std::string_view version() { return "0.1.0"; }

}  // namespace console
