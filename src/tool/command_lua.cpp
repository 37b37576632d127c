// tvse-tool lua FILE.module SCREENPATH [WIDGETPATH]: exactly the text the editor's copy
// hands out, in UTF-8: the whole `Screen` statement, or the table of the widget named by
// its path of names from a root (the screen's widgets or its tooltip widgets), such as
// rootGroup/playButton. Exit 1 when the screen does not load or has no such widget,
// with the reason; 2 for a wrong command line.

#include "tool/command.h"

#include "mod/loaded_mod.h"
#include "platform/text_encoding.h"
#include "render/resource_set.h"
#include "screen/screen_document.h"
#include "screen/widget.h"

#include <cstdio>

namespace {

std::string utf8(const std::string& narrow)
{
    return Platform::utf16_to_utf8(Platform::ansi_to_utf16(narrow));
}

// The widget at the '/'-separated names from one of the document's two roots, the
// first of the same name among its siblings at each step; null when there is none.
const Screen::Widget* widget_at_path(const Screen::ScreenDocument& document, const std::string& path)
{
    std::vector<std::string> names;
    for (std::size_t start = 0;;) {
        const std::size_t end = path.find('/', start);
        names.push_back(path.substr(start, end - start));
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    for (const Screen::Widget* root : {document.widgets(), document.tooltip_widgets()}) {
        const Screen::Widget* widget = root && root->name() == names.front() ? root : nullptr;
        for (std::size_t i = 1; widget && i < names.size(); ++i) {
            const std::vector<Screen::Widget*>* children = widget->child_widgets();
            const Screen::Widget* next = nullptr;
            // Kept backwards: the script's first of a name is the last here.
            for (std::size_t c = children ? children->size() : 0; c-- > 0 && !next;) {
                if ((*children)[c]->name() == names[i])
                    next = (*children)[c];
            }
            widget = next;
        }
        if (widget)
            return widget;
    }
    return nullptr;
}

int run(const Tool::Arguments& arguments)
{
    if (arguments.narrow.size() != 2 && arguments.narrow.size() != 3) {
        Tool::fail("usage: tvse-tool lua FILE.module SCREENPATH [WIDGETPATH]");
        return 2;
    }
    Mod::LoadedMod mod;
    mod.set_resource_builder(Render::resource_set_builder());
    mod.load(nullptr, arguments.narrow[0]);
    mod.wait_until_loaded(Platform::wait_forever);
    std::string text;
    try {
        Screen::ScreenDocument document(nullptr, mod, arguments.narrow[1]);
        const Screen::Widget* widget = nullptr;
        if (arguments.narrow.size() == 3) {
            widget = widget_at_path(document, arguments.narrow[2]);
            if (!widget)
                return Tool::fail("no widget " + utf8(arguments.narrow[2]) + " in " + utf8(arguments.narrow[1]));
        }
        text = utf8(document.lua_text(widget));
    } catch (const std::exception& failure) {
        return Tool::fail(utf8(failure.what()));
    }
    Tool::write_binary(text.data(), text.size());
    return 0;
}

const Tool::Command command("lua", "lua FILE.module SCREENPATH [WIDGETPATH]", run);

} // namespace
