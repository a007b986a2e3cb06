// Shared pieces of the C interface's tests: a database file of their own and requests whose
// answers come back parsed, with the library's buffer freed.
#pragma once

#include <dorsel/dorsel.h>
#include <unistd.h>

#include <nlohmann/json.hpp>

#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>

namespace capi_test {

// An SQLite file with the ERP schema (and the demo rows when asked), made by the program of the
// same build, and removed at the end. The tests link the library alone, as a host does, so no
// second copy of the layers shares their process.
class DatabaseFile {
 public:
  explicit DatabaseFile(std::string_view name, bool demo = false)
      : path_(std::filesystem::temp_directory_path() /
              ("dorsel-capi-" + std::string(name) + "-" + std::to_string(::getpid()) + ".sqlite")) {
    std::filesystem::remove(path_);
    // Both paths are the build's and the temporary folder's: no quote inside either.
    const std::string command = "'" + std::string(DORSEL_BINARY_DIR) + "/bin/dorsel' " +
                                (demo ? "demo '" : "schema '") + path_.string() + "' >/dev/null";
    if (std::system(command.c_str()) != 0) throw std::runtime_error("failed: " + command);
  }
  ~DatabaseFile() {
    std::error_code ignored;
    for (const char* suffix : {"", "-wal", "-shm"}) {
      std::filesystem::remove(path_.string() + suffix, ignored);
    }
  }
  DatabaseFile(const DatabaseFile&) = delete;
  DatabaseFile& operator=(const DatabaseFile&) = delete;
  std::string path() const { return path_.string(); }

 private:
  std::filesystem::path path_;
};

// The answer's text, the library's buffer freed; "<null>" when there was none.
inline std::string answer_text(dorsel_instance* instance, std::string_view request) {
  char* answer = dorsel_request(instance, request.data(), request.size());
  std::string text = answer == nullptr ? "<null>" : answer;
  dorsel_free(answer);
  return text;
}

inline nlohmann::json ask(dorsel_instance* instance, std::string_view request) {
  return nlohmann::json::parse(answer_text(instance, request));
}

// Opens on a database file; fails the test (and gives null) when the open fails.
inline dorsel_instance* open_on(const std::string& database, const dorsel_host* host = nullptr) {
  dorsel_options options;
  dorsel_options_init(&options);
  options.database = database.c_str();
  options.host = host;
  dorsel_instance* instance = nullptr;
  char* error = nullptr;
  const int failed = dorsel_open(&options, &instance, &error);
  std::string text = error == nullptr ? "" : error;
  dorsel_free(error);
  EXPECT_EQ(failed, 0) << text;
  return instance;
}

}  // namespace capi_test
