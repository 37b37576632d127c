#include "ui/widget_drag.h"

#include "screen/edit_history.h"
#include "screen/screen_document.h"
#include "screen/widget.h"
#include "ui/editor_workspace.h"

namespace Ui {

WidgetDrag::WidgetDrag(EditorWorkspace& workspace, Screen::Widget& widget, int edges)
    : m_workspace(&workspace), m_widget(&widget), m_serial(widget.serial()), m_edges(edges),
      m_start{widget.x(), widget.y(), widget.width(), widget.height()}, m_run(Screen::EditRun::next_id())
{
}

Element* WidgetDrag::element() const
{
    return m_workspace;
}

CursorKind WidgetDrag::cursor_for(int edges)
{
    const bool horizontal = (edges & (Edge::left | Edge::right)) != 0;
    const bool vertical = (edges & (Edge::top | Edge::bottom)) != 0;
    if (horizontal && vertical) {
        // Top-left and bottom-right lie on the falling diagonal.
        const bool falling = ((edges & Edge::left) != 0) == ((edges & Edge::top) != 0);
        return falling ? CursorKind::size_nwse : CursorKind::size_nesw;
    }
    if (horizontal)
        return CursorKind::size_we;
    if (vertical)
        return CursorKind::size_ns;
    return CursorKind::move;
}

CursorKind WidgetDrag::drag_to(float x, float y)
{
    const CursorKind cursor = cursor_for(m_edges);
    // The document may have gone with a reload, or the widget with a restyle.
    Screen::ScreenDocument* document = m_workspace->document();
    Screen::Widget* widget = document->live_widget(m_widget);
    if (!widget || widget->serial() != m_serial || !widget->attached())
        return cursor;
    if (!(document->width() > 0.0f) || !(document->height() > 0.0f))
        return cursor;
    const float dx = x / document->width();
    const float dy = y / document->height();
    Screen::EditRun run(m_run);
    WidgetRectangle r = m_start;
    if (m_edges == 0) {
        r.x += dx;
        r.y += dy;
    } else {
        // A size the style gives cannot be dragged: the widget takes its own first.
        if (widget->size_from_style())
            widget->set_size_from_style(false);
        r = resized(m_start, m_edges, dx, dy);
    }
    widget->set_bounds(r.x, r.y, r.width, r.height);
    widget->invalidate();
    return cursor;
}

} // namespace Ui
