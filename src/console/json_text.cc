#include "console/json_text.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <optional>

#include <nlohmann/json.hpp>

#include "automation/date.h"
#include "automation/decimal.h"
#include "automation/error.h"
#include "console/json_values.h"

namespace console {

using automation::Variant;

namespace {

template <class Integer>
void append_integer(std::string& out, Integer value) {
  char buffer[24];
  auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
  out.append(buffer, end);
}

void append_bool(std::string& out, bool value) { out += value ? "true" : "false"; }

// Strictly well-formed UTF-8: no overlong forms, surrogates or code points past U+10FFFF, which
// is what the library's decoder accepts.
bool valid_utf8(std::string_view text) {
  const auto* p = reinterpret_cast<const unsigned char*>(text.data());
  const auto* end = p + text.size();
  auto continuation = [&](const unsigned char* at, unsigned char low, unsigned char high) {
    return at < end && *at >= low && *at <= high;
  };
  while (p < end) {
    const unsigned char c = *p;
    if (c < 0x80) {
      ++p;
    } else if (c >= 0xC2 && c <= 0xDF) {
      if (!continuation(p + 1, 0x80, 0xBF)) return false;
      p += 2;
    } else if (c >= 0xE0 && c <= 0xEF) {
      const unsigned char low = c == 0xE0 ? 0xA0 : 0x80;
      const unsigned char high = c == 0xED ? 0x9F : 0xBF;
      if (!continuation(p + 1, low, high) || !continuation(p + 2, 0x80, 0xBF)) return false;
      p += 3;
    } else if (c >= 0xF0 && c <= 0xF4) {
      const unsigned char low = c == 0xF0 ? 0x90 : 0x80;
      const unsigned char high = c == 0xF4 ? 0x8F : 0xBF;
      if (!continuation(p + 1, low, high) || !continuation(p + 2, 0x80, 0xBF) ||
          !continuation(p + 3, 0x80, 0xBF)) {
        return false;
      }
      p += 4;
    } else {
      return false;
    }
  }
  return true;
}

// {"TAG":"TEXT"}
void append_tagged_text(std::string& out, std::string_view tag, std::string_view text) {
  out += "{\"";
  out += tag;
  out += "\":";
  append_json_string(out, text);
  out += '}';
}

void append_fields(std::string& out, data::Recordset& recordset) {
  out += "\"fields\":[";
  data::Fields& fields = recordset.Fields();
  for (int i = 0; i < fields.Count(); ++i) {
    const data::Field& field = fields.Item(i);
    if (i != 0) out += ',';
    out += "{\"attributes\":";
    append_integer(out, field.Attributes());
    out += ",\"name\":";
    append_json_string(out, field.Name());
    out += ",\"size\":";
    append_integer(out, field.DefinedSize());
    out += ",\"type\":";
    append_integer(out, static_cast<int>(field.Type()));
    out += '}';
  }
  out += ']';
}

// The rows as seen through the filter, walked by a clone so that the host's cursor stays.
void append_rows(std::string& out, data::Recordset& recordset) {
  out += '[';
  bool first = true;
  for_each_row(recordset, [&](data::Fields& fields) {
    if (!first) out += ',';
    first = false;
    out += '[';
    for (int i = 0; i < fields.Count(); ++i) {
      if (i != 0) out += ',';
      append_json(out, fields.Item(i).value_ref());
    }
    out += ']';
  });
  out += ']';
}

}  // namespace

void append_json_string(std::string& out, std::string_view text) {
  if (!valid_utf8(text)) {
    // Rare enough to leave to the library, which decides what each broken sequence becomes.
    out += nlohmann::json(std::string(text))
               .dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
    return;
  }
  static constexpr char kHex[] = "0123456789abcdef";
  out += '"';
  std::size_t plain = 0;  // start of the run not yet copied
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c >= 0x20 && c != '"' && c != '\\') continue;
    out.append(text.data() + plain, i - plain);
    plain = i + 1;
    out += '\\';
    switch (c) {
      case '"':
        out += '"';
        break;
      case '\\':
        out += '\\';
        break;
      case '\b':
        out += 'b';
        break;
      case '\f':
        out += 'f';
        break;
      case '\n':
        out += 'n';
        break;
      case '\r':
        out += 'r';
        break;
      case '\t':
        out += 't';
        break;
      default:
        out += "u00";
        out += kHex[c >> 4];
        out += kHex[c & 0xF];
    }
  }
  out.append(text.data() + plain, text.size() - plain);
  out += '"';
}

void append_json_double(std::string& out, double value) {
  if (!std::isfinite(value)) {
    out += "null";
    return;
  }
  // A whole number of up to fifteen digits is its digits and ".0" in the library's shortest
  // form; anything else takes the library's own conversion, so the text stays the same.
  if (std::abs(value) < 1e15 && value == std::trunc(value) &&
      !(value == 0 && std::signbit(value))) {
    append_integer(out, static_cast<std::int64_t>(value));
    out += ".0";
    return;
  }
  char buffer[64];
  char* end = nlohmann::detail::to_chars(buffer, buffer + sizeof buffer, value);
  out.append(buffer, end);
}

void append_json(std::string& out, const Variant& value) {
  switch (value.type()) {
    case automation::VarType::kEmpty:
      out += R"({"$empty":true})";
      return;
    case automation::VarType::kNull:
      out += "null";
      return;
    case automation::VarType::kError:
      out += R"({"$missing":true})";
      return;
    case automation::VarType::kBoolean:
      append_bool(out, value.as_bool());
      return;
    case automation::VarType::kInteger:
      append_integer(out, value.as_integer());
      return;
    case automation::VarType::kLong:
      append_integer(out, value.as_long());
      return;
    case automation::VarType::kLongLong:
      append_integer(out, value.as_long_long());
      return;
    case automation::VarType::kDouble:
      append_json_double(out, value.as_double());
      return;
    case automation::VarType::kCurrency:
      append_tagged_text(
          out, "$currency",
          automation::Decimal::from_parts(value.as_currency().scaled, 4).to_invariant_string());
      return;
    case automation::VarType::kDecimal:
      append_tagged_text(out, "$decimal", value.as_decimal().to_invariant_string());
      return;
    case automation::VarType::kDate:
      append_tagged_text(out, "$date", automation::to_iso_text(value.as_date()));
      return;
    case automation::VarType::kString:
      append_json_string(out, value.as_string());
      return;
    case automation::VarType::kByteArray:
      append_tagged_text(out, "$bytes", base64_encode(value.as_bytes()));
      return;
    case automation::VarType::kObject: {
      const automation::ObjectPtr& object = value.as_object();
      if (!object) {
        out += R"({"$nothing":true})";
      } else if (auto* recordset = dynamic_cast<data::Recordset*>(object.get())) {
        out += R"({"$recordset":)";
        append_recordset_json(out, *recordset);
        out += '}';
      } else {
        append_tagged_text(out, "$object", object->type_name());
      }
      return;
    }
  }
  out += "null";
}

void append_recordset_json(std::string& out, data::Recordset& recordset) {
  const int state = recordset.State();
  out += '{';
  if (state == data::kStateOpen) {
    std::optional<std::int64_t> position;
    automation::ignore_errors([&] { position = recordset.AbsolutePosition(); });
    out += "\"absolutePosition\":";
    if (position) {
      append_integer(out, *position);
    } else {
      out += "null";
    }
    out += ",\"bof\":";
    append_bool(out, recordset.Bof());
    out += ",\"eof\":";
    append_bool(out, recordset.Eof());
    out += ',';
    append_fields(out, recordset);
    out += ",\"filter\":";
    append_json(out, recordset.Filter());
    out += ",\"recordCount\":";
    append_integer(out, recordset.RecordCount());
    out += ",\"rows\":";
    append_rows(out, recordset);
  } else {
    append_fields(out, recordset);
  }
  out += ",\"state\":";
  append_integer(out, state);
  out += '}';
}

}  // namespace console
