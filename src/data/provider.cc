#include "data/provider.h"

#include <utility>

#include "automation/text.h"
#include "data/ado.h"
#include "data/errors.h"

namespace data {
namespace {

struct Registration {
  std::string name;
  ProviderFactory factory;
};

std::vector<Registration>& registry() {
  static std::vector<Registration> factories;
  return factories;
}

}  // namespace

void register_provider(std::string_view name, ProviderFactory factory) {
  for (Registration& r : registry()) {
    if (r.name == name) {
      r.factory = std::move(factory);
      return;
    }
  }
  registry().push_back({std::string(name), std::move(factory)});
}

std::unique_ptr<Provider> open_provider(std::string_view connection_string) {
  for (const Registration& r : registry()) {
    if (auto provider = r.factory(connection_string)) return provider;
  }
  std::string wanted = connection_string_value(connection_string, "Provider");
  if (wanted.empty()) wanted = connection_string_value(connection_string, "Driver");
  if (wanted.empty()) wanted = connection_string_value(connection_string, "DSN");
  if (wanted.empty()) wanted = std::string(connection_string);
  raise(errc::kInvalidConnection, "ADODB.Connection",
        "Provider cannot be found. It may not be properly installed: '" + wanted + "'");
}

std::vector<std::pair<std::string, std::string>> parse_connection_string(std::string_view text) {
  std::vector<std::pair<std::string, std::string>> pairs;
  std::size_t i = 0;
  while (i < text.size()) {
    std::size_t eq = i;
    while (eq < text.size() && text[eq] != '=' && text[eq] != ';') ++eq;
    std::string key(automation::trim(text.substr(i, eq - i), automation::kSpacesAndTabs));
    if (eq >= text.size() || text[eq] == ';') {
      if (!key.empty()) pairs.emplace_back(std::move(key), std::string());
      i = eq + 1;
      continue;
    }
    std::size_t v = eq + 1;
    while (v < text.size() && (text[v] == ' ' || text[v] == '\t')) ++v;
    std::string value;
    std::size_t end = v;
    if (v < text.size() && (text[v] == '{' || text[v] == '"' || text[v] == '\'')) {
      // A braced or quoted value may hold ';' and '='; "}}" stands for one '}' inside braces.
      char close = text[v] == '{' ? '}' : text[v];
      end = v + 1;
      while (end < text.size()) {
        if (text[end] == close) {
          if (end + 1 < text.size() && text[end + 1] == close) {
            value.push_back(close);
            end += 2;
            continue;
          }
          ++end;
          break;
        }
        value.push_back(text[end++]);
      }
      while (end < text.size() && text[end] != ';') ++end;
    } else {
      while (end < text.size() && text[end] != ';') ++end;
      value = std::string(automation::trim(text.substr(v, end - v), automation::kSpacesAndTabs));
    }
    if (!key.empty()) pairs.emplace_back(std::move(key), std::move(value));
    i = end + 1;
  }
  return pairs;
}

std::string connection_string_value(std::string_view text, std::string_view key) {
  for (auto& [k, v] : parse_connection_string(text)) {
    if (automation::iequals(k, key)) return v;
  }
  return {};
}

}  // namespace data
