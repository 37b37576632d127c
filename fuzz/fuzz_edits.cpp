// Editing a screen: a screen and its style sheet, then a sequence of edits (rectangle,
// text, visibility, style, size from the style, rename, tooltip widget, undo, redo) cut
// from one input. The edited screen is written as Lua and loaded back; both must build
// the same tree, and the text must write again as itself.

#include "editor/editor_session.h"
#include "fuzz_input.h"
#include "mod/memory_source.h"
#include "screen/edit_history.h"
#include "screen/lua_writer.h"
#include "screen/presentation_item.h"
#include "screen/screen_document.h"
#include "screen/widget.h"

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

Screen::ScriptLimits limits()
{
    Screen::ScriptLimits limits;
    limits.memory_bytes = std::size_t(64) << 20;
    limits.instructions = 2'000'000;
    return limits;
}

void listed_widgets(Screen::Widget* widget, std::vector<Screen::Widget*>& widgets)
{
    if (!widget || widgets.size() > 4096)
        return;
    widgets.push_back(widget);
    if (const std::vector<Screen::Widget*>* children = widget->child_widgets()) {
        for (Screen::Widget* child : *children)
            listed_widgets(child, widgets);
    }
}

// What the tree shows, one line a widget, depth first in drawing order.
void describe(const Screen::Widget* widget, int depth, std::string& out)
{
    if (!widget || depth > 256)
        return;
    char rectangle[160];
    std::snprintf(rectangle, sizeof(rectangle), " [%a %a %a %a] %d %d ", double(widget->x()), double(widget->y()),
                  double(widget->width()), double(widget->height()), widget->is_visible() ? 1 : 0,
                  widget->size_from_style() ? 1 : 0);
    out += std::string(static_cast<std::size_t>(depth), ' ') + widget->class_name() + " " + widget->name() +
           rectangle + widget->text().value_or("-") + "|" + widget->tooltip() + "|" +
           widget->tooltip_name().value_or("-") + "|" + widget->style_sheet().value_or("-") + "/" +
           widget->style_name().value_or("-") + " items=" + std::to_string(widget->art().size()) + "\n";
    for (std::size_t i = 0; i < widget->child_count(); ++i)
        describe(dynamic_cast<const Screen::Widget*>(widget->child(i)), depth + 1, out);
}

std::string tree_of(const Screen::ScreenDocument& document)
{
    std::string tree;
    describe(document.tooltip_widgets(), 0, tree);
    describe(document.widgets(), 0, tree);
    return tree;
}

class Edits {
public:
    Edits(const std::string& bytes) : m_bytes(bytes) {}
    bool more() const { return m_at < m_bytes.size(); }
    std::uint8_t byte() { return m_at < m_bytes.size() ? static_cast<std::uint8_t>(m_bytes[m_at++]) : 0; }
    float number() { return static_cast<float>(static_cast<std::int8_t>(byte())) / 64.0f; }
    std::string text()
    {
        const std::size_t length = byte() % 8;
        std::string text;
        for (std::size_t i = 0; i < length; ++i)
            text += static_cast<char>(byte());
        return text;
    }

private:
    const std::string& m_bytes;
    std::size_t m_at = 0;
};

void apply(Editor::EditorSession& session, Screen::Widget& widget, Edits& edits)
{
    Screen::ScreenDocument& document = session.document();
    switch (edits.byte() % 11) {
    case 0:
        widget.set_bounds(edits.number(), edits.number(), edits.number(), edits.number());
        break;
    case 1:
        widget.set_text(edits.text());
        break;
    case 2:
        widget.set_visible(edits.byte() & 1);
        break;
    case 3:
        widget.set_tooltip(edits.text());
        break;
    case 4:
        if (widget.type()) {
            const std::vector<Screen::StyleName>& styles = document.styles_for_type(*widget.type());
            if (!styles.empty()) {
                const Screen::StyleName& style = styles[edits.byte() % styles.size()];
                widget.set_style(style.first, style.second);
            }
        }
        break;
    case 5:
        widget.set_size_from_style(edits.byte() & 1);
        break;
    case 6:
        session.rename(widget, edits.text());
        break;
    case 7: {
        const std::vector<std::string> names = session.tooltip_widget_names();
        session.set_tooltip_widget(widget, names.empty() ? std::string() : names[edits.byte() % names.size()]);
        break;
    }
    case 8:
        session.undo();
        break;
    case 9:
        session.redo();
        break;
    default: {
        const Screen::EditRun run(Screen::EditRun::next_id());
        session.nudge_selection(edits.number(), edits.number());
        break;
    }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::vector<std::string> parts = Fuzz::split_input(data, size, 3);
    auto files = std::make_shared<MemorySource>();
    const std::string path = "Art\\UI\\Screens\\fuzz.screen";
    files->add(path, parts[0]);
    files->add("art\\ui\\styles\\uistyles.styles", parts[1]);
    std::string text;
    std::string tree;
    try {
        Screen::ScreenDocument document(nullptr, Screen::ScreenSources{files}, path, limits());
        auto session = Editor::EditorSession::create(document);
        Edits edits(parts[2]);
        for (int count = 0; edits.more() && count < 200; ++count) {
            std::vector<Screen::Widget*> widgets;
            listed_widgets(document.widgets(), widgets);
            listed_widgets(document.tooltip_widgets(), widgets);
            if (widgets.empty())
                break;
            Screen::Widget* widget = widgets[edits.byte() % widgets.size()];
            session->select(widget);
            session->attempt([&] { apply(*session, *widget, edits); });
        }
        text = document.lua_text(nullptr);
        tree = tree_of(document);
        session->detach();
    } catch (const std::exception&) {
        return 0; // a screen that does not load, or text too large to write
    }
    // The text builds the tree the edits left, and writes again as itself.
    files->add(path, text);
    try {
        Screen::ScreenDocument again(nullptr, Screen::ScreenSources{files}, path, limits());
        if (tree_of(again) != tree || again.lua_text(nullptr) != text)
            std::abort();
    } catch (const std::exception& failure) {
        // Only the limits may refuse the text of a screen that loaded.
        const std::string message = failure.what();
        if (message.find(Screen::instruction_budget_message) == std::string::npos &&
            message.find("not enough memory") == std::string::npos && message.find("nested more than") == std::string::npos &&
            message.find("more than") == std::string::npos)
            std::abort();
    }
    return 0;
}
