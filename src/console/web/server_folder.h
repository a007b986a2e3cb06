// The server's own folder for attachment files: a new folder with a name of its own, made
// inside the folder given (the system's temporary folder when none is), removed with
// everything in it when the object goes. Not thread-safe.
#pragma once

#include <filesystem>

namespace console::web {

class ServerFolder {
 public:
  // Raises 75 (path/file access error) naming the parent when the folder cannot be made.
  explicit ServerFolder(const std::filesystem::path& parent);
  ~ServerFolder();
  ServerFolder(const ServerFolder&) = delete;
  ServerFolder& operator=(const ServerFolder&) = delete;

  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

}  // namespace console::web
