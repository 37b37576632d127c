#include "editor/canvas_press.h"

#include "screen/screen_document.h"
#include "screen/widget.h"
#include "ui/transform.h"

#include <algorithm>
#include <vector>

namespace Editor {
namespace {

bool lists_as_child(const Screen::Widget& parent, const Screen::Widget* widget)
{
    const std::vector<Screen::Widget*>* children = parent.child_widgets();
    return children && std::find(children->begin(), children->end(), widget) != children->end();
}

// By rectangles, not by what the game would let the pointer hit: a label takes no input
// in the game, but is picked here all the same. Children are searched first, front to
// back, also where they reach outside their parent. A group that draws nothing of its
// own is taken only with `groups`: screens lay full-screen groups over everything.
Screen::Widget* deepest_shown_widget(Screen::Widget& widget, float x, float y, bool groups)
{
    if (!widget.shown())
        return nullptr;
    const Ui::Point local = Ui::to_local(widget.transform(), x, y);
    for (std::size_t i = 0; i < widget.child_count(); ++i) {
        if (auto* child = dynamic_cast<Screen::Widget*>(widget.child(i))) {
            if (Screen::Widget* found = deepest_shown_widget(*child, local.x, local.y, groups))
                return found;
        }
    }
    const bool bare_group = widget.child_widgets() && widget.art().empty();
    return (groups || !bare_group) && widget.covers(local.x, local.y) ? &widget : nullptr;
}

// The element and its ancestors, itself first.
std::vector<const Ui::Element*> lineage(const Ui::Element& element)
{
    std::vector<const Ui::Element*> line;
    for (const Ui::Element* e = &element; e; e = e->parent())
        line.push_back(e);
    return line;
}

std::size_t index_in_parent(const Ui::Element& element)
{
    const Ui::ContainerElement* parent = element.parent();
    std::size_t i = 0;
    while (i < parent->child_count() && parent->child(i) != &element)
        ++i;
    return i;
}

} // namespace

Screen::Widget* widget_at(Screen::ScreenDocument& document, float x, float y)
{
    Screen::Widget* widget = nullptr;
    for (bool groups : {false, true}) {
        for (std::size_t i = 0; i < document.child_count() && !widget; ++i) {
            if (auto* child = dynamic_cast<Screen::Widget*>(document.child(i)))
                widget = deepest_shown_widget(*child, x, y, groups);
        }
    }
    // A composite's parts are not listed as children: the widget they belong to is.
    while (widget) {
        Screen::Widget* owner = nullptr;
        for (Ui::ContainerElement* e = widget->parent(); e && e != &document && !owner; e = e->parent())
            owner = dynamic_cast<Screen::Widget*>(e);
        if (!owner || lists_as_child(*owner, widget))
            break;
        widget = owner;
    }
    return widget;
}

bool drawn_over(const Ui::Element& a, const Ui::Element& b)
{
    if (&a == &b)
        return false;
    const std::vector<const Ui::Element*> up_a = lineage(a);
    const std::vector<const Ui::Element*> up_b = lineage(b);
    if (up_a.back() != up_b.back())
        return false;
    // Walk down from the common root while both lines agree.
    std::size_t ia = up_a.size() - 1, ib = up_b.size() - 1;
    while (ia > 0 && ib > 0 && up_a[ia - 1] == up_b[ib - 1]) {
        --ia;
        --ib;
    }
    if (ib == 0)
        return true; // b is an ancestor of a: a is drawn over it
    if (ia == 0)
        return false;
    // Siblings under the common ancestor: index 0 is the front.
    return index_in_parent(*up_a[ia - 1]) < index_in_parent(*up_b[ib - 1]);
}

CanvasPress plan_press(Tool tool, bool alt, Screen::Widget* selection, int part, Screen::Widget* picked)
{
    CanvasPress press;
    if (tool == Tool::edit && selection) {
        press.action = CanvasPress::Action::drag_selection;
        if (part > 0) {
            press.edges = part;
            return press;
        }
        if (alt)
            return press;
        // Inside the selection, a widget drawn over it is picked; anything else there
        // (the selection itself, what lies behind it) leaves the press to the selection.
        if (part == inside_selection && !(picked && picked != selection && drawn_over(*picked, *selection)))
            return press;
        press.action = CanvasPress::Action::select;
    }
    press.widget = picked;
    press.drag = tool == Tool::edit && picked;
    return press;
}

} // namespace Editor
