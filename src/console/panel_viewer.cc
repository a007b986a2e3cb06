#include "console/panel_viewer.h"

#include <ostream>

namespace console {

const std::vector<std::string>& viewer_panels() {
  static const std::vector<std::string> panels;
  return panels;
}

int run_show(const HostOptions&, const std::string&, const std::vector<std::string>&, ViewFormat,
             std::ostream&, std::ostream& err) {
  err << "dorsel show: the panel viewer is not built yet\n";
  return 2;
}

}  // namespace console
