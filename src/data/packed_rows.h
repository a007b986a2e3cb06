// Rows kept packed: each value as a tag byte and a few bytes of payload, one row after another
// in large blocks. A recordset holds every row it read and every row a view added; as Variants
// that is 40 bytes a value whatever it holds, packed it is about what the database stores.
//
// The encoding of one value:
//   tag 0x00-0x0F  a kind (PackedKind) and its payload: integers as zigzag varints, whole
//                  doubles and dates as varints, other doubles and dates as their 8 bytes,
//                  decimals as scale-and-sign byte and a varint magnitude, long texts and
//                  byte arrays as varint length and bytes;
//   tag 0x40-0x7F  a text of (tag - 0x40) bytes, which follow.
// Objects and missing arguments have no packed form: a row holding one stays unpacked.
//
// Packed bytes never move and are never reused while their arena lives, so a pointer to a
// packed row names that row's values for good. Not thread-safe.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string_view>
#include <vector>

#include "automation/variant.h"

namespace data {

using Row = std::vector<automation::Variant>;

// Decodes `count` values from `packed` into `out`, which is resized to `count`; texts reuse
// the room of the texts `out` held.
void unpack_row(const std::uint8_t* packed, std::size_t count, Row& out);

// Decodes only the values at `ordinals` (ascending) into `out`, which must already hold as
// many values as the row; the others are left as they are.
void unpack_columns(const std::uint8_t* packed, std::span<const int> ordinals, Row& out);

// The value at `ordinal` of a packed row, skipping the ones before it.
automation::Variant unpack_value(const std::uint8_t* packed, std::size_t ordinal);

// Blocks of packed rows that grow with the rows stored, up to 64 KiB each.
class RowArena {
 public:
  RowArena() = default;
  RowArena(RowArena&&) noexcept = default;
  RowArena& operator=(RowArena&&) noexcept = default;

  // Packs `values` into the arena; nullptr (and nothing stored) when a value has no packed
  // form. The bytes stay where they are for the arena's life.
  const std::uint8_t* store(std::span<const automation::Variant> values);

  // A row packed value by value, for a provider that reads its engine's values straight into
  // the packed form: begin_row(), an add call per value, end_row() for the row's address. The
  // bytes are those store() writes for the Variants the calls name.
  void begin_row();
  void add_null();
  void add_integer(std::int16_t v);
  void add_long(std::int32_t v);
  void add_long_long(std::int64_t v);
  void add_double(double v);
  void add_text(std::string_view text);
  bool add_value(const automation::Variant& v);  // false for a value with no packed form
  const std::uint8_t* end_row();

 private:
  void new_block(std::size_t at_least);
  // Where the row's next value goes, with at least `n` bytes free after it.
  std::uint8_t* room(std::size_t n) {
    if (used_ + n > left_) carry_over(n);
    return row_ + used_;
  }
  // Moves the row begun so far to a new block with room for `n` bytes more.
  void carry_over(std::size_t n);
  template <class Write>
  void pack(std::size_t most, Write write);

  std::unique_ptr<std::uint8_t[]> first_;  // most results fit one block: no list for them
  std::vector<std::unique_ptr<std::uint8_t[]>> more_;
  std::uint8_t* next_ = nullptr;
  std::size_t left_ = 0;
  std::size_t block_size_ = 0;
  std::uint8_t* row_ = nullptr;  // the row being packed
  std::size_t used_ = 0;         // and its bytes so far
};

// The rows of one result as a provider hands them over.
class PackedRows {
 public:
  PackedRows() = default;
  PackedRows(PackedRows&&) noexcept = default;
  PackedRows& operator=(PackedRows&&) noexcept = default;

  // Packs and appends a row. A provider's values always have a packed form; an object or a
  // missing argument raises an internal error.
  void append(std::span<const automation::Variant> values);
  void reserve(std::size_t rows) { rows_.reserve(rows); }
  // Appends a row packed value by value: the add calls go to the arena begin_row() returns,
  // and end_row() appends the row of `width` values. A provider adds only packable values.
  RowArena& begin_row() {
    arena_.begin_row();
    return arena_;
  }
  void end_row(std::size_t width) {
    rows_.push_back(arena_.end_row());
    width_ = width;
  }

  std::size_t size() const { return rows_.size(); }
  bool empty() const { return rows_.empty(); }
  const std::uint8_t* packed(std::size_t i) const { return rows_[i]; }

  // Row `i` unpacked; every row has as many values as the first one appended.
  Row operator[](std::size_t i) const {
    Row row;
    unpack_row(rows_[i], width_, row);
    return row;
  }
  Row at(std::size_t i) const { return (*this)[checked(i)]; }

  // Walks the rows unpacked, one copy at a time.
  class Iterator {
   public:
    Iterator(const PackedRows* rows, std::size_t i) : rows_(rows), i_(i) {}
    Row operator*() const { return (*rows_)[i_]; }
    Iterator& operator++() {
      ++i_;
      return *this;
    }
    friend bool operator==(const Iterator&, const Iterator&) = default;

   private:
    const PackedRows* rows_;
    std::size_t i_;
  };
  Iterator begin() const { return Iterator(this, 0); }
  Iterator end() const { return Iterator(this, rows_.size()); }

  // Hands the blocks and the row pointers over (to a recordset's row store).
  RowArena take_arena() { return std::move(arena_); }
  std::vector<const std::uint8_t*> take_rows() { return std::move(rows_); }

 private:
  RowArena arena_;
  std::vector<const std::uint8_t*> rows_;
  std::size_t checked(std::size_t i) const;

  std::size_t width_ = 0;
};

}  // namespace data
