#include "platform/debug_output.h"

#include <mutex>

#ifdef _WIN32
#include <windows.h>
#else
#include <cstdio>
#endif

namespace Platform {
namespace {

std::mutex& sink_mutex()
{
    static std::mutex mutex;
    return mutex;
}

DebugSink& current_sink()
{
    static DebugSink sink;
    return sink;
}

void default_output(const std::string& message)
{
#ifdef _WIN32
    OutputDebugStringA(message.c_str());
#else
    std::fputs(message.c_str(), stderr);
    if (message.empty() || message.back() != '\n')
        std::fputc('\n', stderr);
#endif
}

} // namespace

void debug_output(const std::string& message)
{
    std::lock_guard<std::mutex> lock(sink_mutex());
    if (current_sink())
        current_sink()(message);
    else
        default_output(message);
}

DebugSink set_debug_sink(DebugSink sink)
{
    std::lock_guard<std::mutex> lock(sink_mutex());
    DebugSink previous = std::move(current_sink());
    current_sink() = std::move(sink);
    return previous;
}

} // namespace Platform
