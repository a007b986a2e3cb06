// NumberFormat: the decimal and group separators that the runtime uses to turn numbers into
// text and back. The current format is the installed ambient's (ambient.h), by default the
// process's, taken from LC_NUMERIC at start-up and settable by the host (tests set it directly,
// so no system locale needs to be installed).
#pragma once

#include <string>

namespace automation {

struct NumberFormat {
  char decimal_separator = '.';
  char group_separator = ',';

  static NumberFormat plain() { return {'.', ','}; }
  static NumberFormat italian() { return {',', '.'}; }
  // The separators of the process's LC_NUMERIC locale (as set by setlocale).
  static NumberFormat from_process_locale();
};

// The current format (the installed ambient's). Not synchronised: the host sets it before it
// drives the component.
const NumberFormat& current_number_format();
void set_current_number_format(const NumberFormat& format);

// Sets a format for the lifetime of the object and restores the previous one (tests).
class ScopedNumberFormat {
 public:
  explicit ScopedNumberFormat(const NumberFormat& format);
  ~ScopedNumberFormat();
  ScopedNumberFormat(const ScopedNumberFormat&) = delete;
  ScopedNumberFormat& operator=(const ScopedNumberFormat&) = delete;

 private:
  NumberFormat saved_;
};

}  // namespace automation
