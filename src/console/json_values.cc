#include "console/json_values.h"

#include <cstring>
#include <limits>

#include "automation/convert.h"
#include "automation/date.h"
#include "automation/error.h"
#include "automation/number_format.h"

namespace console {

using automation::Variant;
using nlohmann::json;

namespace {

[[noreturn]] void bad_value(const std::string& why) {
  throw automation::Error(automation::errc::kInvalidProcedureCall, "dorsel session", why);
}

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

}  // namespace

std::string base64_encode(const automation::Bytes& bytes) {
  std::string out;
  out.reserve((bytes.size() + 2) / 3 * 4);
  for (std::size_t i = 0; i < bytes.size(); i += 3) {
    std::uint32_t n = static_cast<std::uint32_t>(bytes[i]) << 16;
    if (i + 1 < bytes.size()) n |= static_cast<std::uint32_t>(bytes[i + 1]) << 8;
    if (i + 2 < bytes.size()) n |= bytes[i + 2];
    out.push_back(kAlphabet[(n >> 18) & 63]);
    out.push_back(kAlphabet[(n >> 12) & 63]);
    out.push_back(i + 1 < bytes.size() ? kAlphabet[(n >> 6) & 63] : '=');
    out.push_back(i + 2 < bytes.size() ? kAlphabet[n & 63] : '=');
  }
  return out;
}

automation::Bytes base64_decode(std::string_view text) {
  automation::Bytes out;
  std::uint32_t buffer = 0;
  int bits = 0;
  std::size_t padding = 0;
  for (char c : text) {
    if (c == '=') {
      ++padding;
      continue;
    }
    if (padding != 0) bad_value("base64 text continues after its padding");
    const char* p = std::strchr(kAlphabet, c);
    if (c == '\0' || p == nullptr) bad_value("not base64 text");
    buffer = (buffer << 6) | static_cast<std::uint32_t>(p - kAlphabet);
    bits += 6;
    if (bits >= 8) {
      bits -= 8;
      out.push_back(static_cast<std::uint8_t>((buffer >> bits) & 0xFF));
    }
  }
  return out;
}

Variant variant_from_json(const json& value, const RefResolver& resolve) {
  switch (value.type()) {
    case json::value_t::null:
      return Variant::null();
    case json::value_t::boolean:
      return Variant(value.get<bool>());
    case json::value_t::string:
      return Variant(value.get<std::string>());
    case json::value_t::number_integer:
    case json::value_t::number_unsigned: {
      if (value.is_number_unsigned() &&
          value.get<std::uint64_t>() > static_cast<std::uint64_t>(INT64_MAX)) {
        return Variant(value.get<double>());
      }
      std::int64_t n = value.get<std::int64_t>();
      if (n >= std::numeric_limits<std::int32_t>::min() &&
          n <= std::numeric_limits<std::int32_t>::max()) {
        return Variant(static_cast<std::int32_t>(n));
      }
      return Variant(static_cast<double>(n));
    }
    case json::value_t::number_float:
      return Variant(value.get<double>());
    case json::value_t::object: {
      if (value.size() != 1) bad_value("a tagged value has exactly one key");
      const std::string& tag = value.begin().key();
      const json& body = value.begin().value();
      if (tag == "$empty") return Variant();
      if (tag == "$missing") return Variant::missing();
      if (tag == "$nothing") return Variant::nothing();
      if (tag == "$int") {
        if (!body.is_number_integer()) bad_value("$int takes a whole number");
        std::int64_t n = body.get<std::int64_t>();
        if (n < -32768 || n > 32767) {
          throw automation::Error(automation::errc::kOverflow, "dorsel session");
        }
        return Variant(static_cast<std::int16_t>(n));
      }
      if (!body.is_string()) bad_value(tag + " takes a text");
      const std::string text = body.get<std::string>();
      if (tag == "$decimal") {
        return Variant(automation::Decimal::parse(text, automation::NumberFormat::plain()));
      }
      if (tag == "$currency") {
        automation::ScopedNumberFormat plain(automation::NumberFormat::plain());
        return Variant(automation::to_currency(Variant(text)));
      }
      if (tag == "$date") {
        auto date = automation::parse_iso_date(text);
        if (!date) bad_value("$date takes YYYY-MM-DD[THH:MM:SS]");
        return Variant(*date);
      }
      if (tag == "$bytes") return Variant(base64_decode(text));
      if (tag == "$ref") return resolve(text);
      bad_value("unknown value tag " + tag);
    }
    default:
      bad_value("arrays are not automation values");
  }
}

void for_each_row(data::Recordset& recordset, const std::function<void(data::Fields&)>& visit) {
  if (recordset.CursorType() == data::kOpenForwardOnly) return;
  data::RecordsetPtr walker = recordset.Clone(data::kLockReadOnly);
  Variant filter = recordset.Filter();
  if (filter.is_string() && !filter.as_string().empty()) walker->SetFilter(filter);
  if (!(walker->Bof() && walker->Eof())) {
    walker->MoveFirst();
    for (data::Fields& fields = walker->Fields(); !walker->Eof(); walker->MoveNext()) {
      visit(fields);
    }
  }
  walker->Close();
}

json recordset_to_json(data::Recordset& recordset) {
  json out;
  out["state"] = recordset.State();
  json fields = json::array();
  const data::Fields& f = recordset.Fields();
  for (int i = 0; i < f.Count(); ++i) {
    data::Field& field = const_cast<data::Fields&>(f).Item(i);
    fields.push_back({{"name", field.Name()},
                      {"type", static_cast<int>(field.Type())},
                      {"size", field.DefinedSize()},
                      {"attributes", field.Attributes()}});
  }
  out["fields"] = std::move(fields);
  if (recordset.State() != data::kStateOpen) return out;

  json rows = json::array();
  for_each_row(recordset, [&](data::Fields& row_fields) {
    json row = json::array();
    for (int i = 0; i < row_fields.Count(); ++i) {
      row.push_back(variant_to_json(row_fields.Item(i).Value()));
    }
    rows.push_back(std::move(row));
  });
  out["rows"] = std::move(rows);
  out["recordCount"] = recordset.RecordCount();
  json position = nullptr;
  automation::ignore_errors([&] { position = recordset.AbsolutePosition(); });
  out["absolutePosition"] = position;
  out["bof"] = recordset.Bof();
  out["eof"] = recordset.Eof();
  out["filter"] = variant_to_json(recordset.Filter());
  return out;
}

json variant_to_json(const Variant& value) {
  switch (value.type()) {
    case automation::VarType::kEmpty:
      return {{"$empty", true}};
    case automation::VarType::kNull:
      return nullptr;
    case automation::VarType::kError:
      return {{"$missing", true}};
    case automation::VarType::kBoolean:
      return value.as_bool();
    case automation::VarType::kInteger:
      return value.as_integer();
    case automation::VarType::kLong:
      return value.as_long();
    case automation::VarType::kLongLong:
      return value.as_long_long();
    case automation::VarType::kDouble:
      return value.as_double();
    case automation::VarType::kCurrency:
      return {
          {"$currency",
           automation::Decimal::from_parts(value.as_currency().scaled, 4).to_invariant_string()}};
    case automation::VarType::kDecimal:
      return {{"$decimal", value.as_decimal().to_invariant_string()}};
    case automation::VarType::kDate:
      return {{"$date", automation::to_iso_text(value.as_date())}};
    case automation::VarType::kString:
      return value.as_string();
    case automation::VarType::kByteArray:
      return {{"$bytes", base64_encode(value.as_bytes())}};
    case automation::VarType::kObject: {
      const automation::ObjectPtr& object = value.as_object();
      if (!object) return {{"$nothing", true}};
      if (auto recordset = std::dynamic_pointer_cast<data::Recordset>(object)) {
        return {{"$recordset", recordset_to_json(*recordset)}};
      }
      return {{"$object", std::string(object->type_name())}};
    }
  }
  return nullptr;
}

}  // namespace console
