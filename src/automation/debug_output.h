// The debug-output sink: one text per call, as the platform's debug-output call receives it.
// By default the texts go to the system log at debug priority, or, when the environment
// variable DORSEL_DEBUG_OUTPUT names a file, are appended to that file one per line.
// The sink is the installed ambient's (ambient.h), by default the process's; the host or a test
// may replace it.
#pragma once

#include <functional>
#include <string_view>

namespace automation {

using DebugSink = std::function<void(std::string_view)>;

void output_debug_string(std::string_view text);

// Replaces the sink and returns the previous one. nullptr restores the default.
DebugSink set_debug_sink(DebugSink sink);

}  // namespace automation
