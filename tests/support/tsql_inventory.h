// Every statement text the component writes, with sample values, read from the list beside
// this file (tsql_inventory.txt, included as a raw string so that the translator's benchmark,
// which has no path to the sources, reads it too). Used by the translator's inventory test and
// by its benchmark. Header-only so the benchmark can use it without the test libraries.
#pragma once

#include <algorithm>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tsql_inventory {

struct Statement {
  std::string name;
  std::string text;
};

inline constexpr std::string_view kList =
#include "support/tsql_inventory.txt"
    ;

// The list's lines with their escapes read, and the catalogue list query's values filled in.
inline std::vector<Statement> read_list(const std::string& company, const std::string& item) {
  std::vector<Statement> out;
  std::string_view rest = kList;
  while (!rest.empty()) {
    const std::string_view line = rest.substr(0, rest.find('\n'));
    rest.remove_prefix(std::min(rest.size(), line.size() + 1));
    const std::size_t tab = line.find('\t');
    if (line.empty() || line[0] == '#' || tab == std::string_view::npos) continue;
    std::string text;
    for (std::size_t i = tab + 1; i < line.size(); ++i) {
      if (line[i] != '\\' || i + 1 == line.size()) {
        text += line[i];
        continue;
      }
      const char next = line[++i];
      text += next == 'r'   ? '\r'
              : next == 'n' ? '\n'
              : next == 't' ? '\t'
              : next == 's' ? ' '
                            : next;
    }
    for (const auto& [key, value] : {std::pair{"{company}", company}, std::pair{"{item}", item}}) {
      for (std::size_t at = text.find(key); at != std::string::npos; at = text.find(key, at)) {
        text.replace(at, std::string_view(key).size(), value);
        at += value.size();
      }
    }
    out.push_back({std::string(line.substr(0, tab)), std::move(text)});
  }
  return out;
}

inline std::vector<Statement> statements() { return read_list("1", "VITE M6X20"); }

// The catalogue list query for a company and an item code (quotes already doubled).
inline std::string path_image_query(const std::string& company, const std::string& item) {
  for (Statement& s : read_list(company, item)) {
    if (s.name == "Get_PathImage") return std::move(s.text);
  }
  return {};
}

}  // namespace tsql_inventory
