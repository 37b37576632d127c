#pragma once
// The edit tool's drag of one widget: moving it, or moving some of its edges by a
// handle. Nothing moves until the pointer has gone past the drag distance, so that a
// click only selects; from there every pointer move sets the widget's rectangle through
// its setter, in the document's units, and the whole drag is one undo step.

#include "editor/resize_handles.h"
#include "ui/drag_tracker.h"

#include <cstdint>

namespace Screen {
class Widget;
}

namespace Editor {

class EditorSession;

class WidgetDrag : public Ui::DragTracker {
public:
    // `edges` 0 moves the widget; otherwise the edges (Edge::...) that the handle moves.
    // Offsets come in `owner`'s DIPs (the element the press went to) and map to the
    // session's document by the document's current size; the drag starts once one of them
    // goes beyond `slop_x` or `slop_y`. A document loaded again from a save under the
    // drag ends its effect: the widget is looked for in the session's document of the
    // moment.
    WidgetDrag(Ui::Element& owner, EditorSession& session, Screen::Widget& widget, int edges, float slop_x,
               float slop_y);

    Ui::Element* element() const override { return m_owner; }
    Ui::CursorKind drag_to(float x, float y) override;
    // Whether the pointer has gone past the drag distance yet.
    bool started() const { return m_started; }

    // The cursor that goes with a handle's edges (a move for 0).
    static Ui::CursorKind cursor_for(int edges);

private:
    Ui::Element* m_owner;
    EditorSession* m_session;
    Screen::Widget* m_widget;
    std::uint64_t m_serial;
    int m_edges;
    float m_slop_x;
    float m_slop_y;
    bool m_started = false;
    WidgetRectangle m_start;
    std::uint64_t m_run;
};

} // namespace Editor
