// The host's temporary folder for attachment files, as the attachment operations see it: the
// names they may touch there, whether a file is present, and deleting one. A file's path is the
// host's folder text immediately followed by the name, so a name must never be able to point
// anywhere else. Stateless; safe from any thread.
#pragma once

#include <string>
#include <string_view>

namespace dorsel::attachments {

// Whether `name` stays inside the folder it is appended to: false for an empty name, ".",
// "..", a name holding '/', '\\' or a NUL, an absolute name, and a drive prefix ("C:").
bool is_safe_file_name(std::string_view name);

// Whether a regular file (not a folder, not a symbolic link) is at `path`. A path that is not
// there, or whose folder is not there, gives false. Raises 75 (Path/File access error) for a path
// holding a NUL and when the look-up itself fails (a folder that cannot be searched).
bool file_exists(const std::string& path);

// Deletes the file at `path`. Raises 53 (File not found) when nothing is there, 70 (Permission
// denied) when the system refuses, 75 for a folder, a path holding a NUL or any other failure;
// a failure leaves the file as it was.
void delete_file(const std::string& path);

}  // namespace dorsel::attachments
