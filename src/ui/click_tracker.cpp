#include "ui/click_tracker.h"

namespace Ui {

ClickTracker::ClickTracker(Element* element, float x, float y, std::function<void()> on_click)
    : m_element(element), m_press_x(x), m_press_y(y), m_on_click(std::move(on_click))
{
}

CursorKind ClickTracker::drag_to(float x, float y)
{
    return m_element->hit_test(m_press_x + x, m_press_y + y) == HitResult::yes ? CursorKind::hand : CursorKind::arrow;
}

void ClickTracker::end_drag()
{
    if (m_element->hover_state() & chain_inside)
        m_on_click();
}

} // namespace Ui
