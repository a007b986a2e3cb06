// Field and Fields: the columns of a recordset, after ADO's Field and Fields collection.
// A Field reads and writes the value of its column in its recordset's current row. Field
// objects are stable: asking twice for the same item gives the same object, valid while the
// recordset is open. Not thread-safe.
#pragma once

#include <cstdint>
#include <forward_list>
#include <string>
#include <string_view>
#include <vector>

#include "automation/variant.h"
#include "data/ado.h"

namespace data {

class Recordset;
class RecordsetInternal;

class Field {
 public:
  const std::string& Name() const { return *name_; }
  DataType Type() const { return type_; }
  std::int32_t DefinedSize() const { return defined_size_; }
  std::int32_t Attributes() const { return attributes_; }
  std::uint8_t Precision() const { return precision_; }
  std::uint8_t NumericScale() const { return numeric_scale_; }
  int ordinal() const { return ordinal_; }

  // The value in the current row. Raises 3704 when the recordset is closed, 3021 when there is
  // no current row. A new row's unwritten fields read Empty.
  automation::Variant Value() const;
  // The same without a copy; valid until the row changes.
  const automation::Variant& value_ref() const;
  // Writes the value, converted to the field's type as ADO converts it (texts in the current
  // number format; numbers to whole types rounded half to even; Empty gives 0, "" or the zero
  // date; adVariant keeps any value unchanged). Raises 3251 on a read-only recordset, 3021
  // without a current row, and -2147217887 (Multiple-step operation generated errors) when the
  // value cannot be stored: a text longer than the defined size of an adChar, adWChar,
  // adVarChar or adVarWChar field (adBSTR is not bounded by it), a value the type cannot take,
  // a Null into a field that may not be Null (one declared with attributes that hold neither
  // adFldIsNullable nor adFldMayBeNull; adFldUnspecified takes Null). Nothing is stored then.
  // The first write to a row starts its edit (see Recordset::EditMode).
  void SetValue(const automation::Variant& value);
  // The value as read from the database (or as last accepted by UpdateBatch); Empty for a
  // new row not yet sent. Raises like Value.
  automation::Variant OriginalValue() const;

 private:
  friend class RecordsetInternal;  // recordset_internal.h
  friend class Fields;             // Append makes a field
  // `attributes` as declared: adFldUnspecified reads back as 0 and lets the field take Null.
  // `name` is kept where it is: in the open recordset's column descriptions, or in the
  // collection's own names for an appended field.
  Field(Recordset* owner, int ordinal, const std::string* name, DataType type,
        std::int32_t defined_size, std::int32_t attributes, std::uint8_t precision,
        std::uint8_t numeric_scale)
      : owner_(owner),
        ordinal_(ordinal),
        name_(name),
        type_(type),
        defined_size_(defined_size),
        attributes_(attributes == kFldUnspecified ? 0 : attributes),
        precision_(precision),
        numeric_scale_(numeric_scale),
        null_allowed_(attributes == kFldUnspecified ||
                      (attributes & (kFldIsNullable | kFldMayBeNull)) != 0) {}

  Recordset* owner_;
  int ordinal_;
  const std::string* name_;
  DataType type_;
  std::int32_t defined_size_;
  std::int32_t attributes_;
  std::uint8_t precision_;
  std::uint8_t numeric_scale_;
  bool null_allowed_;
};

class Fields {
 public:
  int Count() const { return static_cast<int>(fields_.size()); }
  // By name (case-insensitive) or 0-based ordinal; a variant index may hold either.
  // Raises 3265 for an item that is not there.
  Field& Item(std::string_view name);
  Field& Item(const char* name) { return Item(std::string_view(name)); }
  Field& Item(const std::string& name) { return Item(std::string_view(name)); }
  Field& Item(int ordinal);
  Field& Item(const automation::Variant& index);
  // The ordinal of a name, or -1: for callers that look a column up once and read many rows.
  int index_of(std::string_view name) const;
  // Unique among all Fields collections ever made, and new whenever fields are dropped (the
  // recordset closed or reopened) or moved (appended past the room kept for them): a Field
  // reference kept by a caller is valid while the collection at that address shows the
  // generation it was taken in.
  std::uint64_t generation() const { return generation_; }

  // Declares a field of a recordset that is closed and was never connected. Raises 3705 when
  // the recordset is open, 3367 for a duplicate name, 3001 for a type that cannot be
  // appended (adEmpty).
  void Append(std::string_view name, DataType type, std::int32_t defined_size = 0,
              std::int32_t attributes = kFldUnspecified);

 private:
  friend class RecordsetInternal;  // recordset_internal.h
  explicit Fields(Recordset* owner) : owner_(owner), generation_(next_generation()) {}
  void clear() {
    fields_.clear();
    appended_names_.clear();
    generation_ = next_generation();
  }
  static std::uint64_t next_generation();

  Recordset* owner_;
  // A Field reference stays valid while the generation holds: a field appended past the
  // vector's room moves the others, and renews the generation.
  std::vector<Field> fields_;
  // The names of appended fields (a list: adding one moves none of the others).
  std::forward_list<std::string> appended_names_;
  std::uint64_t generation_;
};

}  // namespace data
