// tvse-tool text FILE.module TEXT: the text a widget property value displays as, once
// the mod's localisation tables are loaded ("$1234" references resolve).

#include "tool/command.h"
#include "tool/loaded_mod_argument.h"

namespace {

int run(const Tool::Arguments& arguments)
{
    if (arguments.narrow.size() != 2)
        return Tool::fail("usage: tvse-tool text FILE.module TEXT");
    auto mod = Tool::open_loaded_mod(arguments.narrow[0], true);
    Tool::print_line(mod->resolve_text(arguments.narrow[1]));
    return 0;
}

const Tool::Command command("text", "text FILE.module TEXT", run);

} // namespace
