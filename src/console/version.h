// The program's name and version.
#pragma once

#include <string_view>

namespace console {

std::string_view version();

}  // namespace console
