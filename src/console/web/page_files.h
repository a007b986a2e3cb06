// The browser console's page: plain HTML, CSS and JavaScript files built into the program, so
// the server needs nothing on disk and fetches nothing from outside. Immutable; thread-safe.
#pragma once

#include <optional>
#include <string_view>

namespace console::web {

struct PageFile {
  std::string_view content;
  std::string_view content_type;
};

// The file served at `path` ("/" is the page itself), or nothing for any other path.
std::optional<PageFile> page_file(std::string_view path);

}  // namespace console::web
