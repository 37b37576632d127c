// tvse-tool names NAME...: prints the screen-list display name of each file name.

#include "tool/command.h"

#include "platform/text_encoding.h"
#include "start/display_name.h"

namespace {
int run(const Tool::Arguments& arguments)
{
    if (arguments.narrow.empty())
        return Tool::fail("usage: tvse-tool names NAME...");
    for (const std::string& name : arguments.narrow) {
        std::string display = Start::make_display_name(name);
#ifdef _WIN32
        // Arguments arrive in the ANSI code page, like game paths.
        Tool::print_line(Platform::ansi_to_utf16(display));
#else
        // Arguments arrive as UTF-8; the splitter only cuts and capitalises at ASCII
        // characters, so the result is still UTF-8.
        Tool::print_line(display);
#endif
    }
    return 0;
}
const Tool::Command command("names", "names NAME...", run);
} // namespace
