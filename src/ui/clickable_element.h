#pragma once
// An element that reacts like a link: hit inside its rectangle, interactive itself,
// the hand cursor, and a left-button click (released while it is still hovered) that
// calls clicked(). File entries and the selector's header are such elements.

#include "ui/element.h"

namespace Ui {

class ClickableElement : public Element {
public:
    HitResult hit_test(float x, float y) override;
    Element* element_at(float x, float y) override;
    CursorKind cursor_at(float x, float y) override;
    std::unique_ptr<DragTracker> begin_drag(float x, float y, MouseButton button) override;

protected:
    // Runs at the end of the click; may destroy this element.
    virtual void clicked() = 0;
};

} // namespace Ui
