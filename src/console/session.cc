#include "console/session.h"

#include <cstdint>
#include <filesystem>
#include <iostream>
#include <set>

#include "automation/ambient.h"
#include "automation/convert.h"
#include "automation/date.h"
#include "automation/error.h"
#include "automation/number_format.h"
#include "console/json_text.h"
#include "console/json_values.h"
#include "console/registration.h"
#include "data/recordset.h"

namespace console {

using automation::Variant;
using nlohmann::json;

namespace {

constexpr const char* kSource = "dorsel session";

[[noreturn]] void bad_request(const std::string& why) {
  throw automation::Error(automation::errc::kInvalidProcedureCall, kSource, why);
}

std::string text_of(const json& answer) {
  return answer.dump(-1, ' ', false, json::error_handler_t::replace);
}

constexpr std::string_view kOk = R"({"ok":true})";

// {"ok":true,"result":VALUE}, the value written straight as text.
std::string result_answer(const Variant& result) {
  std::string out = R"({"ok":true,"result":)";
  append_json(out, result);
  out += '}';
  return out;
}

// The keys each verb allows beside itself.
const std::map<std::string, std::set<std::string>>& verbs() {
  static const std::map<std::string, std::set<std::string>> kTable = {
      {"call", {"args"}}, {"get", {}},
      {"put", {"value"}}, {"rs", {"do", "to", "value", "field", "as"}},
      {"sql", {}},        {"prompt", {}},
      {"prompts", {}},    {"trace", {}},
      {"host", {}},       {"today", {}},
      {"release", {}},    {"create", {}},
      {"temp", {}},
  };
  return kTable;
}

// A whole number for a Long of the host: one past the 32-bit range is an overflow, as the
// runtime's assignment to a Long would be, never a number cut to its low bits.
std::int32_t long_of(const json& value) {
  if (value.is_number_unsigned()
          ? value.get<std::uint64_t>() > INT32_MAX
          : value.get<std::int64_t>() < INT32_MIN || value.get<std::int64_t>() > INT32_MAX) {
    throw automation::Error(automation::errc::kOverflow, kSource);
  }
  return static_cast<std::int32_t>(value.get<std::int64_t>());
}

const std::string& text_in(const json& request, const char* key) {
  const json& value = request.at(key);
  if (!value.is_string()) bad_request(std::string("\"") + key + "\" takes a text");
  return value.get_ref<const std::string&>();
}

}  // namespace

std::string error_answer(const automation::Error& e) {
  return text_of(
      {{"ok", false},
       {"error",
        {{"number", e.number()}, {"source", e.source()}, {"description", e.description()}}}});
}

Session::Session(const HostOptions& options, automation::ObjectPtr host)
    : options_(options), host_(std::move(host)) {
  register_everything();
  if (options_.decimal_comma) ambient_.number_format = automation::NumberFormat::italian();
  ambient_.debug_sink = [this](std::string_view t) { trace_.emplace_back(t); };
  prompt_ = std::make_shared<ScriptedPrompt>();
  ambient_.prompt = prompt_;
  automation::ScopedAmbient installed(ambient_);
  connection_ = open_host_connection(options_);
  if (!host_) {
    reference_host_ = HostApplication::create(connection_, options_.company, options_.language);
    host_ = reference_host_;
  }
  if (!options_.temp.empty()) std::filesystem::create_directories(options_.temp);
  create_instance();
}

Session::~Session() {
  automation::ScopedAmbient installed(ambient_);
  held_.clear();
  instance_.reset();
}

void Session::create_instance() {
  instance_ = std::make_shared<dorsel::CLSMG_DORSEL>();
  instance_->SetConnessione(connection_);
  if (!options_.no_host) instance_->SetActiveInterface(Variant(automation::ObjectPtr(host_)));
}

Variant Session::resolve(const std::string& name) {
  if (name == "host") return Variant(automation::ObjectPtr(host_));
  if (name == "connection") return Variant(automation::ObjectPtr(connection_));
  if (name == "instance") {
    return instance_ ? Variant(automation::ObjectPtr(instance_)) : Variant::nothing();
  }
  if (!name.empty() && name[0] == '@') return Variant(automation::ObjectPtr(recordset_named(name)));
  bad_request("unknown reference \"" + name + "\"");
}

data::RecordsetPtr Session::recordset_named(const std::string& name) {
  if (!name.empty() && name[0] == '@') {
    auto it = held_.find(name.substr(1));
    if (it == held_.end()) bad_request("no recordset is held as \"" + name.substr(1) + "\"");
    return it->second;
  }
  if (!instance_) throw automation::Error(automation::errc::kObjectVariableNotSet, kSource);
  Variant slot = instance_->get(name);
  const automation::ObjectPtr& object = automation::require_object(slot);
  auto recordset = std::dynamic_pointer_cast<data::Recordset>(object);
  if (!recordset) throw automation::Error(automation::errc::kTypeMismatch, kSource);
  return recordset;
}

std::string Session::handle(std::string_view line) {
  automation::ScopedAmbient installed(ambient_);
  try {
    // The JSON reader stops at a NUL byte; what follows it must not be dropped unseen.
    if (line.find('\0') != std::string_view::npos) bad_request("a NUL byte inside the request");
    json request = json::parse(line);
    // One snapshot and one lock for the request's queries; every write ends it first.
    data::Connection::SharedReads reads(*connection_);
    return dispatch(request);
  } catch (const automation::Error& e) {
    return error_answer(e);
  } catch (const json::exception& e) {
    return error_answer(automation::Error(automation::errc::kInvalidProcedureCall, kSource,
                                          std::string("bad request: ") + e.what()));
  } catch (const std::exception& e) {
    return error_answer(
        automation::Error(automation::errc::kInvalidProcedureCall, kSource, e.what()));
  }
}

std::string Session::dispatch(const json& request) {
  if (!request.is_object()) bad_request("a request is a JSON object");
  std::string verb;
  for (const auto& [key, value] : request.items()) {
    if (verbs().count(key) != 0) {
      if (!verb.empty()) {
        bad_request(std::string("one request, one verb: \"")
                        .append(verb)
                        .append("\" and \"")
                        .append(key)
                        .append("\""));
      }
      verb = key;
    }
  }
  if (verb.empty()) bad_request("no known verb in the request");
  for (const auto& [key, value] : request.items()) {
    if (key != verb && verbs().at(verb).count(key) == 0) {
      bad_request(
          std::string("unknown key \"").append(key).append("\" for \"").append(verb).append("\""));
    }
  }
  auto resolver = [this](const std::string& name) { return resolve(name); };

  if (verb == "call" || verb == "get" || verb == "put") {
    if (!instance_) throw automation::Error(automation::errc::kObjectVariableNotSet, kSource);
    const std::string& member = text_in(request, verb.c_str());
    if (verb == "put") {
      if (!request.contains("value")) bad_request("\"put\" needs a \"value\"");
      Variant value = variant_from_json(request["value"], resolver);
      auto kind = value.is_object() ? automation::InvokeKind::kPropertySet
                                    : automation::InvokeKind::kPropertyLet;
      instance_->invoke(member, kind, std::span<Variant>(&value, 1));
      return std::string(kOk);
    }
    if (verb == "get") return result_answer(instance_->get(member));
    std::vector<Variant> args;
    if (request.contains("args")) {
      if (!request["args"].is_array()) bad_request("\"args\" is an array");
      for (const json& a : request["args"]) args.push_back(variant_from_json(a, resolver));
    }
    Variant result = instance_->invoke(member, automation::InvokeKind::kMethod, args);
    std::string out = R"({"args":[)";
    for (std::size_t i = 0; i < args.size(); ++i) {
      if (i != 0) out += ',';
      append_json(out, args[i]);
    }
    out += R"(],"ok":true,"result":)";
    append_json(out, result);
    out += '}';
    return out;
  }
  if (verb == "rs") return recordset_request(request);
  if (verb == "sql") {
    data::RecordsetPtr result = connection_->Execute(text_in(request, "sql"));
    return result_answer(Variant(automation::ObjectPtr(result)));
  }
  if (verb == "prompt") {
    if (!request["prompt"].is_array()) bad_request("\"prompt\" takes an array of \"yes\"/\"no\"");
    for (const json& answer : request["prompt"]) {
      if (answer == "yes") {
        prompt_->queue(automation::PromptAnswer::kYes);
      } else if (answer == "no") {
        prompt_->queue(automation::PromptAnswer::kNo);
      } else {
        bad_request("a prompt answer is \"yes\" or \"no\"");
      }
    }
    return std::string(kOk);
  }
  if (verb == "prompts") {
    json asked = json::array();
    for (const AskedQuestion& q : prompt_->asked()) {
      asked.push_back({{"title", q.title}, {"text", q.text}, {"style", q.style}});
    }
    return text_of({{"ok", true}, {"result", asked}});
  }
  if (verb == "trace") return text_of({{"ok", true}, {"result", trace_}});
  if (verb == "host") return host_request(request["host"]);
  if (verb == "today") {
    const json& day = request["today"];
    if (day.is_null()) {
      automation::set_today_override(std::nullopt);
      return std::string(kOk);
    }
    if (!day.is_string()) bad_request("\"today\" takes \"YYYY-MM-DD\" or null");
    auto date = automation::parse_iso_date(day.get<std::string>());
    if (!date) bad_request("\"today\" takes \"YYYY-MM-DD\" or null");
    automation::set_today_override(automation::civil_from_date(*date));
    return std::string(kOk);
  }
  if (verb == "release") {
    instance_.reset();
    return std::string(kOk);
  }
  if (verb == "create") {
    create_instance();
    return std::string(kOk);
  }
  // "temp": the folder for attachment files, with its trailing separator, ready for PathTemp.
  std::string folder =
      options_.temp.empty() ? std::filesystem::temp_directory_path().string() : options_.temp;
  if (folder.back() != '/') folder.push_back('/');
  return text_of({{"ok", true}, {"result", folder}});
}

std::string Session::recordset_request(const json& request) {
  data::RecordsetPtr rs = recordset_named(text_in(request, "rs"));
  if (!request.contains("do")) bad_request("\"rs\" needs a \"do\"");
  const std::string& op = text_in(request, "do");
  auto resolver = [this](const std::string& name) { return resolve(name); };
  if (op == "MoveFirst") {
    rs->MoveFirst();
  } else if (op == "MoveNext") {
    rs->MoveNext();
  } else if (op == "MovePrevious") {
    rs->MovePrevious();
  } else if (op == "MoveLast") {
    rs->MoveLast();
  } else if (op == "Position") {
    if (!request.contains("to") || !request["to"].is_number_integer()) {
      bad_request("\"Position\" needs a whole number \"to\"");
    }
    rs->SetAbsolutePosition(request["to"].get<std::int64_t>());
  } else if (op == "Filter") {
    if (!request.contains("value")) bad_request("\"Filter\" needs a \"value\"");
    rs->SetFilter(variant_from_json(request["value"], resolver));
  } else if (op == "Set") {
    if (!request.contains("field") || !request.contains("value")) {
      bad_request("\"Set\" needs a \"field\" and a \"value\"");
    }
    rs->Fields()
        .Item(text_in(request, "field"))
        .SetValue(variant_from_json(request["value"], resolver));
  } else if (op == "AddNew") {
    rs->AddNew();
  } else if (op == "Update") {
    rs->Update();
  } else if (op == "UpdateBatch") {
    rs->UpdateBatch();
  } else if (op == "Close") {
    rs->Close();
  } else if (op == "Hold") {
    held_[text_in(request, "as")] = rs;
  } else if (op != "Read") {
    bad_request("unknown recordset operation \"" + op + "\"");
  }
  return result_answer(Variant(automation::ObjectPtr(rs)));
}

std::string Session::host_request(const json& changes) {
  if (!reference_host_) {
    bad_request("\"host\" changes the reference host, and this one is the caller's");
  }
  if (!changes.is_object()) bad_request("\"host\" takes an object");
  for (const auto& [key, value] : changes.items()) {
    if (key == "CodDitta") {
      if (!value.is_number_integer()) bad_request("CodDitta is a whole number");
      reference_host_->company().set_code(long_of(value));
    } else if (key == "LinguaAzienda") {
      if (!value.is_string()) bad_request("LinguaAzienda is a text");
      reference_host_->company().set_language(value.get<std::string>());
    } else if (key == "translations") {
      if (!value.is_object()) bad_request("translations map ids to texts");
      for (const auto& [id, text] : value.items()) {
        if (!text.is_string()) bad_request("a translation is a text");
        reference_host_->translations().set_override(automation::to_long(Variant(id)),
                                                     text.get<std::string>());
      }
    } else {
      bad_request("unknown host setting \"" + key + "\"");
    }
  }
  return std::string(kOk);
}

int run_session(const HostOptions& options, std::istream& in, std::ostream& out) {
  Session session(options);
  std::string line;
  while (std::getline(in, line)) {
    if (line.find_first_not_of(" \t\r") == std::string::npos) continue;
    const std::string answer = session.handle(line);
    out.write(answer.data(), static_cast<std::streamsize>(answer.size()));
    out << '\n' << std::flush;
  }
  return 0;
}

}  // namespace console
