// The automation session: each input is a few request lines, run in process by a new session on
// a fresh copy of the demo database. Every line must get an answer, an error answer at worst.
//
// The attachment methods write and delete files in the folder they are given; here that folder
// is always the run's own scratch folder, so no input can touch a file anywhere else.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

#include "automation/folded_name.h"
#include "console/demo.h"
#include "console/session.h"

namespace {

namespace fs = std::filesystem;
using nlohmann::json;

struct Scratch {
  fs::path folder;
  fs::path demo;      // made once
  fs::path database;  // the copy each input works on
  std::string temp;   // the attachment folder, with its trailing separator
};

const Scratch& scratch() {
  static const Scratch kMade = [] {
    Scratch s;
    s.folder = fs::temp_directory_path() / ("dorsel-fuzz-session-" + std::to_string(::getpid()));
    fs::remove_all(s.folder);
    fs::create_directories(s.folder / "tmp");
    s.demo = s.folder / "demo.sqlite";
    s.database = s.folder / "run.sqlite";
    s.temp = (s.folder / "tmp").string() + "/";
    console::create_demo_database(s.demo.string());
    std::atexit([] { fs::remove_all(scratch().folder); });
    return s;
  }();
  return kMade;
}

// The request with the folder argument of GetPathFileAllegato and RemoveAllFile replaced by the
// scratch folder; any other line as it is.
std::string confined(const std::string& line, const std::string& temp) {
  json request = json::parse(line, nullptr, false);
  if (request.is_discarded() || !request.is_object()) return line;
  const auto call = request.find("call");
  const auto args = request.find("args");
  if (call == request.end() || !call->is_string() || args == request.end() || !args->is_array()) {
    return line;
  }
  const std::string& member = call->get_ref<const std::string&>();
  std::size_t folder = 0;
  if (automation::FoldedNameEqual()(member, "GetPathFileAllegato")) {
    folder = 1;
  } else if (!automation::FoldedNameEqual()(member, "RemoveAllFile")) {
    return line;
  }
  if (args->size() <= folder) return line;
  (*args)[folder] = temp;
  return request.dump();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const Scratch& s = scratch();
  fs::copy_file(s.demo, s.database, fs::copy_options::overwrite_existing);
  console::HostOptions options;
  options.database = s.database.string();
  options.temp = s.temp;
  {
    console::Session session(options);
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    for (std::size_t begin = 0; begin <= input.size();) {
      std::size_t end = input.find('\n', begin);
      if (end == std::string_view::npos) end = input.size();
      const std::string line(input.substr(begin, end - begin));
      begin = end + 1;
      if (line.find_first_not_of(" \t\r") == std::string::npos) continue;
      const std::string answer = session.handle(confined(line, s.temp));
      // Every answer is one line of JSON, whatever the request was.
      if (answer.empty() || answer.find('\n') != std::string::npos) std::abort();
    }
  }
  for (const auto& entry : fs::directory_iterator(s.temp)) fs::remove_all(entry.path());
  return 0;
}
