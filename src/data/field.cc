#include "data/field.h"

#include <atomic>
#include <cfloat>
#include <cmath>

#include "automation/convert.h"
#include "automation/decimal.h"
#include "automation/text.h"
#include "data/errors.h"
#include "data/recordset_internal.h"

namespace data {

using automation::Variant;

namespace {

constexpr std::string_view kFieldSource = "ADODB.Field";
constexpr std::string_view kFieldsSource = "ADODB.Fields";
constexpr std::string_view kNotUpdatable =
    "Current Recordset does not support updating. This may be a limitation of the provider, or "
    "of the selected locktype.";

[[noreturn]] void cannot_store() { raise(errc::kErrorsOccurred, kFieldSource); }

bool is_appendable(DataType type) {
  switch (type) {
    case DataType::kSmallInt:
    case DataType::kInteger:
    case DataType::kSingle:
    case DataType::kDouble:
    case DataType::kCurrency:
    case DataType::kDate:
    case DataType::kBSTR:
    case DataType::kBoolean:
    case DataType::kVariant:
    case DataType::kDecimal:
    case DataType::kTinyInt:
    case DataType::kUnsignedTinyInt:
    case DataType::kBigInt:
    case DataType::kGUID:
    case DataType::kBinary:
    case DataType::kChar:
    case DataType::kWChar:
    case DataType::kNumeric:
    case DataType::kDBDate:
    case DataType::kDBTime:
    case DataType::kDBTimeStamp:
    case DataType::kVarChar:
    case DataType::kLongVarChar:
    case DataType::kVarWChar:
    case DataType::kLongVarWChar:
    case DataType::kVarBinary:
    case DataType::kLongVarBinary:
      return true;
    case DataType::kEmpty:
      return false;
  }
  return false;
}

// Text types whose defined size bounds the value. adBSTR is a pointer type to the cursor
// engine: its defined size is not a character limit, so it is not checked.
bool size_limited_text(DataType type) {
  return type == DataType::kChar || type == DataType::kWChar || type == DataType::kVarChar ||
         type == DataType::kVarWChar;
}

Variant checked_text(const Variant& value, DataType type, std::int32_t defined_size) {
  std::string text = value.is_string() ? value.as_string() : automation::to_text(value);
  // A text of no more bytes than the size has no more characters either: only longer ones
  // are counted.
  if (size_limited_text(type) && defined_size > 0 &&
      text.size() > static_cast<std::size_t>(defined_size) &&
      automation::utf8_length(text) > static_cast<std::size_t>(defined_size)) {
    cannot_store();
  }
  return Variant(std::move(text));
}

Variant converted(const Variant& value, DataType type, std::int32_t defined_size,
                  std::uint8_t precision, std::uint8_t scale) {
  switch (type) {
    case DataType::kSmallInt:
      return Variant(automation::to_integer(value));
    case DataType::kInteger:
      return Variant(automation::to_long(value));
    case DataType::kTinyInt:
    case DataType::kUnsignedTinyInt: {
      std::int32_t n = automation::to_long(value);
      bool fits = type == DataType::kTinyInt ? (n >= -128 && n <= 127) : (n >= 0 && n <= 255);
      if (!fits) cannot_store();
      return Variant(static_cast<std::int16_t>(n));
    }
    case DataType::kBigInt:
      return Variant(static_cast<std::int64_t>(automation::to_decimal(value).to_int64_half_even()));
    case DataType::kSingle: {
      double d = automation::to_double(value);
      if (std::fabs(d) > FLT_MAX) cannot_store();
      return Variant(static_cast<double>(static_cast<float>(d)));
    }
    case DataType::kDouble:
      return Variant(automation::to_double(value));
    case DataType::kCurrency:
      return Variant(automation::to_currency(value));
    case DataType::kDecimal:
    case DataType::kNumeric: {
      automation::Decimal d = automation::to_decimal(value);
      // A column with a declared precision keeps its scale, as the database would.
      if (precision > 0 && d.scale() > scale) d = d.round(scale);
      return Variant(d);
    }
    case DataType::kBoolean:
      return Variant(automation::to_bool(value));
    case DataType::kDate:
    case DataType::kDBTimeStamp:
      return Variant(automation::to_date(value));
    case DataType::kDBDate: {
      double serial = automation::to_date(value).serial;
      return Variant(automation::Date{std::trunc(serial)});
    }
    case DataType::kDBTime: {
      double serial = automation::to_date(value).serial;
      return Variant(automation::Date{std::fabs(serial - std::trunc(serial))});
    }
    case DataType::kBSTR:
    case DataType::kChar:
    case DataType::kWChar:
    case DataType::kVarChar:
    case DataType::kVarWChar:
    case DataType::kLongVarChar:
    case DataType::kLongVarWChar:
    case DataType::kGUID:
      return checked_text(value, type, defined_size);
    case DataType::kBinary:
    case DataType::kVarBinary:
    case DataType::kLongVarBinary: {
      if (value.is_empty()) return Variant(automation::Bytes());
      if (!value.is_bytes()) cannot_store();
      if (type != DataType::kLongVarBinary && defined_size > 0 &&
          value.as_bytes().size() > static_cast<std::size_t>(defined_size)) {
        cannot_store();
      }
      return value;
    }
    case DataType::kVariant:
      return value;
    case DataType::kEmpty:
      break;
  }
  cannot_store();
}

}  // namespace

const Variant& Field::value_ref() const {
  const RecordsetInternal::State& st = RecordsetInternal::state(*owner_);
  st.require_open(kFieldSource);
  if (!st.has_current()) raise(errc::kNoCurrentRecord, kFieldSource);
  return st.current_values()[static_cast<std::size_t>(ordinal_)];
}

Variant Field::Value() const { return value_ref(); }

void Field::SetValue(const Variant& value) {
  RecordsetInternal::State& st = RecordsetInternal::state(*owner_);
  st.require_open(kFieldSource);
  if (st.read_only()) raise(errc::kFeatureNotAvailable, kFieldSource, std::string(kNotUpdatable));
  if (!st.has_current()) raise(errc::kNoCurrentRecord, kFieldSource);
  // Any subtype goes into a variant column unchanged; a double into a double column needs no
  // conversion either (the commonest write of a view).
  const bool as_is = type_ == DataType::kVariant ||
                     (type_ == DataType::kDouble && value.type() == automation::VarType::kDouble);
  if (as_is) {
    st.write(ordinal_, Variant(value));
  } else if (value.is_null()) {
    if (!null_allowed_) cannot_store();
    st.write(ordinal_, Variant::null());
  } else if (value.is_missing() || value.is_object()) {
    cannot_store();
  } else {
    Variant stored;
    try {
      stored = converted(value, type_, defined_size_, precision_, numeric_scale_);
    } catch (const automation::Error& e) {
      // The runtime's conversion errors (type mismatch, overflow) surface as the cursor
      // engine's own failure to store the value.
      if (e.number() == errc::kErrorsOccurred) throw;
      cannot_store();
    }
    st.write(ordinal_, std::move(stored));
  }
}

Variant Field::OriginalValue() const {
  const RecordsetInternal::State& st = RecordsetInternal::state(*owner_);
  st.require_open(kFieldSource);
  if (!st.has_current()) raise(errc::kNoCurrentRecord, kFieldSource);
  const detail::RowStore& store = *st.store;
  if (store.state(st.row) == detail::RowState::kAdded) return Variant();
  auto it = store.originals.find(st.row);
  if (it != store.originals.end()) return it->second[static_cast<std::size_t>(ordinal_)];
  return st.current_values()[static_cast<std::size_t>(ordinal_)];
}

Field& Fields::Item(std::string_view name) {
  int i = index_of(name);
  if (i < 0) raise(errc::kItemNotFound, kFieldsSource);
  return fields_[static_cast<std::size_t>(i)];
}

Field& Fields::Item(int ordinal) {
  if (ordinal < 0 || ordinal >= Count()) raise(errc::kItemNotFound, kFieldsSource);
  return fields_[static_cast<std::size_t>(ordinal)];
}

Field& Fields::Item(const Variant& index) {
  if (index.is_string()) return Item(std::string_view(index.as_string()));
  if (index.is_numeric()) {
    double d = automation::to_double(index);
    if (!(d > -0.5 && d < Count() - 0.5)) raise(errc::kItemNotFound, kFieldsSource);
    return Item(static_cast<int>(automation::to_long(index)));
  }
  raise(errc::kItemNotFound, kFieldsSource);
}

std::uint64_t Fields::next_generation() {
  static std::atomic<std::uint64_t> counter{0};
  return counter.fetch_add(1, std::memory_order_relaxed) + 1;
}

int Fields::index_of(std::string_view name) const {
  const RecordsetInternal::State& st = RecordsetInternal::state(*owner_);
  if (st.open) return st.store->find_name(name);
  for (std::size_t i = 0; i < fields_.size(); ++i) {
    if (automation::iequals(fields_[i].Name(), name)) return static_cast<int>(i);
  }
  return -1;
}

void Fields::Append(std::string_view name, DataType type, std::int32_t defined_size,
                    std::int32_t attributes) {
  const RecordsetInternal::State& st = RecordsetInternal::state(*owner_);
  if (st.open) raise(errc::kObjectOpen, kFieldsSource);
  // Only a recordset that never had a connection can be given fields of its own.
  if (st.connected_once) raise(errc::kIllegalOperation, kFieldsSource);
  if (name.empty() || !is_appendable(type) || defined_size < 0) {
    raise(errc::kInvalidArgument, kFieldsSource);
  }
  if (index_of(name) >= 0) raise(errc::kObjectInCollection, kFieldsSource);
  if (fields_.size() == fields_.capacity()) generation_ = next_generation();
  appended_names_.emplace_front(name);
  fields_.push_back(
      Field(owner_, Count(), &appended_names_.front(), type, defined_size, attributes, 0, 0));
}

void RecordsetInternal::set_columns(Fields& fields, const ColumnList& columns, Recordset* owner) {
  fields.clear();
  fields.fields_.reserve(columns.size());
  for (std::size_t i = 0; i < columns.size(); ++i) {
    const ColumnInfo& c = columns[i];
    fields.fields_.push_back(Field(owner, static_cast<int>(i), &c.name, c.type, c.defined_size,
                                   c.attributes, c.precision, c.numeric_scale));
  }
}

ColumnInfo RecordsetInternal::declared_column(const Field& field) {
  ColumnInfo c;
  c.name = field.Name();
  c.type = field.type_;
  c.defined_size = field.defined_size_;
  c.precision = field.precision_;
  c.numeric_scale = field.numeric_scale_;
  c.attributes =
      (field.attributes_ == 0 && field.null_allowed_) ? kFldUnspecified : field.attributes_;
  return c;
}

}  // namespace data
