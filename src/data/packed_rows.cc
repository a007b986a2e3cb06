#include "data/packed_rows.h"

#include <algorithm>
#include <bit>
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

void put_varint(std::vector<std::uint8_t>& out, UInt128 v) {
  while (v >= 0x80) {
    out.push_back(static_cast<std::uint8_t>(v) | 0x80);
    v >>= 7;
  }
  out.push_back(static_cast<std::uint8_t>(v));
}

std::uint64_t zigzag(std::int64_t v) {
  return (static_cast<std::uint64_t>(v) << 1) ^ static_cast<std::uint64_t>(v >> 63);
}
std::int64_t unzigzag(std::uint64_t v) {
  return static_cast<std::int64_t>(v >> 1) ^ -static_cast<std::int64_t>(v & 1);
}

void put_fixed(std::vector<std::uint8_t>& out, double d) {
  std::uint8_t bytes[sizeof d];
  std::memcpy(bytes, &d, sizeof d);
  out.insert(out.end(), bytes, bytes + sizeof d);
}

bool whole(double d) {
  return d > -kExactWhole && d < kExactWhole && d == std::trunc(d) && !(d == 0 && std::signbit(d));
}

void put_double(std::vector<std::uint8_t>& out, double d, PackedKind whole_kind,
                PackedKind fixed_kind) {
  if (whole(d)) {
    out.push_back(whole_kind);
    put_varint(out, zigzag(static_cast<std::int64_t>(d)));
  } else {
    out.push_back(fixed_kind);
    put_fixed(out, d);
  }
}

void put_sized(std::vector<std::uint8_t>& out, PackedKind kind, const std::uint8_t* data,
               std::size_t size) {
  out.push_back(kind);
  put_varint(out, size);
  out.insert(out.end(), data, data + size);
}

bool put_value(std::vector<std::uint8_t>& out, const Variant& v) {
  switch (v.type()) {
    case VarType::kEmpty:
      out.push_back(kEmpty);
      return true;
    case VarType::kNull:
      out.push_back(kNull);
      return true;
    case VarType::kBoolean:
      out.push_back(v.as_bool() ? kTrue : kFalse);
      return true;
    case VarType::kInteger:
      out.push_back(kInteger);
      put_varint(out, zigzag(v.as_integer()));
      return true;
    case VarType::kLong:
      out.push_back(kLong);
      put_varint(out, zigzag(v.as_long()));
      return true;
    case VarType::kLongLong:
      out.push_back(kLongLong);
      put_varint(out, zigzag(v.as_long_long()));
      return true;
    case VarType::kDouble:
      put_double(out, v.as_double(), kWholeDouble, kDouble);
      return true;
    case VarType::kCurrency:
      out.push_back(kCurrency);
      put_varint(out, zigzag(v.as_currency().scaled));
      return true;
    case VarType::kDate:
      put_double(out, v.as_date().serial, kWholeDate, kDate);
      return true;
    case VarType::kDecimal: {
      const Decimal& d = v.as_decimal();
      Int128 m = d.mantissa();
      out.push_back(kDecimal);
      out.push_back(static_cast<std::uint8_t>(d.scale() | (m < 0 ? 0x80 : 0)));
      put_varint(out, m < 0 ? -static_cast<UInt128>(m) : static_cast<UInt128>(m));
      return true;
    }
    case VarType::kString: {
      const std::string& s = v.as_string();
      const auto* data = reinterpret_cast<const std::uint8_t*>(s.data());
      if (s.size() <= kShortTextMax) {
        out.push_back(static_cast<std::uint8_t>(kShortText + s.size()));
        out.insert(out.end(), data, data + s.size());
      } else {
        put_sized(out, kText, data, s.size());
      }
      return true;
    }
    case VarType::kByteArray: {
      const automation::Bytes& b = v.as_bytes();
      put_sized(out, kBytes, b.data(), b.size());
      return true;
    }
    case VarType::kObject:
    case VarType::kError:
      break;
  }
  return false;
}

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
constexpr std::size_t kLargestBlock = 64 * 1024;

}  // namespace

bool pack_row(std::span<const Variant> values, std::vector<std::uint8_t>& out) {
  std::size_t start = out.size();
  for (const Variant& v : values) {
    if (!put_value(out, v)) {
      out.resize(start);
      return false;
    }
  }
  return true;
}

void unpack_row(const std::uint8_t* packed, std::size_t count, Row& out) {
  out.resize(count);
  Reader reader(packed);
  for (Variant& v : out) reader.read(v);
}

Variant unpack_value(const std::uint8_t* packed, std::size_t ordinal) {
  Reader reader(packed);
  for (std::size_t i = 0; i < ordinal; ++i) reader.skip();
  Variant v;
  reader.read(v);
  return v;
}

const std::uint8_t* RowArena::store(std::span<const std::uint8_t> bytes) {
  if (bytes.size() > left_ || next_ == nullptr) {
    // Blocks double up to the largest size, so a one-row look-up takes little and a large
    // result few allocations.
    block_size_ = std::min(kLargestBlock, std::max(kFirstBlock, block_size_ * 2));
    std::size_t size = std::max(block_size_, bytes.size());
    blocks_.push_back(std::make_unique_for_overwrite<std::uint8_t[]>(size));
    next_ = blocks_.back().get();
    left_ = size;
  }
  std::uint8_t* at = next_;
  if (!bytes.empty()) std::memcpy(at, bytes.data(), bytes.size());
  next_ += bytes.size();
  left_ -= bytes.size();
  return at;
}

void PackedRows::append(std::span<const Variant> values) {
  scratch_.clear();
  if (!pack_row(values, scratch_)) {
    throw automation::Error(errc::kUnspecifiedError, "ADODB.Recordset",
                            "A provider returned a value that a row cannot hold.");
  }
  rows_.push_back(arena_.store(scratch_));
  width_ = values.size();
}

std::size_t PackedRows::checked(std::size_t i) const {
  if (i >= rows_.size()) throw std::out_of_range("PackedRows::at");
  return i;
}

}  // namespace data
