#include "console/web/server_folder.h"

#include <cstdlib>
#include <string>
#include <system_error>

#include "automation/error.h"

namespace console::web {

ServerFolder::ServerFolder(const std::filesystem::path& parent) {
  std::error_code error;
  std::filesystem::path base =
      parent.empty() ? std::filesystem::temp_directory_path(error) : parent;
  if (!error) std::filesystem::create_directories(base, error);
  std::string pattern = (base / "dorsel-serve-XXXXXX").string();
  if (error || mkdtemp(pattern.data()) == nullptr) {
    throw automation::Error(automation::errc::kPathFileAccessError, "dorsel serve",
                            "Path/File access error: " + base.string());
  }
  path_ = pattern;
}

ServerFolder::~ServerFolder() {
  std::error_code ignored;
  // remove_all does not follow links: a link put in the folder goes, not what it points to.
  std::filesystem::remove_all(path_, ignored);
}

}  // namespace console::web
