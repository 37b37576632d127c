#pragma once
// The drag of a clickable element (a file entry, a header): a left-button press that
// acts when it is released while the element is still hovered, and does nothing when
// the pointer has left it.

#include "ui/drag_tracker.h"
#include "ui/element.h"

#include <functional>

namespace Ui {

class ClickTracker : public DragTracker {
public:
    // (x, y): the press point in `element`'s local coordinates.
    ClickTracker(Element* element, float x, float y, std::function<void()> on_click);

    Element* element() const override { return m_element; }
    // The hand while the pointer is over the element, else the arrow.
    CursorKind drag_to(float x, float y) override;
    // Runs the action last: it may destroy the element.
    void end_drag() override;

private:
    Element* m_element;
    float m_press_x;
    float m_press_y;
    std::function<void()> m_on_click;
};

} // namespace Ui
