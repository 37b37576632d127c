#include "screen/widget_path.h"

#include "screen/screen_document.h"
#include "screen/widget.h"

namespace Screen {
namespace {

// Which of `parent`'s widget children named like `widget` it is, counted from the back:
// children are kept in reverse script order, and a widget keeps its rank when the
// script gets more of the same name after it.
std::size_t rank_among_namesakes(const Ui::ContainerElement& parent, const Widget& widget)
{
    std::size_t rank = 0;
    for (std::size_t i = parent.child_count(); i-- > 0;) {
        const auto* sibling = dynamic_cast<const Widget*>(parent.child(i));
        if (sibling == &widget)
            break;
        if (sibling && sibling->name() == widget.name())
            ++rank;
    }
    return rank;
}

} // namespace

WidgetPath path_of(const Widget& widget)
{
    WidgetPath path;
    const Widget* step = &widget;
    for (;;) {
        const Ui::ContainerElement* parent = step->parent();
        if (!parent)
            return WidgetPath(); // not in a document
        path.emplace_back(step->name(), rank_among_namesakes(*parent, *step));
        if (dynamic_cast<const ScreenDocument*>(parent))
            break;
        step = dynamic_cast<const Widget*>(parent);
        if (!step)
            return WidgetPath();
    }
    return WidgetPath(path.rbegin(), path.rend());
}

Widget* find_widget(const ScreenDocument& document, const WidgetPath& path)
{
    const Ui::ContainerElement* parent = &document;
    Widget* found = nullptr;
    for (const auto& [name, rank] : path) {
        found = nullptr;
        std::size_t seen = 0;
        for (std::size_t i = parent->child_count(); i-- > 0 && !found;) {
            auto* child = dynamic_cast<Widget*>(parent->child(i));
            if (child && child->name() == name && seen++ == rank)
                found = child;
        }
        if (!found)
            return nullptr;
        parent = found;
    }
    return found;
}

} // namespace Screen
