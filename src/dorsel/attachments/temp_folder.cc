#include "dorsel/attachments/temp_folder.h"

#include <filesystem>
#include <system_error>

#include "automation/error.h"

namespace dorsel::attachments {

namespace fs = std::filesystem;

namespace {

[[noreturn]] void raise(std::int32_t number) { automation::raise_runtime(number); }

// The system would cut a path at its first NUL and reach another file than the one named.
void refuse_embedded_nul(const std::string& path) {
  if (path.find('\0') != std::string::npos) raise(automation::errc::kPathFileAccessError);
}

bool is_ascii_letter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

}  // namespace

bool is_safe_file_name(std::string_view name) {
  if (name.empty() || name == "." || name == "..") return false;
  if (name.find_first_of(std::string_view("/\\\0", 3)) != std::string_view::npos) return false;
  // A drive prefix makes the name its own path on the hosts that know drives.
  if (name.size() >= 2 && is_ascii_letter(name[0]) && name[1] == ':') return false;
  return !fs::path(name).has_root_path();
}

bool file_exists(const std::string& path) {
  refuse_embedded_nul(path);
  std::error_code error;
  // A link is not a file that is there, whatever it points to: it could lead out of the folder.
  const fs::file_status status = fs::symlink_status(fs::path(path), error);
  // A name that is not there, or a folder that is not there, simply finds nothing.
  if (status.type() == fs::file_type::not_found) return false;
  if (error) raise(automation::errc::kPathFileAccessError);
  return fs::is_regular_file(status);
}

void delete_file(const std::string& path) {
  refuse_embedded_nul(path);
  std::error_code error;
  // Removing a name must never take a folder with it, even an empty one.
  if (fs::is_directory(fs::symlink_status(fs::path(path), error))) {
    raise(automation::errc::kPathFileAccessError);
  }
  if (fs::remove(fs::path(path), error)) return;
  if (!error || error == std::errc::no_such_file_or_directory) {
    raise(automation::errc::kFileNotFound);
  }
  if (error == std::errc::permission_denied || error == std::errc::operation_not_permitted) {
    raise(automation::errc::kPermissionDenied);
  }
  raise(automation::errc::kPathFileAccessError);
}

}  // namespace dorsel::attachments
