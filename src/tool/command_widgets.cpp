// tvse-tool widgets FILE.module SCREENPATH: the widget tree of a screen as the editor
// builds it, then its tooltip widgets, one widget a line: two spaces per depth, the
// name, the type text (or -), the class, the rectangle x y width height in document
// units, visible or hidden, the style as sheet/style (or -) with "(style size)" when
// the size came from the style, and the text (or -). A screen that does not load
// prints the document's message to stderr.

#include "tool/command.h"

#include "mod/loaded_mod.h"
#include "platform/text_encoding.h"
#include "render/resource_set.h"
#include "screen/screen_document.h"
#include "screen/widget.h"

#include <cstdio>

namespace {

std::string utf8(const std::string& narrow) { return Platform::utf16_to_utf8(Platform::ansi_to_utf16(narrow)); }

std::string number(float value)
{
    char text[32];
    std::snprintf(text, sizeof(text), "%.7g", static_cast<double>(value));
    return text;
}

std::string describe(const Screen::Widget& widget)
{
    std::string line = utf8(widget.name());
    line += " " + (widget.type() ? utf8(*widget.type()) : std::string("-"));
    line += " " + std::string(widget.class_name());
    line += " " + number(widget.x()) + " " + number(widget.y()) + " " + number(widget.width()) + " " +
            number(widget.height());
    line += widget.is_visible() ? " visible" : " hidden";
    const bool styled = widget.style_sheet() || widget.style_name();
    if (styled) {
        line += " " + (widget.style_sheet() ? utf8(*widget.style_sheet()) : std::string("-")) + "/" +
                (widget.style_name() ? utf8(*widget.style_name()) : std::string("-"));
    } else {
        line += " -";
    }
    // Without a style a missing size is simply the default.
    if (styled && widget.size_from_style())
        line += " (style size)";
    line += " " + (widget.text() ? utf8(*widget.text()) : std::string("-"));
    return line;
}

// Depth first, in drawing order reversed: the order the screen file lists them.
void print_tree(const Screen::Widget& widget, int depth)
{
    Tool::print_line(std::string(static_cast<std::size_t>(depth) * 2, ' ') + describe(widget));
    for (std::size_t i = widget.child_count(); i-- > 0;) {
        if (const auto* child = dynamic_cast<const Screen::Widget*>(widget.child(i)))
            print_tree(*child, depth + 1);
    }
}

int run(const Tool::Arguments& arguments)
{
    if (arguments.narrow.size() != 2)
        return Tool::fail("usage: tvse-tool widgets FILE.module SCREENPATH");
    Mod::LoadedMod mod;
    mod.set_resource_builder(Render::resource_set_builder());
    mod.load(nullptr, arguments.narrow[0]);
    mod.wait_until_loaded(Platform::wait_forever);
    std::unique_ptr<Screen::ScreenDocument> document;
    try {
        document = std::make_unique<Screen::ScreenDocument>(nullptr, mod, arguments.narrow[1]);
    } catch (const std::exception& failure) {
        return Tool::fail(utf8(failure.what()));
    }
    if (const Screen::Widget* widgets = document->widgets())
        print_tree(*widgets, 0);
    if (const Screen::Widget* tooltips = document->tooltip_widgets())
        print_tree(*tooltips, 0);
    return 0;
}

const Tool::Command command("widgets", "widgets FILE.module SCREENPATH", run);

} // namespace
