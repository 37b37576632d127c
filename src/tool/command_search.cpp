// tvse-tool search FILE.module QUERY: every string of the mod whose text contains all
// the words of QUERY, as "<identifier><TAB><text>", one a line in ascending order.
// Line feeds inside a text are written as the two characters \n to keep one a line.

#include "tool/command.h"
#include "tool/loaded_mod_argument.h"

namespace {

int run(const Tool::Arguments& arguments)
{
    if (arguments.text.size() != 2)
        return Tool::fail("usage: tvse-tool search FILE.module QUERY");
    auto mod = Tool::open_loaded_mod(arguments.narrow[0], true);
    std::vector<std::int32_t> every;
    for (std::int32_t id : mod->id_layout(mod->min_id(), mod->max_id()))
        if (mod->find_text(id))
            every.push_back(id);
    for (std::int32_t id : mod->search_ids(arguments.text[1], every)) {
        std::u16string line = u"";
        for (char c : std::to_string(id))
            line.push_back(static_cast<char16_t>(c));
        line.push_back(u'\t');
        for (char16_t unit : mod->resolve_text("$" + std::to_string(id))) {
            if (unit == u'\n')
                line += u"\\n";
            else
                line.push_back(unit);
        }
        Tool::print_line(line);
    }
    return 0;
}

const Tool::Command command("search", "search FILE.module QUERY", run);

} // namespace
