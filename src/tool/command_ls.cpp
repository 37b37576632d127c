// tvse-tool ls SOURCE [FOLDER]: lists a folder of a file source, one name a line, in the
// source's order; the root by default.

#include "tool/command.h"
#include "tool/source_argument.h"

#include "platform/text_encoding.h"

namespace {

const std::string usage = std::string("ls ") + Tool::source_usage + " [FOLDER]";

int run(const Tool::Arguments& arguments)
{
    auto opened = Tool::open_source_argument(arguments.narrow);
    if (!opened || opened->rest.size() > 1)
        return Tool::fail("usage: tvse-tool " + usage);
    const std::string folder = opened->rest.empty() ? std::string() : opened->rest[0];
    std::vector<std::string> names;
    opened->source->list(folder, names);
    for (const auto& name : names)
        Tool::print_line(Platform::ansi_to_utf16(name)); // names are ANSI, output is UTF-8
    return 0;
}

const Tool::Command command("ls", usage.c_str(), run);

} // namespace
