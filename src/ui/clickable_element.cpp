#include "ui/clickable_element.h"

#include "ui/click_tracker.h"

namespace Ui {

HitResult ClickableElement::hit_test(float x, float y)
{
    return covers(x, y) ? HitResult::yes : HitResult::no;
}

Element* ClickableElement::element_at(float, float)
{
    return this;
}

CursorKind ClickableElement::cursor_at(float, float)
{
    return CursorKind::hand;
}

std::unique_ptr<DragTracker> ClickableElement::begin_drag(float x, float y, MouseButton button)
{
    if (button != MouseButton::left)
        return nullptr;
    return std::make_unique<ClickTracker>(this, x, y, [this] { clicked(); });
}

} // namespace Ui
