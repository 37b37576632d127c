// tvse-tool version: prints the program's version.

#include "tool/command.h"

#include "tool/version.h"

namespace {
int run(const Tool::Arguments&)
{
    Tool::print_line(std::string("tvse-tool ") + TVSE_VERSION);
    return 0;
}
const Tool::Command command("version", "version", run);
} // namespace
