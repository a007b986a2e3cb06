#include "automation/number_format.h"

#include <clocale>

#include "automation/ambient.h"

namespace automation {

NumberFormat NumberFormat::from_process_locale() {
  NumberFormat format;
  const std::lconv* conv = std::localeconv();
  if (conv != nullptr && conv->decimal_point != nullptr && conv->decimal_point[0] != '\0') {
    format.decimal_separator = conv->decimal_point[0];
  }
  if (conv != nullptr && conv->thousands_sep != nullptr && conv->thousands_sep[0] != '\0' &&
      conv->thousands_sep[1] == '\0') {
    format.group_separator = conv->thousands_sep[0];
  } else {
    // Locales such as "C" define no group separator; the runtime still needs one that is
    // not the decimal separator.
    format.group_separator = format.decimal_separator == ',' ? '.' : ',';
  }
  if (format.group_separator == format.decimal_separator) {
    format.group_separator = format.decimal_separator == ',' ? '.' : ',';
  }
  return format;
}

namespace {
NumberFormat& current() { return current_ambient().number_format; }
}  // namespace

const NumberFormat& current_number_format() { return current(); }

void set_current_number_format(const NumberFormat& format) { current() = format; }

ScopedNumberFormat::ScopedNumberFormat(const NumberFormat& format) : saved_(current()) {
  current() = format;
}

ScopedNumberFormat::~ScopedNumberFormat() { current() = saved_; }

}  // namespace automation
