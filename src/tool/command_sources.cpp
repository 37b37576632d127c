// tvse-tool sources FILE.module: how the mod of a module file is composed: the chosen
// locale, the modules in order, every source in precedence order with whether it was
// opened (and why not), and the folders scanned for .ucs tables.

#include "tool/command.h"
#include "tool/loaded_mod_argument.h"

#include "platform/text_encoding.h"

namespace {

// Game paths are narrow ANSI strings; the tool prints UTF-8.
std::string utf8(const std::string& narrow) { return Platform::utf16_to_utf8(Platform::ansi_to_utf16(narrow)); }

int run(const Tool::Arguments& arguments)
{
    if (arguments.narrow.size() != 1)
        return Tool::fail("usage: tvse-tool sources FILE.module");
    auto mod = Tool::open_loaded_mod(arguments.narrow[0], false);
    const Mod::ModComposition& composition = mod->composition();
    Tool::print_line("locale " + utf8(composition.locale));
    for (const std::string& path : composition.module_paths)
        Tool::print_line("module " + utf8(path));
    for (const Mod::SourceRecord& record : composition.sources) {
        std::string line = std::string(Mod::kind_name(record.entry.kind)) + " " + utf8(record.entry.path);
        line += record.opened ? " opened" : " left out: " + utf8(record.reason);
        Tool::print_line(line);
    }
    for (const std::string& folder : composition.locale_folders)
        Tool::print_line("locale-folder " + utf8(folder));
    return 0;
}

const Tool::Command command("sources", "sources FILE.module", run);

} // namespace
