#include "automation/date.h"

#include <cmath>
#include <cstdio>
#include <ctime>

#include "automation/ambient.h"
#include "automation/error.h"

namespace automation {
namespace {

// Days from 1970-01-01 to a civil date (proleptic Gregorian).
long long days_from_civil(long long y, unsigned m, unsigned d) {
  y -= m <= 2;
  const long long era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<long long>(doe) - 719468;
}

void civil_from_days(long long z, int* year, int* month, int* day) {
  z += 719468;
  const long long era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const long long y = static_cast<long long>(yoe) + era * 400;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  const unsigned d = doy - (153 * mp + 2) / 5 + 1;
  const unsigned m = mp < 10 ? mp + 3 : mp - 9;
  *year = static_cast<int>(y + (m <= 2));
  *month = static_cast<int>(m);
  *day = static_cast<int>(d);
}

const long long kEpochOffset = days_from_civil(1899, 12, 30);  // automation day 0
constexpr double kMillisPerDay = 86400000.0;

bool leap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }
int days_in_month(int y, int m) {
  static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return m == 2 && leap(y) ? 29 : kDays[m - 1];
}

std::optional<CivilDateTime>& override_slot() { return current_ambient().today; }

}  // namespace

Date date_from_civil(const CivilDateTime& c) {
  if (auto date = try_date_from_civil(c)) return *date;
  raise_runtime(errc::kInvalidProcedureCall);
}

std::optional<Date> try_date_from_civil(const CivilDateTime& c) {
  if (c.year < 100 || c.year > 9999 || c.month < 1 || c.month > 12 || c.day < 1 ||
      c.day > days_in_month(c.year, c.month) || c.hour < 0 || c.hour > 23 || c.minute < 0 ||
      c.minute > 59 || c.second < 0 || c.second > 59 || c.millisecond < 0 || c.millisecond > 999) {
    return std::nullopt;
  }
  long long days =
      days_from_civil(c.year, static_cast<unsigned>(c.month), static_cast<unsigned>(c.day)) -
      kEpochOffset;
  double fraction = ((c.hour * 60.0 + c.minute) * 60.0 + c.second) * 1000.0 + c.millisecond;
  fraction /= kMillisPerDay;
  // Below day 0 the fraction still counts forwards within the day.
  double serial =
      days >= 0 ? static_cast<double>(days) + fraction : static_cast<double>(days) - fraction;
  return Date{serial};
}

CivilDateTime civil_from_date(Date date) {
  double whole = std::trunc(date.serial);
  double fraction = std::fabs(date.serial - whole);
  long long days = static_cast<long long>(whole);
  long long millis = std::llround(fraction * kMillisPerDay);
  if (millis >= static_cast<long long>(kMillisPerDay)) {
    millis -= static_cast<long long>(kMillisPerDay);
    days += date.serial >= 0 ? 1 : -1;
  }
  CivilDateTime c;
  civil_from_days(days + kEpochOffset, &c.year, &c.month, &c.day);
  c.millisecond = static_cast<int>(millis % 1000);
  long long seconds = millis / 1000;
  c.second = static_cast<int>(seconds % 60);
  c.minute = static_cast<int>((seconds / 60) % 60);
  c.hour = static_cast<int>(seconds / 3600);
  return c;
}

std::string to_stored_text(const CivilDateTime& c) {
  char buffer[48];
  std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02d:%02d:%02d.%03d", c.year, c.month, c.day,
                c.hour, c.minute, c.second, c.millisecond);
  return buffer;
}

std::string to_stored_text(Date date) { return to_stored_text(civil_from_date(date)); }

std::string to_iso_text(Date date) {
  CivilDateTime c = civil_from_date(date);
  char buffer[48];
  if (c.millisecond != 0) {
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02dT%02d:%02d:%02d.%03d", c.year, c.month,
                  c.day, c.hour, c.minute, c.second, c.millisecond);
  } else {
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02dT%02d:%02d:%02d", c.year, c.month, c.day,
                  c.hour, c.minute, c.second);
  }
  return buffer;
}

std::optional<Date> parse_iso_date(std::string_view text) {
  auto number = [&](std::size_t pos, std::size_t len, int* out) {
    if (pos + len > text.size()) return false;
    int v = 0;
    for (std::size_t i = pos; i < pos + len; ++i) {
      if (text[i] < '0' || text[i] > '9') return false;
      v = v * 10 + (text[i] - '0');
    }
    *out = v;
    return true;
  };
  CivilDateTime c;
  if (!number(0, 4, &c.year) || text.size() < 10 || text[4] != '-' || !number(5, 2, &c.month) ||
      text[7] != '-' || !number(8, 2, &c.day)) {
    return std::nullopt;
  }
  std::size_t pos = 10;
  if (pos < text.size()) {
    if (text[pos] != ' ' && text[pos] != 'T') return std::nullopt;
    ++pos;
    if (!number(pos, 2, &c.hour) || pos + 2 >= text.size() || text[pos + 2] != ':' ||
        !number(pos + 3, 2, &c.minute)) {
      return std::nullopt;
    }
    pos += 5;
    if (pos < text.size()) {
      if (text[pos] != ':' || !number(pos + 1, 2, &c.second)) return std::nullopt;
      pos += 3;
      if (pos < text.size()) {
        if (text[pos] != '.') return std::nullopt;
        ++pos;
        int digits = 0, ms = 0;
        while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9') {
          if (digits < 3) ms = ms * 10 + (text[pos] - '0');
          ++digits;
          ++pos;
        }
        if (digits == 0 || pos != text.size()) return std::nullopt;
        for (int i = digits; i < 3; ++i) ms *= 10;
        c.millisecond = ms;
      }
    }
  }
  return try_date_from_civil(c);
}

CivilDateTime today() {
  if (override_slot()) return *override_slot();
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  CivilDateTime c;
  c.year = local.tm_year + 1900;
  c.month = local.tm_mon + 1;
  c.day = local.tm_mday;
  return c;
}

void set_today_override(std::optional<CivilDateTime> fixed) { override_slot() = fixed; }

}  // namespace automation
