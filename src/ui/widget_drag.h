#pragma once
// The edit tool's drag of one widget: moving it, or moving some of its edges by a
// handle. Every pointer move sets the widget's rectangle through its setter, in the
// document's units, and the whole drag is one undo step.

#include "ui/drag_tracker.h"
#include "ui/resize_handles.h"

#include <cstdint>

namespace Screen {
class Widget;
}

namespace Ui {

class EditorWorkspace;

class WidgetDrag : public DragTracker {
public:
    // `edges` 0 moves the widget; otherwise the edges (Edge::...) that the handle moves.
    // Offsets come in the workspace's DIPs and map to its document by the document's
    // current size. A document loaded again from a save under the drag ends its effect:
    // the widget is looked for in the workspace's document of the moment.
    WidgetDrag(EditorWorkspace& workspace, Screen::Widget& widget, int edges);

    Element* element() const override;
    CursorKind drag_to(float x, float y) override;

    // The cursor that goes with a handle's edges (a move for 0).
    static CursorKind cursor_for(int edges);

private:
    EditorWorkspace* m_workspace;
    Screen::Widget* m_widget;
    std::uint64_t m_serial;
    int m_edges;
    WidgetRectangle m_start;
    std::uint64_t m_run;
};

} // namespace Ui
