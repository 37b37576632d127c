#pragma once
// The edit tool's drag of one widget: moving it, or moving some of its edges by a
// handle. Every pointer move sets the widget's rectangle through its setter, in the
// document's units, and the whole drag is one undo step.

#include "ui/drag_tracker.h"
#include "ui/resize_handles.h"

#include <cstdint>

namespace Screen {
class ScreenDocument;
class Widget;
}

namespace Ui {

class WidgetDrag : public DragTracker {
public:
    // `edges` 0 moves the widget; otherwise the edges (Edge::...) that the handle moves.
    // `host` is the element whose local axes the offsets come in, and whose DIPs map to
    // the document by its current size.
    WidgetDrag(Element& host, Screen::ScreenDocument& document, Screen::Widget& widget, int edges);

    Element* element() const override { return m_host; }
    CursorKind drag_to(float x, float y) override;

    // The cursor that goes with a handle's edges (a move for 0).
    static CursorKind cursor_for(int edges);

private:
    Element* m_host;
    Screen::ScreenDocument* m_document;
    Screen::Widget* m_widget;
    std::uint64_t m_serial;
    int m_edges;
    Rectangle m_start;
    std::uint64_t m_run;
};

} // namespace Ui
