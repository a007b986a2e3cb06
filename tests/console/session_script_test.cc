// Runs every script of tests/console/sessions through the program as a child process.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

#include "support/child_process.h"
#include "support/odbc_test_db.h"

namespace {

namespace fs = std::filesystem;
using nlohmann::json;

// Objects match key by key, arrays element by element; numbers by value, "*" anything.
bool subset(const json& expected, const json& actual, std::string* where) {
  if (expected.is_string() && expected.get<std::string>() == "*") return true;
  if (expected.is_number() && actual.is_number()) {
    return expected.get<double>() == actual.get<double>();
  }
  if (!expected.is_structured()) return expected == actual;
  if (expected.type() != actual.type() ||
      (expected.is_array() && expected.size() != actual.size())) {
    *where = expected.is_array() ? "array size" : "not an object";
    return false;
  }
  for (const auto& [key, value] : expected.items()) {
    if (expected.is_object() && !actual.contains(key)) {
      *where = "missing key " + key;
      return false;
    }
    const json& found = expected.is_object() ? actual.at(key) : actual.at(std::stoul(key));
    if (!subset(value, found, where)) {
      *where = key + "." + *where;
      return false;
    }
  }
  return true;
}

struct Script {
  std::string db = "demo";
  std::vector<std::string> args;
  std::vector<std::string> requests;
  std::vector<std::optional<json>> expected;
};

// A script names its attachment folder $TEMP; each run gets a folder of its own, so that the
// embedded and the ODBC runs (which ctest may start together) never see each other's files.
std::string with_temp(std::string line, const std::string& temp) {
  for (std::size_t at = line.find("$TEMP"); at != std::string::npos; at = line.find("$TEMP", at)) {
    line.replace(at, 5, temp);
    at += temp.size();
  }
  return line;
}

Script read_script(const fs::path& path, const std::string& temp) {
  Script script;
  std::ifstream in(path);
  std::string raw;
  while (std::getline(in, raw)) {
    std::string line = with_temp(raw, temp);
    if (line.rfind("# db:", 0) == 0) {
      script.db = line.substr(6);
    } else if (line.rfind("# args:", 0) == 0) {
      std::istringstream words(line.substr(7));
      std::string word;
      while (words >> word) script.args.push_back(word);
    } else if (line.rfind("> ", 0) == 0) {
      script.requests.push_back(line.substr(2));
      script.expected.emplace_back();
    } else if (line.rfind("< ", 0) == 0 && !script.expected.empty()) {
      script.expected.back() = json::parse(line.substr(2));
    }
  }
  return script;
}

// Where a script's database lives: the name `dorsel demo`/`dorsel schema` create it under for a
// file, and the option that points `dorsel session` at that name.
struct DatabaseRoute {
  std::string name;
  std::function<std::string(const fs::path& file)> target;
  const char* option;
};

void run_every_script(const DatabaseRoute& route) {
  fs::path folder = fs::path(DORSEL_SOURCE_DIR) / "tests" / "console" / "sessions";
  fs::path program = fs::path(DORSEL_BINARY_DIR) / "bin" / "dorsel";
  ASSERT_TRUE(fs::exists(program)) << program;
  int scripts = 0;
  for (const auto& entry : fs::directory_iterator(folder)) {
    if (entry.path().extension() != ".jsonl") continue;
    ++scripts;
    SCOPED_TRACE(entry.path().filename().string());
    std::string run_name = "dorsel-session-" + entry.path().stem().string() + "-" + route.name +
                           "-" + std::to_string(::getpid());
    fs::path temp = fs::temp_directory_path() / run_name;
    fs::remove_all(temp);
    fs::create_directories(temp);
    Script script = read_script(entry.path(), temp.string());
    fs::path db = fs::temp_directory_path() / (run_name + ".sqlite");
    fs::remove(db);
    auto made = test_support::run_child(program.string(), {script.db, route.target(db)}, "");
    ASSERT_EQ(made.exit_code, 0) << made.err;

    std::vector<std::string> args = {"session", route.option, route.target(db)};
    args.insert(args.end(), script.args.begin(), script.args.end());
    std::string input;
    for (const std::string& r : script.requests) input += r + "\n";
    auto run = test_support::run_child(program.string(), args, input);
    fs::remove(db);
    fs::remove_all(temp);
    ASSERT_EQ(run.exit_code, 0) << run.err;

    std::istringstream answers(run.out);
    std::string answer;
    for (std::size_t i = 0; i < script.requests.size(); ++i) {
      ASSERT_TRUE(std::getline(answers, answer)) << "no answer to " << script.requests[i];
      if (!script.expected[i]) continue;
      json actual = json::parse(answer);
      std::string where;
      EXPECT_TRUE(subset(*script.expected[i], actual, &where))
          << "request: " << script.requests[i] << "\nanswer:  " << answer << "\nat: " << where;
    }
  }
  EXPECT_GT(scripts, 0);
}

// A mistyped --db path is refused: neither session nor show starts, and no file is made.
TEST(SessionScriptTest, MissingDatabaseFileIsRefusedNotCreated) {
  fs::path program = fs::path(DORSEL_BINARY_DIR) / "bin" / "dorsel";
  fs::path missing = fs::temp_directory_path() / ("dorsel-missing-" + std::to_string(::getpid()));
  fs::remove(missing);
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"session", "--db", missing.string()},
        std::vector<std::string>{"show", "A1", "--db", missing.string()}}) {
    SCOPED_TRACE(args[0]);
    auto run = test_support::run_child(program.string(), args, "{\"trace\": true}\n");
    EXPECT_EQ(run.exit_code, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err.find("error 53: File not found: " + missing.string()), std::string::npos)
        << run.err;
    EXPECT_FALSE(fs::exists(missing));
  }
}

TEST(SessionScriptTest, EveryScriptGetsTheExpectedAnswers) {
  run_every_script({"sqlite", [](const fs::path& file) { return file.string(); }, "--db"});
}

#ifdef DORSEL_WITH_ODBC
// The same scripts with the database created and used through the ODBC provider, over the
// SQLite ODBC driver loaded by file name (no system ODBC configuration involved). The program
// finds the dialect's extension beside itself.
TEST(SessionScriptTest, EveryScriptGetsTheSameAnswersThroughOdbc) {
  run_every_script({"odbc",
                    [](const fs::path& file) {
                      return std::string("Driver=") + odbc_test::kSqliteDriver +
                             ";Database=" + file.string() + ";NoWCHAR=1;";
                    },
                    "--connect"});
}
#endif

}  // namespace
