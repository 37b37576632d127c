// The screen model from an in-memory file system: a screen, a style sheet, a colour
// table and a font description, cut from one input (no window, no device).

#include "fuzz_input.h"
#include "mod/memory_source.h"
#include "render/font_description.h"
#include "screen/colour_table.h"
#include "screen/screen_document.h"
#include "screen/widget.h"

namespace {

// Scripts get a small budget: a fuzzer run must stay quick per input, and the limits
// themselves are what is being fuzzed.
Screen::ScriptLimits limits()
{
    Screen::ScriptLimits limits;
    limits.memory_bytes = std::size_t(64) << 20;
    limits.instructions = 2'000'000;
    return limits;
}

void visit(Screen::Widget* widget, int depth)
{
    if (!widget || depth > 64)
        return;
    widget->reload_styled();
    if (widget->type())
        widget->screen()->styles_for_type(*widget->type());
    if (const std::vector<Screen::Widget*>* children = widget->child_widgets()) {
        for (Screen::Widget* child : *children)
            visit(child, depth + 1);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::vector<std::string> parts = Fuzz::split_input(data, size, 4);
    auto files = std::make_shared<MemorySource>();
    const std::string path = "Art\\UI\\Screens\\fuzz.screen";
    files->add(path, parts[0]);
    files->add("art\\ui\\styles\\uistyles.styles", parts[1]);
    files->add(Screen::ColourTable::path, parts[2]);
    files->add("font\\fuzz.fnt", parts[3]);
    try {
        std::unique_ptr<Screen::ColourTable> colours = Screen::ColourTable::load(*files, limits());
        Screen::ScreenSources sources{files, colours.get(), nullptr, nullptr};
        Screen::ScreenDocument document(nullptr, sources, path, limits());
        visit(document.widgets(), 0);
        visit(document.tooltip_widgets(), 0);
    } catch (const std::exception&) {
    }
    Render::read_font_description(*files, "fuzz", limits());
    return 0;
}
