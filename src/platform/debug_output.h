#pragma once
// Messages for a developer watching the program, never for the user: OutputDebugStringA
// on Windows, standard error elsewhere. Tests may divert them.

#include <functional>
#include <string>

namespace Platform {

void debug_output(const std::string& message);

using DebugSink = std::function<void(const std::string& message)>;

// Replaces where messages go (an empty sink restores the default) and returns the
// previous sink. The sink may be called from any thread.
DebugSink set_debug_sink(DebugSink sink);

} // namespace Platform
