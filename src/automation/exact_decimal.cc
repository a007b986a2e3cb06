#include "automation/exact_decimal.h"

#include <algorithm>
#include <cassert>

namespace automation {
namespace {

using Limbs = std::vector<std::uint32_t>;

constexpr std::uint32_t kBase = 1000000000;
constexpr int kLimbDigits = 9;
constexpr std::uint32_t kPow10[] = {1,      10,      100,      1000,      10000,
                                    100000, 1000000, 10000000, 100000000, 1000000000};

// Written exponents beyond this are refused whatever the caller allows: it keeps every scale
// well inside an int.
constexpr std::int64_t kExponentCeiling = 100000000;

void trim(Limbs& limbs) {
  while (!limbs.empty() && limbs.back() == 0) limbs.pop_back();
}

int digits_of_limb(std::uint32_t limb) {
  int n = 0;
  while (n < kLimbDigits && limb >= kPow10[n]) ++n;
  return n;
}

int compare_magnitude(const Limbs& a, const Limbs& b) {
  if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
  for (std::size_t i = a.size(); i-- > 0;) {
    if (a[i] != b[i]) return a[i] < b[i] ? -1 : 1;
  }
  return 0;
}

Limbs add_magnitude(const Limbs& a, const Limbs& b) {
  const Limbs& longer = a.size() >= b.size() ? a : b;
  const Limbs& shorter = a.size() >= b.size() ? b : a;
  Limbs out;
  out.reserve(longer.size() + 1);
  std::uint32_t carry = 0;
  for (std::size_t i = 0; i < longer.size(); ++i) {
    std::uint32_t sum = longer[i] + carry + (i < shorter.size() ? shorter[i] : 0);
    carry = sum >= kBase ? 1 : 0;
    out.push_back(sum - carry * kBase);
  }
  if (carry != 0) out.push_back(carry);
  return out;
}

// a - b for a >= b.
Limbs subtract_magnitude(const Limbs& a, const Limbs& b) {
  Limbs out;
  out.reserve(a.size());
  std::int64_t borrow = 0;
  for (std::size_t i = 0; i < a.size(); ++i) {
    std::int64_t d = static_cast<std::int64_t>(a[i]) - borrow - (i < b.size() ? b[i] : 0);
    borrow = d < 0 ? 1 : 0;
    out.push_back(static_cast<std::uint32_t>(d + borrow * kBase));
  }
  trim(out);
  return out;
}

void multiply_small(Limbs& limbs, std::uint32_t factor) {
  std::uint64_t carry = 0;
  for (std::uint32_t& limb : limbs) {
    std::uint64_t product = static_cast<std::uint64_t>(limb) * factor + carry;
    limb = static_cast<std::uint32_t>(product % kBase);
    carry = product / kBase;
  }
  while (carry != 0) {
    limbs.push_back(static_cast<std::uint32_t>(carry % kBase));
    carry /= kBase;
  }
  trim(limbs);
}

Limbs multiply(const Limbs& a, const Limbs& b) {
  if (a.empty() || b.empty()) return {};
  std::vector<std::uint64_t> wide(a.size() + b.size(), 0);
  for (std::size_t i = 0; i < a.size(); ++i) {
    std::uint64_t carry = 0;
    for (std::size_t j = 0; j < b.size(); ++j) {
      std::uint64_t cell = wide[i + j] + static_cast<std::uint64_t>(a[i]) * b[j] + carry;
      wide[i + j] = cell % kBase;
      carry = cell / kBase;
    }
    for (std::size_t k = i + b.size(); carry != 0; ++k) {
      std::uint64_t cell = wide[k] + carry;
      wide[k] = cell % kBase;
      carry = cell / kBase;
    }
  }
  Limbs out(wide.begin(), wide.end());
  trim(out);
  return out;
}

// limbs * 10^digits.
Limbs shift_left(Limbs limbs, int digits) {
  if (limbs.empty() || digits <= 0) return limbs;
  multiply_small(limbs, kPow10[digits % kLimbDigits]);
  limbs.insert(limbs.begin(), static_cast<std::size_t>(digits / kLimbDigits), 0);
  return limbs;
}

// What a division by a power of ten left behind, as rounding needs it.
struct Dropped {
  int first = 0;      // the most significant dropped digit
  bool rest = false;  // whether any later dropped digit is not zero
};

// limbs / 10^digits, cut toward zero; `dropped` describes the cut part.
Limbs shift_right(const Limbs& limbs, int digits, Dropped& dropped) {
  dropped = {};
  if (digits <= 0) return limbs;
  const std::size_t whole = static_cast<std::size_t>(digits / kLimbDigits);
  const int part = digits % kLimbDigits;
  if (whole > limbs.size()) {
    dropped.rest = !limbs.empty();
    return {};
  }
  for (std::size_t i = 0; i + 1 < whole; ++i) dropped.rest = dropped.rest || limbs[i] != 0;
  if (part == 0) {
    // The first dropped digit leads the highest limb dropped whole.
    const std::uint32_t top = limbs[whole - 1];
    dropped.first = static_cast<int>(top / kPow10[kLimbDigits - 1]);
    dropped.rest = dropped.rest || top % kPow10[kLimbDigits - 1] != 0;
    return Limbs(limbs.begin() + static_cast<std::ptrdiff_t>(whole), limbs.end());
  }
  if (whole > 0) dropped.rest = dropped.rest || limbs[whole - 1] != 0;
  if (whole == limbs.size()) return {};
  const std::uint32_t divisor = kPow10[part];
  const std::uint32_t low = limbs[whole] % divisor;
  dropped.first = static_cast<int>(low / kPow10[part - 1]);
  dropped.rest = dropped.rest || low % kPow10[part - 1] != 0;
  Limbs out(limbs.size() - whole);
  std::uint64_t remainder = 0;
  for (std::size_t i = limbs.size(); i-- > whole;) {
    const std::uint64_t current = remainder * kBase + limbs[i];
    out[i - whole] = static_cast<std::uint32_t>(current / divisor);
    remainder = current % divisor;
  }
  trim(out);
  return out;
}

Limbs limbs_of(UInt128 magnitude) {
  Limbs out;
  while (magnitude != 0) {
    out.push_back(static_cast<std::uint32_t>(magnitude % kBase));
    magnitude /= kBase;
  }
  return out;
}

bool round_away(const Limbs& kept, Dropped dropped, bool inexact, ExactDecimal::Rounding mode) {
  const bool rest = dropped.rest || inexact;
  switch (mode) {
    case ExactDecimal::Rounding::kTowardZero:
      return false;
    case ExactDecimal::Rounding::kHalfAwayFromZero:
      return dropped.first >= 5;
    case ExactDecimal::Rounding::kHalfEven:
      if (dropped.first != 5) return dropped.first > 5;
      return rest || (!kept.empty() && kept.front() % 2 != 0);
  }
  return false;
}

}  // namespace

ExactDecimal::ExactDecimal(bool negative, Limbs limbs, int scale, bool inexact)
    : negative_(negative), inexact_(inexact), scale_(scale), limbs_(std::move(limbs)) {
  trim(limbs_);
  if (limbs_.empty() && !inexact_) negative_ = false;
}

ExactDecimal ExactDecimal::from_int128(Int128 coefficient, int scale) {
  const bool negative = coefficient < 0;
  const UInt128 magnitude =
      negative ? UInt128{0} - static_cast<UInt128>(coefficient) : static_cast<UInt128>(coefficient);
  return ExactDecimal(negative, limbs_of(magnitude), scale, false);
}

std::optional<ExactDecimal> ExactDecimal::parse(std::string_view text, int max_exponent) {
  std::size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  // The kept significant digits, most significant first; `shift` counts the digits that stand
  // between them and the decimal point (fraction digits kept, minus whole digits dropped).
  std::string kept;
  std::int64_t shift = 0;
  bool any_digit = false;
  bool inexact = false;
  bool in_fraction = false;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '.' && !in_fraction) {
      in_fraction = true;
      continue;
    }
    if (c < '0' || c > '9') break;
    any_digit = true;
    if (kept.empty() && c == '0') {
      if (in_fraction) ++shift;
      continue;
    }
    if (static_cast<int>(kept.size()) < kMaxDigits) {
      kept.push_back(c);
      if (in_fraction) ++shift;
    } else {
      inexact = inexact || c != '0';
      if (!in_fraction) --shift;
    }
  }
  if (!any_digit) return std::nullopt;
  std::int64_t exponent = 0;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    ++i;
    bool exponent_negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) exponent_negative = text[i++] == '-';
    if (i == text.size()) return std::nullopt;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
      exponent = std::min<std::int64_t>(exponent * 10 + (text[i] - '0'), kExponentCeiling + 1);
    }
    if (exponent > max_exponent || exponent > kExponentCeiling) return std::nullopt;
    if (exponent_negative) exponent = -exponent;
  }
  if (i != text.size()) return std::nullopt;
  if (kept.empty()) {
    // Zero keeps its written fraction digits as its scale, as "0.00" does.
    return ExactDecimal(
        false, {},
        static_cast<int>(std::clamp<std::int64_t>(shift - exponent, 0, kExponentCeiling)), false);
  }
  Limbs limbs;
  limbs.reserve(kept.size() / kLimbDigits + 1);
  for (std::size_t end = kept.size(); end > 0;) {
    const std::size_t begin = end >= kLimbDigits ? end - kLimbDigits : 0;
    std::uint32_t limb = 0;
    for (std::size_t k = begin; k < end; ++k) {
      limb = limb * 10 + static_cast<std::uint32_t>(kept[k] - '0');
    }
    limbs.push_back(limb);
    end = begin;
  }
  const std::int64_t scale = shift - exponent;
  if (scale > kExponentCeiling * 4 || scale < -kExponentCeiling * 4) return std::nullopt;
  return ExactDecimal(negative, std::move(limbs), static_cast<int>(scale), inexact);
}

int ExactDecimal::digits() const {
  if (limbs_.empty()) return 0;
  return static_cast<int>(limbs_.size() - 1) * kLimbDigits + digits_of_limb(limbs_.back());
}

ExactDecimal ExactDecimal::rounded(int scale, Rounding mode) const {
  if (scale >= scale_) {
    return ExactDecimal(negative_, shift_left(limbs_, scale - scale_), scale, false);
  }
  Dropped dropped;
  Limbs kept = shift_right(limbs_, scale_ - scale, dropped);
  if (round_away(kept, dropped, inexact_, mode)) {
    kept = add_magnitude(kept, Limbs{1});
  }
  return ExactDecimal(negative_, std::move(kept), scale, false);
}

ExactDecimal ExactDecimal::trimmed(int min_scale) const {
  int drop = 0;
  const int available = scale_ - min_scale;
  // Count trailing zero digits, limb by limb.
  for (std::size_t i = 0; i < limbs_.size() && drop < available; ++i) {
    std::uint32_t limb = limbs_[i];
    int zeros = 0;
    while (zeros < kLimbDigits && limb % 10 == 0) {
      limb /= 10;
      ++zeros;
    }
    drop += zeros;
    if (zeros < kLimbDigits) break;
  }
  if (limbs_.empty()) drop = available;
  drop = std::min(drop, available);
  if (drop <= 0) return *this;
  Dropped dropped;
  return ExactDecimal(negative_, shift_right(limbs_, drop, dropped), scale_ - drop, inexact_);
}

std::optional<Int128> ExactDecimal::coefficient() const {
  UInt128 magnitude = 0;
  constexpr UInt128 kLimit = ~UInt128{0} >> 1;  // 2^127 - 1
  for (std::size_t i = limbs_.size(); i-- > 0;) {
    if (magnitude > (kLimit - limbs_[i]) / kBase) return std::nullopt;
    magnitude = magnitude * kBase + limbs_[i];
  }
  const Int128 value = static_cast<Int128>(magnitude);
  return negative_ ? -value : value;
}

std::string ExactDecimal::to_string(bool thousands, char separator) const {
  const ExactDecimal plain = scale_ < 0 ? rounded(0, Rounding::kTowardZero) : *this;
  std::string digits;
  if (!plain.limbs_.empty()) {
    digits = std::to_string(plain.limbs_.back());
    for (std::size_t i = plain.limbs_.size() - 1; i-- > 0;) {
      const std::string limb = std::to_string(plain.limbs_[i]);
      digits.append(kLimbDigits - limb.size(), '0').append(limb);
    }
  }
  const std::size_t fraction = static_cast<std::size_t>(plain.scale_);
  if (digits.size() <= fraction) digits.insert(0, fraction + 1 - digits.size(), '0');
  const std::size_t whole = digits.size() - fraction;
  std::string out;
  out.reserve(digits.size() + digits.size() / 3 + 3);
  if (plain.negative_ && !plain.limbs_.empty()) out.push_back('-');
  for (std::size_t i = 0; i < whole; ++i) {
    if (thousands && i > 0 && (whole - i) % 3 == 0) out.push_back(',');
    out.push_back(digits[i]);
  }
  if (fraction > 0) {
    out.push_back(separator);
    out.append(digits, whole, std::string::npos);
  }
  return out;
}

ExactDecimal ExactDecimal::aligned_to(int scale) const {
  return ExactDecimal(negative_, shift_left(limbs_, scale - scale_), scale, inexact_);
}

ExactDecimal operator+(const ExactDecimal& a, const ExactDecimal& b) {
  const int scale = std::max(a.scale_, b.scale_);
  const ExactDecimal x = a.aligned_to(scale);
  const ExactDecimal y = b.aligned_to(scale);
  if (x.negative_ == y.negative_) {
    return ExactDecimal(x.negative_, add_magnitude(x.limbs_, y.limbs_), scale, false);
  }
  const int order = compare_magnitude(x.limbs_, y.limbs_);
  if (order == 0) return ExactDecimal(false, {}, scale, false);
  const ExactDecimal& larger = order > 0 ? x : y;
  const ExactDecimal& smaller = order > 0 ? y : x;
  return ExactDecimal(larger.negative_, subtract_magnitude(larger.limbs_, smaller.limbs_), scale,
                      false);
}

ExactDecimal ExactDecimal::operator-() const {
  return ExactDecimal(!negative_, limbs_, scale_, inexact_);
}

ExactDecimal operator-(const ExactDecimal& a, const ExactDecimal& b) { return a + (-b); }

ExactDecimal operator*(const ExactDecimal& a, const ExactDecimal& b) {
  return ExactDecimal(a.negative_ != b.negative_, multiply(a.limbs_, b.limbs_), a.scale_ + b.scale_,
                      false);
}

std::strong_ordering operator<=>(const ExactDecimal& a, const ExactDecimal& b) {
  const bool a_negative = a.negative_ && !a.is_zero();
  const bool b_negative = b.negative_ && !b.is_zero();
  if (a_negative != b_negative) {
    return a_negative ? std::strong_ordering::less : std::strong_ordering::greater;
  }
  const int scale = std::max(a.scale_, b.scale_);
  int order = compare_magnitude(a.aligned_to(scale).limbs_, b.aligned_to(scale).limbs_);
  if (a_negative) order = -order;
  return order <=> 0;
}

ExactDecimal ExactDecimal::divide(const ExactDecimal& a, const ExactDecimal& b, int scale) {
  assert(!b.is_zero() && b.digits() <= kMaxDivisorDigits);
  const int shift = scale - a.scale_ + b.scale_;
  if (shift < 0) {
    // Fewer digits than the operands' own scales give: cut the quotient at those, then cut
    // again, keeping the mark of anything left over.
    const ExactDecimal finer = divide(a, b, scale - shift);
    Dropped dropped;
    Limbs kept = shift_right(finer.limbs_, -shift, dropped);
    return ExactDecimal(finer.negative_, std::move(kept), scale,
                        finer.inexact_ || dropped.first != 0 || dropped.rest);
  }
  // |a| * 10^shift / |b|, one limb at a time: the remainder stays below the divisor, under
  // 10^29, so the running value stays under 2^127.
  const Limbs numerator = shift_left(a.limbs_, shift);
  UInt128 divisor = 0;
  for (std::size_t i = b.limbs_.size(); i-- > 0;) divisor = divisor * kBase + b.limbs_[i];
  Limbs quotient(numerator.size());
  UInt128 remainder = 0;
  for (std::size_t i = numerator.size(); i-- > 0;) {
    const UInt128 current = remainder * kBase + numerator[i];
    quotient[i] = static_cast<std::uint32_t>(current / divisor);
    remainder = current % divisor;
  }
  return ExactDecimal(a.negative_ != b.negative_, std::move(quotient), scale, remainder != 0);
}

}  // namespace automation
