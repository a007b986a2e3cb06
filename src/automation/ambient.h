// The runtime's surroundings that a host may set: the number format, the debug-output sink, the
// prompt service and the date the component sees as today. A process starts with one set,
// shared by its threads and set by the host before it starts any. A host that drives several
// components side by side (a server's requests, the C interface's instances) gives each its own
// Ambient and installs it on the calling thread for the length of every call (ScopedAmbient);
// the functions of number_format.h, debug_output.h, prompt.h and date.h then read and change
// the installed set, and nothing one component does is seen by another.
//
// An Ambient is used by one thread at a time: the one it is installed on.
#pragma once

#include <memory>
#include <optional>

#include "automation/date.h"
#include "automation/debug_output.h"
#include "automation/number_format.h"
#include "automation/prompt.h"

namespace automation {

struct Ambient {
  NumberFormat number_format = NumberFormat::from_process_locale();
  DebugSink debug_sink;                   // empty: the default sink
  std::shared_ptr<PromptService> prompt;  // null: every question is declined
  std::optional<CivilDateTime> today;     // empty: the system date
};

// The set installed on this thread, else the process's.
Ambient& current_ambient();

// Installs `ambient` on this thread until the object is destroyed, then puts back what was
// installed before (installations nest).
class ScopedAmbient {
 public:
  explicit ScopedAmbient(Ambient& ambient);
  ~ScopedAmbient();
  ScopedAmbient(const ScopedAmbient&) = delete;
  ScopedAmbient& operator=(const ScopedAmbient&) = delete;

 private:
  Ambient* previous_;
};

}  // namespace automation
