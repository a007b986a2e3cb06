#include "console/web/web_api.h"

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "automation/convert.h"
#include "automation/error.h"
#include "automation/text.h"
#include "console/json_values.h"
#include "console/panel_viewer.h"
#include "console/web/component_scope.h"
#include "data/recordset.h"
#include "dorsel/frame/sql_text.h"
#include "dorsel/pricelists/net_price_steps.h"

namespace console::web {
namespace {

using automation::Variant;
using Json = nlohmann::ordered_json;

constexpr const char* kSource = "dorsel serve";
constexpr std::int32_t kNotFound = 404;
constexpr std::size_t kIdleConnections = 8;

[[noreturn]] void refuse(const std::string& why) {
  throw automation::Error(automation::errc::kInvalidProcedureCall, kSource, why);
}

// An API error of its own that answers 404 rather than 400.
class NotFound : public automation::Error {
 public:
  explicit NotFound(const std::string& what)
      : automation::Error(automation::errc::kInvalidProcedureCall, kSource, what) {}
};

std::string dump(const Json& json) {
  return json.dump(-1, ' ', false, Json::error_handler_t::replace);
}

Reply json_reply(const Json& json) { return {200, "application/json", dump(json), {}, false}; }

Reply error_reply(int status, const automation::Error& e) {
  Json body = {
      {"error",
       {{"number", e.number()}, {"source", e.source()}, {"description", e.description()}}}};
  return {status, "application/json", dump(body), {}, false};
}

std::string param(const Params& params, std::string_view name, bool required = true) {
  auto it = params.find(name);
  if (it == params.end() || it->second.empty()) {
    if (required) refuse("The parameter \"" + std::string(name) + "\" is required");
    return {};
  }
  if (it->second.size() > kMaxParamLength) {
    refuse("The parameter \"" + std::string(name) + "\" is too long");
  }
  return it->second;
}

// A whole number in [low, high] written with digits only: nothing else reaches a query.
std::int32_t number_param(const Params& params, std::string_view name, std::int32_t low,
                          std::int32_t high, std::int32_t fallback) {
  const std::string text = param(params, name, false);
  if (text.empty()) return fallback;
  if (text.size() > 9 ||
      !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; })) {
    refuse("The parameter \"" + std::string(name) + "\" takes a whole number");
  }
  const std::int32_t value = std::stoi(text);
  if (value < low || value > high) {
    refuse("The parameter \"" + std::string(name) + "\" is out of range");
  }
  return value;
}

std::string item_code_param(const Params& params) {
  std::string code = param(params, "code");
  if (code.size() > kMaxItemCodeLength) refuse("An item code has at most 30 characters");
  return code;
}

struct Surroundings {
  std::int32_t company;
  std::string language;
};

Surroundings surroundings(const Params& params, const HostOptions& options) {
  std::string language = param(params, "language", false);
  if (language.size() > 4) refuse("A language code has at most 4 characters");
  if (language.empty()) language = options.language;
  return {number_param(params, "company", 0, 999'999'999, options.company), language};
}

std::string text_of(data::Recordset& rows, std::string_view column) {
  const Variant& value = rows.Fields().Item(column).Value();
  if (value.is_null()) return {};
  const std::string text = automation::to_text(value);
  return std::string(automation::trim_right(text));
}

// Items of the company, {code, description}, from a condition on MG66_ANAGRART.
// The items of `company` whose code or description `where` selects, a screenful at most;
// `where` is built by the caller with the value quoted.
Json items_where(data::Connection& connection, std::int32_t company, const dorsel::SqlText& where) {
  data::RecordsetPtr found = connection.Execute(
      dorsel::SqlText()
          .add({"SELECT TOP ", std::to_string(kMaxFound),
                " MG66_CODART, MG66_DESCART FROM MG66_ANAGRART WHERE MG66_DITTA_CG18 = ",
                std::to_string(company), " AND ", where.text(), " ORDER BY MG66_CODART"})
          .take());
  Json items = Json::array();
  for (; !found->Eof(); found->MoveNext()) {
    items.push_back({{"code", text_of(*found, "MG66_CODART")},
                     {"description", text_of(*found, "MG66_DESCART")}});
  }
  return items;
}

Json item_heading(ComponentScope& scope, std::int32_t company, const std::string& code) {
  Json found = items_where(scope.connection(), company,
                           dorsel::SqlText().add({"MG66_CODART = "}).quoted(code));
  if (found.empty()) throw NotFound("The item \"" + code + "\" is not in the item master");
  return found.front();
}

// Long panels are cut, and say so: an answer stays of a size a page can show.
void bound_rows(Json& table) {
  if (!table.contains("rows") || table["rows"].size() <= kMaxPanelRows) return;
  Json& rows = table["rows"];
  rows.erase(rows.begin() + static_cast<std::ptrdiff_t>(kMaxPanelRows), rows.end());
  table["truncated"] = true;
}

Json panel_list(const Json& panels) {
  Json list = Json::array();
  for (const auto& [name, entry] : panels.items()) {
    Json panel = {{"name", name}};
    for (const auto& [key, value] : entry.items()) panel[key] = value;
    bound_rows(panel);
    if (panel.contains("history")) bound_rows(panel["history"]);
    list.push_back(std::move(panel));
  }
  return list;
}

struct ViewChoice {
  dorsel::PriceView view;
  const char* panel;
};

ViewChoice view_param(const Params& params) {
  const std::string view = param(params, "view");
  if (view == "sales") return {dorsel::PriceView::kSales, "FRMUC_LISTINI_VEN"};
  if (view == "purchase") return {dorsel::PriceView::kPurchase, "FRMUC_LISTINI_ACQ"};
  if (view == "last") return {dorsel::PriceView::kLastPrices, "FRMUC_LISTINI_ULP"};
  refuse("The parameter \"view\" is sales, purchase or last");
}

void build_view(dorsel::CLSMG_DORSEL& component, dorsel::PriceView view, const std::string& code) {
  switch (view) {
    case dorsel::PriceView::kSales:
      component.Init_LI10(code, "0");
      component.InitializeRecordsetLI10Ven();
      return;
    case dorsel::PriceView::kPurchase:
      component.Init_LI10(code, "1");
      component.InitializeRecordsetLI10Acq();
      return;
    case dorsel::PriceView::kLastPrices:
      component.Init_LI11_ultimi(code, "");
      component.InitializeRecordsetLI11();
      return;
  }
}

data::RecordsetPtr view_slot(dorsel::CLSMG_DORSEL& component, dorsel::PriceView view) {
  switch (view) {
    case dorsel::PriceView::kSales:
      return component.Grst_RecSet_LI10Ven_append;
    case dorsel::PriceView::kPurchase:
      return component.Grst_RecSet_LI10Acq_append;
    case dorsel::PriceView::kLastPrices:
      return component.Grst_RecSet_LI11_append;
  }
  return nullptr;
}

Json step_json(const prezzi::PriceStep& step) {
  Json out = {{"step", prezzi::step_name(step.kind)},
              {"amount", step.amount.to_invariant_string()},
              {"price", step.price.to_invariant_string()}};
  if (step.index != 0) out["index"] = step.index;
  if (step.kind == prezzi::StepKind::kBaseVariation) {
    out["base"] = step.base.to_invariant_string();
    out["variation"] = step.variation.to_invariant_string();
    out["multiplier"] = step.multiplier.to_invariant_string();
  }
  return out;
}

std::string lower_extension(const std::string& name) {
  const std::size_t dot = name.rfind('.');
  return dot == std::string::npos ? std::string() : automation::ascii_lower(name.substr(dot + 1));
}

std::string content_type_of(const std::string& name) {
  const std::string ext = lower_extension(name);
  if (ext == "png") return "image/png";
  if (ext == "jpg" || ext == "jpeg") return "image/jpeg";
  if (ext == "gif") return "image/gif";
  if (ext == "pdf") return "application/pdf";
  if (ext == "txt") return "text/plain; charset=utf-8";
  return "application/octet-stream";
}

std::string read_file(const std::filesystem::path& path) {
  std::error_code error;
  const std::uintmax_t size = std::filesystem::file_size(path, error);
  if (error || size > kMaxFileBytes) throw NotFound("The attachment's file cannot be read");
  std::ifstream in(path, std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (!in.good() && !in.eof()) throw NotFound("The attachment's file cannot be read");
  return bytes;
}

}  // namespace

WebApi::WebApi(const HostOptions& options, std::filesystem::path files)
    : pool_(options, kIdleConnections), files_(std::move(files)) {}

Reply WebApi::handle(std::string_view endpoint, const Params& params) {
  try {
    return dispatch(endpoint, params);
  } catch (const NotFound& e) {
    return error_reply(kNotFound, e);
  } catch (const automation::Error& e) {
    return error_reply(
        e.number() == automation::errc::kInvalidProcedureCall && e.source() == kSource ? 400 : 500,
        e);
  } catch (const std::exception& e) {
    // The server answers whatever went wrong below it; it never goes down for a request.
    return error_reply(
        500, automation::Error(automation::errc::kInvalidProcedureCall, kSource, e.what()));
  }
}

Reply WebApi::dispatch(std::string_view endpoint, const Params& params) {
  if (endpoint == "companies") return companies();
  if (endpoint == "find") return find(params);
  if (endpoint == "item") return item(params);
  if (endpoint == "panel") return panel(params);
  if (endpoint == "explain") return explain(params);
  if (endpoint == "intrastat") return intrastat(params);
  if (endpoint == "attachment") return attachment(params);
  throw NotFound("There is no endpoint \"" + std::string(endpoint) + "\"");
}

Reply WebApi::companies() {
  ConnectionPool::Lease lease = pool_.acquire();
  data::Connection& connection = *lease.connection();
  Json companies = Json::array();
  data::RecordsetPtr rows =
      connection.Execute("SELECT HD_DITTA, HD_RAGSOC, HD_LINGUA FROM HOST_DITTE ORDER BY HD_DITTA");
  for (; !rows->Eof(); rows->MoveNext()) {
    companies.push_back({{"code", automation::to_long(rows->Fields().Item("HD_DITTA").Value())},
                         {"name", text_of(*rows, "HD_RAGSOC")},
                         {"language", text_of(*rows, "HD_LINGUA")}});
  }
  Json languages = Json::array();
  rows = connection.Execute("SELECT DISTINCT TR_LINGUA FROM HOST_TRADUZIONI ORDER BY TR_LINGUA");
  for (; !rows->Eof(); rows->MoveNext()) {
    // Language codes are padded to four characters; the host compares them as stored.
    const Variant& value = rows->Fields().Item("TR_LINGUA").Value();
    if (!value.is_null()) languages.push_back(automation::to_text(value));
  }
  return json_reply({{"companies", companies},
                     {"languages", languages},
                     {"default_company", pool_.options().company}});
}

Reply WebApi::find(const Params& params) {
  const auto [company, language] = surroundings(params, pool_.options());
  const std::string by = param(params, "by");
  const std::string text = param(params, "text");
  ComponentScope scope(pool_, company, language);
  Json items;
  if (by == "code") {
    if (text.size() > kMaxItemCodeLength) refuse("An item code has at most 30 characters");
    items = items_where(scope.connection(), company,
                        dorsel::SqlText().add({"MG66_CODART = "}).quoted(text));
  } else if (by == "description") {
    items = items_where(scope.connection(), company,
                        dorsel::SqlText()
                            .add({"UPPER(SUBSTRING(MG66_DESCART, 1, ",
                                  std::to_string(automation::utf8_length(text)), ")) = UPPER("})
                            .quoted(text)
                            .add({")"}));
  } else if (by == "alias") {
    const std::string code = scope.component().EsisteAlias(text);
    items = code.empty() ? Json::array()
                         : items_where(scope.connection(), company,
                                       dorsel::SqlText().add({"MG66_CODART = "}).quoted(code));
  } else {
    refuse("The parameter \"by\" is code, description or alias");
  }
  return json_reply({{"items", items}});
}

Reply WebApi::item(const Params& params) {
  const auto [company, language] = surroundings(params, pool_.options());
  const std::string code = item_code_param(params);
  ComponentScope scope(pool_, company, language);
  Json heading = item_heading(scope, company, code);
  Json panels = read_item_panels(scope.component(), code, {}, /*layout=*/true);
  return json_reply({{"item", heading},
                     {"company", company},
                     {"language", scope.host().company().LinguaAzienda()},
                     {"panels", panel_list(panels)}});
}

Reply WebApi::panel(const Params& params) {
  const auto [company, language] = surroundings(params, pool_.options());
  const std::string code = item_code_param(params);
  const std::string name = param(params, "name");
  if (panel_title(name).empty()) throw NotFound("There is no panel \"" + name + "\"");
  ComponentScope scope(pool_, company, language);
  Json panels = read_item_panels(scope.component(), code, {name}, /*layout=*/true);
  return json_reply(panel_list(panels).front());
}

Reply WebApi::explain(const Params& params) {
  const auto [company, language] = surroundings(params, pool_.options());
  const std::string code = item_code_param(params);
  const ViewChoice choice = view_param(params);
  const std::int32_t row = number_param(params, "row", 1, 1'000'000, 0);
  if (row == 0) refuse("The parameter \"row\" is required");
  ComponentScope scope(pool_, company, language);
  build_view(scope.component(), choice.view, code);
  prezzi::PriceSteps steps = dorsel::explain_net_price(scope.component(), choice.view, row);
  Json list = Json::array();
  for (const prezzi::PriceStep& step : steps) list.push_back(step_json(step));
  // The view stays on the row: its net price is read beside the steps that made it.
  data::RecordsetPtr view = view_slot(scope.component(), choice.view);
  return json_reply(
      {{"view", choice.panel},
       {"row", row},
       {"net_price", Json(variant_to_json(view->Fields().Item("PREZZO_NETTO").Value()))},
       {"steps", list}});
}

Reply WebApi::intrastat(const Params& params) {
  const auto [company, language] = surroundings(params, pool_.options());
  const std::string code = item_code_param(params);
  ComponentScope scope(pool_, company, language);
  Json rows = Json::array();
  for (std::int16_t type : {std::int16_t{0}, std::int16_t{1}}) {
    scope.component().Init_MG1Q_nomenclature_INTRA_art(code, type);
    data::RecordsetPtr history = scope.component().Grst_RecSet_MG1Q;
    if (!history || history->State() != data::kStateOpen) continue;
    for (; !history->Eof(); history->MoveNext()) {
      rows.push_back({{"year", automation::to_long(history->Fields().Item("MG1Q_ANNO").Value())},
                      {"type", type},
                      {"code", text_of(*history, "MG1Q_CODICE")}});
    }
  }
  std::stable_sort(rows.begin(), rows.end(),
                   [](const Json& a, const Json& b) { return a["year"] < b["year"]; });
  return json_reply({{"rows", rows}});
}

Reply WebApi::attachment(const Params& params) {
  const auto [company, language] = surroundings(params, pool_.options());
  const std::string code = item_code_param(params);
  const std::int32_t id = number_param(params, "id", 1, 32767, 0);
  if (id == 0) refuse("The parameter \"id\" is required");
  ComponentScope scope(pool_, company, language);
  // Only an attachment the item's own list shows can be fetched.
  data::RecordsetPtr list = scope.component().Get_PathImage(code);
  bool listed = false;
  if (list && list->State() == data::kStateOpen && !(list->Bof() && list->Eof())) {
    for (list->MoveFirst(); !list->Eof() && !listed; list->MoveNext()) {
      if (automation::to_long(list->Fields().Item("CL06_ID").Value()) == id) {
        listed = true;
      }
    }
  }
  if (!listed) throw NotFound("The item has no attachment " + std::to_string(id));
  std::string path;
  std::string bytes;
  {
    std::lock_guard<std::mutex> lock(files_mutex_);
    path = scope.component().GetPathFileAllegato(static_cast<std::int16_t>(id),
                                                 files_.string() + "/", false);
    if (!path.starts_with(files_.string() + "/") || path.size() == files_.string().size() + 1) {
      throw NotFound("The attachment " + std::to_string(id) + " has no file");
    }
    bytes = read_file(path);
  }
  const std::string name = std::filesystem::path(path).filename().string();
  Reply reply{200, content_type_of(name), std::move(bytes), name, false};
  reply.download = !reply.content_type.starts_with("image/");
  return reply;
}

}  // namespace console::web
