#pragma once
// What an element hands back when a press starts a drag. The window owns it until the
// drag ends: the first mouse move after the starting button was released.

#include "ui/pointer_input.h"

namespace Ui {

class Element;

class DragTracker {
public:
    virtual ~DragTracker() = default;

    // The element that started the drag.
    virtual Element* element() const = 0;

    // (x, y): offset from the press point in the element's local axes. Returns the
    // cursor to show while dragging.
    virtual CursorKind drag_to(float x, float y) = 0;

    virtual void end_drag() {}
};

} // namespace Ui
