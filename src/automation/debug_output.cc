#include "automation/debug_output.h"

#include "automation/ambient.h"

#include <syslog.h>

#include <cstdlib>
#include <fstream>
#include <mutex>
#include <string>

namespace automation {
namespace {

void default_sink(std::string_view text) {
  if (const char* path = std::getenv("DORSEL_DEBUG_OUTPUT"); path != nullptr && *path != '\0') {
    std::ofstream out(path, std::ios::app);
    out << text << '\n';
    return;
  }
  syslog(LOG_DEBUG, "%.*s", static_cast<int>(text.size()), text.data());
}

// The process's sink may be replaced while other threads write.
std::mutex& sink_mutex() {
  static std::mutex mutex;
  return mutex;
}

DebugSink& sink() { return current_ambient().debug_sink; }

}  // namespace

void output_debug_string(std::string_view text) {
  DebugSink copy;
  {
    std::lock_guard<std::mutex> lock(sink_mutex());
    copy = sink();
  }
  if (copy) {
    copy(text);
  } else {
    default_sink(text);
  }
}

DebugSink set_debug_sink(DebugSink replacement) {
  std::lock_guard<std::mutex> lock(sink_mutex());
  DebugSink previous = std::move(sink());
  sink() = std::move(replacement);
  return previous;
}

}  // namespace automation
