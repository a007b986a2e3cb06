#include "data/packed_rows.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <stdexcept>
#include <string_view>

#include "automation/error.h"
#include "data/ado.h"

namespace data {
namespace {

using automation::Decimal;
using automation::Int128;
using automation::UInt128;
using automation::Variant;
using automation::VarType;

enum PackedKind : std::uint8_t {
  kEmpty,
  kNull,
  kFalse,
  kTrue,
  kInteger,      // zigzag varint
  kLong,         // zigzag varint
  kLongLong,     // zigzag varint
  kDouble,       // 8 bytes
  kWholeDouble,  // zigzag varint
  kCurrency,     // zigzag varint of the scaled value
  kDate,         // 8 bytes
  kWholeDate,    // zigzag varint of the day
  kDecimal,      // scale | sign << 7, varint magnitude
  kText,         // varint length, bytes
  kBytes,        // varint length, bytes
};
constexpr std::uint8_t kShortText = 0x40;
constexpr std::size_t kShortTextMax = 0x3F;

// Whole numbers a double holds exactly; -0.0 keeps its 8 bytes to keep its sign.
constexpr double kExactWhole = 9007199254740992.0;  // 2^53

std::uint64_t zigzag(std::int64_t v) {
  return (static_cast<std::uint64_t>(v) << 1) ^ static_cast<std::uint64_t>(v >> 63);
}
std::int64_t unzigzag(std::uint64_t v) {
  return static_cast<std::int64_t>(v >> 1) ^ -static_cast<std::int64_t>(v & 1);
}

bool whole(double d) {
  return d > -kExactWhole && d < kExactWhole && d == std::trunc(d) && !(d == 0 && std::signbit(d));
}

// The most bytes one value can take packed: a tag, a length or a 96-bit varint, and a text's
// or byte array's bytes. 0 for a value with no packed form.
constexpr std::size_t kTextRoom = 11;  // a tag and a length
constexpr std::size_t kMostRoom = 21;  // any other value

std::size_t room_for(const Variant& v) {
  switch (v.type()) {
    case VarType::kString:
      return kTextRoom + v.as_string().size();
    case VarType::kByteArray:
      return kTextRoom + v.as_bytes().size();
    case VarType::kObject:
    case VarType::kError:
      return 0;
    default:
      return kMostRoom;
  }
}

// Writes values into room that room_for() reserved; returns the end of what it wrote.
class Writer {
 public:
  explicit Writer(std::uint8_t* p) : p_(p) {}
  std::uint8_t* end() const { return p_; }

  void value(const Variant& v) {
    switch (v.type()) {
      case VarType::kEmpty:
        byte(kEmpty);
        return;
      case VarType::kNull:
        null();
        return;
      case VarType::kBoolean:
        byte(v.as_bool() ? kTrue : kFalse);
        return;
      case VarType::kInteger:
        number(kInteger, v.as_integer());
        return;
      case VarType::kLong:
        number(kLong, v.as_long());
        return;
      case VarType::kLongLong:
        number(kLongLong, v.as_long_long());
        return;
      case VarType::kDouble:
        real(v.as_double(), kWholeDouble, kDouble);
        return;
      case VarType::kCurrency:
        number(kCurrency, v.as_currency().scaled);
        return;
      case VarType::kDate:
        real(v.as_date().serial, kWholeDate, kDate);
        return;
      case VarType::kDecimal: {
        const Decimal& d = v.as_decimal();
        Int128 m = d.mantissa();
        byte(kDecimal);
        byte(static_cast<std::uint8_t>(d.scale() | (m < 0 ? 0x80 : 0)));
        UInt128 magnitude = m < 0 ? -static_cast<UInt128>(m) : static_cast<UInt128>(m);
        if ((magnitude >> 64) == 0) {
          varint(static_cast<std::uint64_t>(magnitude));
        } else {
          wide_varint(magnitude);
        }
        return;
      }
      case VarType::kString:
        text(v.as_string());
        return;
      case VarType::kByteArray: {
        const automation::Bytes& b = v.as_bytes();
        byte(kBytes);
        varint(b.size());
        bytes(b.data(), b.size());
        return;
      }
      case VarType::kObject:
      case VarType::kError:
        return;  // room_for() refused them: never written
    }
  }

  void null() { byte(kNull); }
  void text(std::string_view s) {
    if (s.size() <= kShortTextMax) {
      byte(static_cast<std::uint8_t>(kShortText + s.size()));
    } else {
      byte(kText);
      varint(s.size());
    }
    bytes(s.data(), s.size());
  }
  void number(PackedKind kind, std::int64_t v) {
    byte(kind);
    varint(zigzag(v));
  }
  void real(double d, PackedKind whole_kind, PackedKind fixed_kind) {
    if (whole(d)) {
      number(whole_kind, static_cast<std::int64_t>(d));
    } else {
      byte(fixed_kind);
      bytes(&d, sizeof d);
    }
  }

 private:
  void byte(std::uint8_t b) { *p_++ = b; }
  void varint(std::uint64_t v) {
    while (v >= 0x80) {
      *p_++ = static_cast<std::uint8_t>(v) | 0x80;
      v >>= 7;
    }
    *p_++ = static_cast<std::uint8_t>(v);
  }
  void wide_varint(UInt128 v) {
    while (v >= 0x80) {
      *p_++ = static_cast<std::uint8_t>(v) | 0x80;
      v >>= 7;
    }
    *p_++ = static_cast<std::uint8_t>(v);
  }
  void bytes(const void* data, std::size_t n) {
    if (n != 0) std::memcpy(p_, data, n);
    p_ += n;
  }
  std::uint8_t* p_;
};

// Reads the packed values in order.
class Reader {
 public:
  explicit Reader(const std::uint8_t* p) : p_(p) {}

  UInt128 varint() {
    UInt128 v = 0;
    int shift = 0;
    std::uint8_t byte = 0;
    do {
      byte = *p_++;
      v |= static_cast<UInt128>(byte & 0x7F) << shift;
      shift += 7;
    } while ((byte & 0x80) != 0);
    return v;
  }
  std::int64_t signed_varint() { return unzigzag(static_cast<std::uint64_t>(varint())); }
  double fixed() {
    double d = 0;
    std::memcpy(&d, p_, sizeof d);
    p_ += sizeof d;
    return d;
  }
  std::string_view bytes(std::size_t n) {
    std::string_view s(reinterpret_cast<const char*>(p_), n);
    p_ += n;
    return s;
  }

  // Decodes the next value into `out`, reusing its text's room.
  void read(Variant& out) {
    std::uint8_t tag = *p_++;
    if (tag >= kShortText) {
      out.assign_text(bytes(tag - kShortText));
      return;
    }
    switch (static_cast<PackedKind>(tag)) {
      case kEmpty:
        out = Variant();
        return;
      case kNull:
        out = Variant::null();
        return;
      case kFalse:
        out = Variant(false);
        return;
      case kTrue:
        out = Variant(true);
        return;
      case kInteger:
        out = Variant(static_cast<std::int16_t>(signed_varint()));
        return;
      case kLong:
        out = Variant(static_cast<std::int32_t>(signed_varint()));
        return;
      case kLongLong:
        out = Variant(signed_varint());
        return;
      case kDouble:
        out = Variant(fixed());
        return;
      case kWholeDouble:
        out = Variant(static_cast<double>(signed_varint()));
        return;
      case kCurrency:
        out = Variant(automation::Currency{signed_varint()});
        return;
      case kDate:
        out = Variant(automation::Date{fixed()});
        return;
      case kWholeDate:
        out = Variant(automation::Date{static_cast<double>(signed_varint())});
        return;
      case kDecimal: {
        std::uint8_t scale_and_sign = *p_++;
        auto magnitude = static_cast<Int128>(varint());
        out = Variant(Decimal::from_parts((scale_and_sign & 0x80) ? -magnitude : magnitude,
                                          scale_and_sign & 0x7F));
        return;
      }
      case kText: {
        auto n = static_cast<std::size_t>(varint());
        out.assign_text(bytes(n));
        return;
      }
      case kBytes: {
        auto n = static_cast<std::size_t>(varint());
        const std::uint8_t* start = p_;
        p_ += n;
        out = Variant(automation::Bytes(start, p_));
        return;
      }
    }
  }

  void skip() {
    std::uint8_t tag = *p_++;
    if (tag >= kShortText) {
      p_ += tag - kShortText;
      return;
    }
    switch (static_cast<PackedKind>(tag)) {
      case kInteger:
      case kLong:
      case kLongLong:
      case kWholeDouble:
      case kCurrency:
      case kWholeDate:
        varint();
        return;
      case kDouble:
      case kDate:
        p_ += sizeof(double);
        return;
      case kDecimal:
        ++p_;
        varint();
        return;
      case kText:
      case kBytes:
        p_ += static_cast<std::size_t>(varint());
        return;
      default:
        return;
    }
  }

 private:
  const std::uint8_t* p_;
};

constexpr std::size_t kFirstBlock = 256;
constexpr std::size_t kLargestBlock = std::size_t{64} * 1024;

}  // namespace

void unpack_row(const std::uint8_t* packed, std::size_t count, Row& out) {
  out.resize(count);
  Reader reader(packed);
  for (Variant& v : out) reader.read(v);
}

void unpack_columns(const std::uint8_t* packed, std::span<const int> ordinals, Row& out) {
  Reader reader(packed);
  int at = 0;
  for (int wanted : ordinals) {
    for (; at < wanted; ++at) reader.skip();
    reader.read(out[static_cast<std::size_t>(at++)]);
  }
}

Variant unpack_value(const std::uint8_t* packed, std::size_t ordinal) {
  Reader reader(packed);
  for (std::size_t i = 0; i < ordinal; ++i) reader.skip();
  Variant v;
  reader.read(v);
  return v;
}

void RowArena::new_block(std::size_t at_least) {
  // Blocks double up to the largest size, so a one-row look-up takes little and a large
  // result few allocations.
  block_size_ = std::min(kLargestBlock, std::max(kFirstBlock, block_size_ * 2));
  std::size_t size = std::max(block_size_, at_least);
  auto memory = std::make_unique_for_overwrite<std::uint8_t[]>(size);
  next_ = memory.get();
  left_ = size;
  if (first_ == nullptr) {
    first_ = std::move(memory);
  } else {
    more_.push_back(std::move(memory));
  }
}

void RowArena::begin_row() {
  if (next_ == nullptr) new_block(0);
  row_ = next_;
  used_ = 0;
}

void RowArena::carry_over(std::size_t n) {
  std::uint8_t* partial = row_;
  new_block(used_ + n);
  if (used_ != 0) std::memcpy(next_, partial, used_);
  row_ = next_;
}

// Each value is written at room() reserved for the most it can take; the row then ends where
// the writer stopped.
template <class Write>
void RowArena::pack(std::size_t most, Write write) {
  Writer writer(room(most));
  write(writer);
  used_ = static_cast<std::size_t>(writer.end() - row_);
}

void RowArena::add_null() {
  pack(1, [](Writer& w) { w.null(); });
}
void RowArena::add_integer(std::int16_t v) {
  pack(kMostRoom, [v](Writer& w) { w.number(kInteger, v); });
}
void RowArena::add_long(std::int32_t v) {
  pack(kMostRoom, [v](Writer& w) { w.number(kLong, v); });
}
void RowArena::add_long_long(std::int64_t v) {
  pack(kMostRoom, [v](Writer& w) { w.number(kLongLong, v); });
}
void RowArena::add_double(double v) {
  pack(kMostRoom, [v](Writer& w) { w.real(v, kWholeDouble, kDouble); });
}
void RowArena::add_text(std::string_view text) {
  pack(kTextRoom + text.size(), [text](Writer& w) { w.text(text); });
}

bool RowArena::add_value(const Variant& v) {
  std::size_t most = room_for(v);
  if (most == 0) return false;
  pack(most, [&v](Writer& w) { w.value(v); });
  return true;
}

const std::uint8_t* RowArena::end_row() {
  // A row of no columns still gets an address of its own.
  if (used_ == 0) {
    if (left_ == 0) new_block(1);
    row_ = next_;
    used_ = 1;
  }
  next_ = row_ + used_;
  left_ -= used_;
  return row_;
}

const std::uint8_t* RowArena::store(std::span<const Variant> values) {
  begin_row();
  for (const Variant& v : values) {
    std::size_t most = room_for(v);
    if (most == 0) return nullptr;  // nothing kept: the bytes written stay free
    pack(most, [&v](Writer& w) { w.value(v); });
  }
  return end_row();
}

void PackedRows::append(std::span<const Variant> values) {
  const std::uint8_t* row = arena_.store(values);
  if (row == nullptr) {
    throw automation::Error(errc::kUnspecifiedError, "ADODB.Recordset",
                            "A provider returned a value that a row cannot hold.");
  }
  rows_.push_back(row);
  width_ = values.size();
}

std::size_t PackedRows::checked(std::size_t i) const {
  if (i >= rows_.size()) throw std::out_of_range("PackedRows::at");
  return i;
}

}  // namespace data
