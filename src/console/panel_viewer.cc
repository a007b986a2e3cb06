#include "console/panel_viewer.h"

#include <algorithm>
#include <optional>
#include <ostream>
#include <span>
#include <string_view>

#include <nlohmann/json.hpp>

#include "automation/convert.h"
#include "automation/error.h"
#include "automation/factory.h"
#include "automation/number_format.h"
#include "automation/text.h"
#include "console/host_objects.h"
#include "console/json_values.h"
#include "console/registration.h"
#include "data/connection.h"
#include "data/recordset.h"
#include "dorsel/frame/clsmg_dorsel.h"
#include "dorsel/frame/sql_text.h"

namespace console {
namespace {

using automation::Variant;
using dorsel::CLSMG_DORSEL;
using Slot = data::RecordsetPtr CLSMG_DORSEL::*;

constexpr std::size_t kPageWidth = 120;
constexpr std::size_t kCellWidth = 32;
constexpr std::string_view kColumnGap = "  ";

// What a buyer or seller reads in a price view; the other columns are in the JSON form.
constexpr std::string_view kPriceListColumns[] = {
    "LI10_NUMLIST",    "MG44_DESCLIST", "VALUTA",       "LI10_DATAINIZIOVAL", "LI10_DATAFINEVAL",
    "LI10_PREZZO",     "LI10_SC1PER",   "LI10_SC2PER",  "LI10_SC3PER",        "LI10_SCIMP",
    "LI10_MAG1PER",    "LI10_MAGIMP",   "PREZZO_NETTO", "LI10_INDRICALPR",    "LI10_INDUM",
    "LI10_FLGVARIATO", "LI10_NOTE"};
constexpr std::string_view kLastPriceColumns[] = {
    "LI11_FLGVENACQ", "LI11_DEPOS_MG58", "LI11_PROG",    "LI11_CODICE_CG08",
    "LI11_CAMBIO",    "LI11_PREZZO",     "LI11_SC1PER",  "LI11_SC2PER",
    "LI11_SCIMP",     "LI11_MAG1PER",    "PREZZO_NETTO", "LI11_DATADOC",
    "LI11_NUMDOC",    "LI11_SEZDOC",     "LI11_TIPOCF",  "LI11_CODCLFO"};

struct TableDef {
  std::string_view title;
  std::string_view code;  // the table code left out of the column names ("MG67")
  Slot slot;
  // The table form's columns; empty: every column but the company and the item.
  std::span<const std::string_view> columns = {};
};

struct PanelDef {
  std::string_view name;
  std::string_view title;
  std::vector<TableDef> tables;  // the panel's table, then the Intrastat history
  bool catalogue = false;        // listed by Get_PathImage, not shown by ShowChild
};

const std::vector<PanelDef>& panel_defs() {
  using C = CLSMG_DORSEL;
  static const std::vector<PanelDef> kPanelDefs = {
      {"FRMMG_DORSEL_DESCR", "Description", {{"Description", "MG87", &C::Grst_RecSet_MG87descr}}},
      {"FRMUC_NOTE", "Notes", {{"Notes", "MG87", &C::Grst_RecSet_MG87note}}},
      {"FRMUC_SCORTE", "Stock parameters", {{"Stock parameters", "MG67", &C::Grst_RecSet_MG67}}},
      {"FRMUC_CONFEZIONI", "Packs", {{"Packs", "MG68", &C::Grst_RecSet_MG68}}},
      {"FRMUC_INFOUBIC", "Fixed locations", {{"Fixed locations", "MG7A", &C::Grst_RecSet_MG7A}}},
      {"FRMUC_INTRA",
       "Intrastat",
       {{"Intrastat data", "MG98", &C::Grst_RecSet_MG98},
        {"Nomenclature history", "MG1Q", &C::Grst_RecSet_MG1Q}}},
      {"FRMUC_LISTINI_ACQ",
       "Purchase price list",
       {{"Purchase price list", "LI10", &C::Grst_RecSet_LI10Acq_append, kPriceListColumns}}},
      {"FRMUC_LISTINI_VEN",
       "Sales price list",
       {{"Sales price list", "LI10", &C::Grst_RecSet_LI10Ven_append, kPriceListColumns}}},
      {"FRMUC_LISTINI_ULP",
       "Last prices",
       {{"Last prices", "LI11", &C::Grst_RecSet_LI11_append, kLastPriceColumns}}},
      {"APPLICAZIONI", "Applications", {{"Applications", "MG72", &C::Grst_RecSet_MG72}}},
      {"GEST_VARIANTI",
       "Variant parameters",
       {{"Variant parameters", "MG6B", &C::Grst_RecSet_MG6B}}},
      {"FLAG_VARIANTI", "Variant flags", {{"Variant flags", "MG6D", &C::Grst_RecSet_MG6D}}},
      {"IMMAGINI",
       "Catalogue images and attachments",
       {{"Catalogue images and attachments", "CL06", &C::Grst_RecSet_Immagini}},
       true},
  };
  return kPanelDefs;
}

const PanelDef* find_panel(std::string_view name) {
  for (const PanelDef& def : panel_defs()) {
    if (def.name == name) return &def;
  }
  return nullptr;
}

// One table as read from its slot: every column and every row.
struct Table {
  const TableDef* def = nullptr;
  std::vector<std::string> columns;
  std::vector<std::vector<Variant>> rows;
};

struct PanelResult {
  const PanelDef* def = nullptr;
  std::vector<Table> tables;
  std::optional<automation::Error> error;
};

// The viewer is the recordsets' only reader, so it walks them with their own cursor.
Table read_table(const TableDef& def, const data::RecordsetPtr& recordset) {
  Table table{&def, {}, {}};
  // An empty slot is how the catalogue list says "nothing to show".
  if (!recordset) return table;
  data::Fields& fields = recordset->Fields();
  for (int i = 0; i < fields.Count(); ++i) table.columns.push_back(fields.Item(i).Name());
  if (recordset->State() != data::kStateOpen || (recordset->Bof() && recordset->Eof())) {
    return table;
  }
  recordset->MoveFirst();
  while (!recordset->Eof()) {
    std::vector<Variant> row;
    row.reserve(table.columns.size());
    for (int i = 0; i < fields.Count(); ++i) row.push_back(fields.Item(i).Value());
    table.rows.push_back(std::move(row));
    recordset->MoveNext();
  }
  return table;
}

// Every slot's loader runs before a panel method touches the slot, as a host does.
void load_slots(CLSMG_DORSEL& component, const std::string& item) {
  component.Init_MG87_note(item);
  component.Init_MG67_scorte(item);
  component.Init_MG68_confezioni(item);
  component.Init_MG7A_infoubic(item);
  component.Init_MG98_INTRA(item);
  component.Init_MG1Q_nomenclature_INTRA_art(item, 0);
  component.Init_LI10(item, "1");
  component.Init_LI10(item, "0");
  component.Init_LI11_ultimi(item, "");
  component.Init_MG72_applicazioni();
  component.Init_MG6B_parametrivarianti();
  component.Init_MG6D_flagvarianti();
}

PanelResult show_panel(CLSMG_DORSEL& component, const PanelDef& def, const std::string& item) {
  PanelResult result{&def, {}, std::nullopt};
  try {
    if (def.catalogue) {
      component.Get_PathImage(item);
    } else {
      component.ShowChild(item, std::string(def.name));
    }
    for (const TableDef& table : def.tables) {
      result.tables.push_back(read_table(table, component.*table.slot));
    }
  } catch (const automation::Error& e) {
    result.error = e;
  }
  return result;
}

// --- Table form

std::size_t display_width(std::string_view text) {
  // Code points, not bytes: continuation bytes of UTF-8 take no column.
  return static_cast<std::size_t>(
      std::count_if(text.begin(), text.end(), [](char c) { return (c & 0xC0) != 0x80; }));
}

// The byte length of the first `columns` code points of `text`.
std::size_t prefix_bytes(std::string_view text, std::size_t columns) {
  std::size_t seen = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if ((text[i] & 0xC0) != 0x80) {
      if (seen == columns) return i;
      ++seen;
    }
  }
  return text.size();
}

bool right_aligned(const Variant& value) { return value.is_numeric(); }

// Stored decimals carry their scale's zeros ("0.12000"); a person reads "0.12".
std::string without_trailing_zeros(std::string text) {
  const char separator = automation::current_number_format().decimal_separator;
  if (text.find(separator) == std::string::npos || text.find_first_of("eE") != std::string::npos) {
    return text;
  }
  while (text.back() == '0') text.pop_back();
  if (text.back() == separator) text.pop_back();
  return text;
}

std::string cell_text(const Variant& value) {
  switch (value.type()) {
    case automation::VarType::kEmpty:
    case automation::VarType::kNull:
      return {};
    case automation::VarType::kDecimal:
    case automation::VarType::kCurrency:
      return without_trailing_zeros(automation::to_text(value));
    default:
      break;
  }
  if (value.is_bytes()) return "<" + std::to_string(value.as_bytes().size()) + " bytes>";
  if (value.is_object()) return "<object>";
  return automation::to_text(value);
}

// The lines of a cell: its own line breaks kept, long lines broken at a blank where one is
// near, else at the width.
std::vector<std::string> wrap(std::string_view text, std::size_t width) {
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.remove_suffix(1);
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    while (display_width(line) > width) {
      std::size_t cut = prefix_bytes(line, width);
      std::size_t blank = line.rfind(' ', cut);
      if (blank != std::string_view::npos && blank > cut / 2) cut = blank;
      lines.emplace_back(automation::trim_right(line.substr(0, cut)));
      line = line.substr(cut);
      while (!line.empty() && line.front() == ' ') line.remove_prefix(1);
    }
    lines.emplace_back(line);
    start = end + 1;
  }
  return lines;
}

std::string padded(std::string_view text, std::size_t width, bool right) {
  std::string gap(width - std::min(width, display_width(text)), ' ');
  return right ? gap + std::string(text) : std::string(text) + gap;
}

bool is_key_column(std::string_view name) {
  return name.ends_with("_DITTA_CG18") || name.ends_with("_CODART_MG66");
}

std::vector<std::size_t> shown_columns(const Table& table) {
  std::vector<std::size_t> shown;
  if (!table.def->columns.empty()) {
    for (std::string_view wanted : table.def->columns) {
      auto it = std::find(table.columns.begin(), table.columns.end(), wanted);
      if (it != table.columns.end()) shown.push_back(it - table.columns.begin());
    }
    return shown;
  }
  for (std::size_t i = 0; i < table.columns.size(); ++i) {
    if (!is_key_column(table.columns[i])) shown.push_back(i);
  }
  return shown;
}

std::string heading_name(const std::string& column, std::string_view code) {
  if (column.size() > code.size() + 1 && column.starts_with(code) && column[code.size()] == '_') {
    return column.substr(code.size() + 1);
  }
  return column;
}

std::string rows_phrase(std::size_t count) {
  return std::to_string(count) + (count == 1 ? " row" : " rows");
}

void print_rows(std::ostream& out, const Table& table) {
  if (table.rows.empty()) {
    out << "(no rows)\n";
    return;
  }
  struct Column {
    std::string heading;
    std::vector<std::vector<std::string>> cells;  // per row, its lines
    bool right = false;
    std::size_t width = 0;
  };
  std::vector<Column> columns;
  for (std::size_t index : shown_columns(table)) {
    Column column{heading_name(table.columns[index], table.def->code), {}, false, 0};
    column.width = display_width(column.heading);
    for (const auto& row : table.rows) {
      const Variant& value = row[index];
      column.right = column.right || right_aligned(value);
      column.cells.push_back(wrap(cell_text(value), kCellWidth));
      for (const std::string& line : column.cells.back()) {
        column.width = std::max(column.width, display_width(line));
      }
    }
    columns.push_back(std::move(column));
  }
  const std::size_t number_width =
      std::max<std::size_t>(1, std::to_string(table.rows.size()).size());

  // Blocks of columns that fit the page; each block repeats the row number.
  std::size_t first = 0;
  while (first < columns.size()) {
    std::size_t last = first;
    std::size_t width = number_width + kColumnGap.size() + columns[first].width;
    while (last + 1 < columns.size() &&
           width + kColumnGap.size() + columns[last + 1].width <= kPageWidth) {
      ++last;
      width += kColumnGap.size() + columns[last].width;
    }
    if (first != 0) out << "\n";
    std::string heading = padded("#", number_width, true);
    for (std::size_t c = first; c <= last; ++c) {
      heading += kColumnGap;
      heading += padded(columns[c].heading, columns[c].width, columns[c].right);
    }
    out << automation::trim_right(heading) << "\n" << std::string(number_width, '-');
    for (std::size_t c = first; c <= last; ++c) {
      out << kColumnGap << std::string(columns[c].width, '-');
    }
    out << "\n";
    for (std::size_t r = 0; r < table.rows.size(); ++r) {
      std::size_t height = 1;
      for (std::size_t c = first; c <= last; ++c) {
        height = std::max(height, columns[c].cells[r].size());
      }
      for (std::size_t line = 0; line < height; ++line) {
        std::string text = padded(line == 0 ? std::to_string(r + 1) : "", number_width, true);
        for (std::size_t c = first; c <= last; ++c) {
          const auto& cell = columns[c].cells[r];
          text += kColumnGap;
          text += padded(line < cell.size() ? cell[line] : "", columns[c].width, columns[c].right);
        }
        out << automation::trim_right(text) << "\n";
      }
    }
    first = last + 1;
  }
}

std::string one_line(std::string text) {
  for (std::size_t at; (at = text.find("\r\n")) != std::string::npos;) text.replace(at, 2, " / ");
  return text;
}

void print_error(std::ostream& out, const automation::Error& e) {
  out << "error " << e.number() << ": " << e.description() << "\n  source: " << one_line(e.source())
      << "\n";
}

void print_panel(std::ostream& out, const PanelResult& panel) {
  const PanelDef& def = *panel.def;
  out << "== " << def.title << " [" << def.name << "]";
  if (panel.error) {
    out << " ==\n";
    print_error(out, *panel.error);
    return;
  }
  if (panel.tables.size() == 1) {
    out << ": " << rows_phrase(panel.tables[0].rows.size()) << " ==\n";
    print_rows(out, panel.tables[0]);
    return;
  }
  out << " ==\n";
  for (const Table& table : panel.tables) {
    out << "-- " << table.def->title << ": " << rows_phrase(table.rows.size()) << " --\n";
    print_rows(out, table);
  }
}

// The heading of the whole view: the item and its description in the item master.
void print_item_heading(std::ostream& out, data::Connection& connection, const HostOptions& options,
                        const std::string& item) {
  out << "Item " << item;
  data::RecordsetPtr found = connection.Execute(
      dorsel::SqlText()
          .add({"SELECT MG66_DESCART FROM MG66_ANAGRART WHERE MG66_DITTA_CG18 = ",
                std::to_string(options.company), " AND MG66_CODART = "})
          .quoted(item)
          .take());
  if (found && !(found->Bof() && found->Eof())) {
    std::string description = cell_text(found->Fields().Item(0).Value());
    if (!description.empty()) out << ": " << description;
  } else {
    out << " (not in the item master)";
  }
  out << ", company " << options.company << "\n";
}

// --- JSON form

nlohmann::ordered_json table_json(const Table& table, bool layout) {
  nlohmann::ordered_json rows = nlohmann::ordered_json::array();
  for (const auto& row : table.rows) {
    nlohmann::ordered_json values = nlohmann::ordered_json::array();
    for (const Variant& value : row) {
      values.push_back(nlohmann::ordered_json(variant_to_json(value)));
    }
    rows.push_back(std::move(values));
  }
  nlohmann::ordered_json out;
  out["title"] = table.def->title;
  out["columns"] = table.columns;
  out["rows"] = std::move(rows);
  if (layout) {
    out["code"] = table.def->code;
    nlohmann::ordered_json shown = nlohmann::ordered_json::array();
    for (std::size_t index : shown_columns(table)) shown.push_back(table.columns[index]);
    out["shown"] = std::move(shown);
  }
  return out;
}

nlohmann::ordered_json panels_json(const std::vector<PanelResult>& panels, bool layout = false) {
  nlohmann::ordered_json out = nlohmann::ordered_json::object();
  for (const PanelResult& panel : panels) {
    nlohmann::ordered_json entry;
    if (panel.error) {
      entry["title"] = panel.def->title;
      entry["error"] = {{"number", panel.error->number()},
                        {"source", panel.error->source()},
                        {"description", panel.error->description()}};
    } else {
      entry = table_json(panel.tables[0], layout);
      entry["title"] = panel.def->title;
      if (panel.tables.size() > 1) entry["history"] = table_json(panel.tables[1], layout);
    }
    out[std::string(panel.def->name)] = std::move(entry);
  }
  return out;
}

}  // namespace

const std::vector<std::string>& viewer_panels() {
  static const std::vector<std::string> kNames = [] {
    std::vector<std::string> list;
    for (const PanelDef& def : panel_defs()) list.emplace_back(def.name);
    return list;
  }();
  return kNames;
}

std::string_view panel_title(std::string_view name) {
  const PanelDef* def = find_panel(name);
  return def != nullptr ? def->title : std::string_view();
}

nlohmann::ordered_json read_item_panels(CLSMG_DORSEL& component, const std::string& item,
                                        const std::vector<std::string>& panels, bool layout) {
  std::vector<const PanelDef*> chosen;
  for (const std::string& name : panels.empty() ? viewer_panels() : panels) {
    const PanelDef* def = find_panel(name);
    if (def == nullptr) {
      throw automation::Error(automation::errc::kInvalidProcedureCall, "read_item_panels",
                              "Unknown panel \"" + name + "\"");
    }
    if (std::find(chosen.begin(), chosen.end(), def) == chosen.end()) chosen.push_back(def);
  }
  load_slots(component, item);
  std::vector<PanelResult> results;
  results.reserve(chosen.size());
  for (const PanelDef* def : chosen) results.push_back(show_panel(component, *def, item));
  return panels_json(results, layout);
}

int run_show(const HostOptions& options, const std::string& item,
             const std::vector<std::string>& panels, ViewFormat format, std::ostream& out,
             std::ostream& err) {
  std::vector<const PanelDef*> chosen;
  for (const std::string& name : panels.empty() ? viewer_panels() : panels) {
    const PanelDef* def = find_panel(name);
    if (def == nullptr) {
      err << "dorsel show: unknown panel \"" << name << "\"; the panels are:";
      for (const std::string& known : viewer_panels()) err << " " << known;
      err << "\n";
      return 2;
    }
    // A panel named twice is shown once: the JSON form has one entry per panel.
    if (std::find(chosen.begin(), chosen.end(), def) == chosen.end()) chosen.push_back(def);
  }

  try {
    register_everything();
    std::optional<automation::ScopedNumberFormat> number_format;
    if (options.decimal_comma) number_format.emplace(automation::NumberFormat::italian());

    data::ConnectionPtr connection = open_host_connection(options);
    // The item's panels from one snapshot of the database, under one lock.
    data::Connection::SharedReads reads(*connection);
    std::shared_ptr<HostApplication> host =
        HostApplication::create(connection, options.company, options.language);

    // Created by its class name and bound as a host binds it.
    auto component =
        std::dynamic_pointer_cast<CLSMG_DORSEL>(automation::create_object(dorsel::kClassName));
    if (!component) throw automation::Error(automation::errc::kTypeMismatch, "dorsel show");
    component->SetConnessione(connection);
    if (!options.no_host) component->SetActiveInterface(Variant(automation::ObjectPtr(host)));
    component->Initialize();
    load_slots(*component, item);

    std::vector<PanelResult> results;
    bool failed = false;
    for (const PanelDef* def : chosen) {
      results.push_back(show_panel(*component, *def, item));
      failed = failed || results.back().error.has_value();
    }

    if (format == ViewFormat::kJson) {
      out << panels_json(results).dump(2) << "\n";
    } else {
      print_item_heading(out, *connection, options, item);
      for (const PanelResult& panel : results) {
        out << "\n";
        print_panel(out, panel);
      }
    }
    return failed ? 1 : 0;
  } catch (const automation::Error& e) {
    err << "dorsel show: error " << e.number() << ": " << e.description()
        << "\n  source: " << one_line(e.source()) << "\n";
    return 1;
  }
}

}  // namespace console
