#include "editor/widget_drag.h"

#include "editor/editor_session.h"
#include "screen/edit_history.h"
#include "screen/screen_document.h"
#include "screen/widget.h"

#include <cmath>

namespace Editor {

WidgetDrag::WidgetDrag(Ui::Element& owner, EditorSession& session, Screen::Widget& widget, int edges, float slop_x,
                       float slop_y)
    : m_owner(&owner), m_session(&session), m_widget(&widget), m_serial(widget.serial()), m_edges(edges),
      m_slop_x(slop_x), m_slop_y(slop_y), m_start{widget.x(), widget.y(), widget.width(), widget.height()},
      m_run(Screen::EditRun::next_id())
{
}

Ui::CursorKind WidgetDrag::cursor_for(int edges)
{
    const bool horizontal = (edges & (Edge::left | Edge::right)) != 0;
    const bool vertical = (edges & (Edge::top | Edge::bottom)) != 0;
    if (horizontal && vertical) {
        // Top-left and bottom-right lie on the falling diagonal.
        const bool falling = ((edges & Edge::left) != 0) == ((edges & Edge::top) != 0);
        return falling ? Ui::CursorKind::size_nwse : Ui::CursorKind::size_nesw;
    }
    if (horizontal)
        return Ui::CursorKind::size_we;
    if (vertical)
        return Ui::CursorKind::size_ns;
    return Ui::CursorKind::move;
}

Ui::CursorKind WidgetDrag::drag_to(float x, float y)
{
    const Ui::CursorKind cursor = cursor_for(m_edges);
    if (!m_started) {
        // A hand's jitter in a click is no drag (and NaN is no distance).
        if (!(std::fabs(x) > m_slop_x || std::fabs(y) > m_slop_y))
            return cursor;
        m_started = true;
    }
    // The document may have gone with a reload, or the widget with a restyle.
    Screen::ScreenDocument& document = m_session->document();
    Screen::Widget* widget = document.live_widget(m_widget);
    if (!widget || widget->serial() != m_serial || !widget->attached())
        return cursor;
    if (!(document.width() > 0.0f) || !(document.height() > 0.0f))
        return cursor;
    const float dx = x / document.width();
    const float dy = y / document.height();
    const Screen::EditRun run(m_run);
    WidgetRectangle r = m_start;
    if (m_edges == 0) {
        r.x += dx;
        r.y += dy;
    }
    m_session->attempt([&] {
        if (m_edges != 0) {
            // A size the style gives cannot be dragged: the widget takes its own first.
            if (widget->size_from_style())
                widget->set_size_from_style(false);
            r = resized(m_start, m_edges, dx, dy);
        }
        widget->set_bounds(r.x, r.y, r.width, r.height);
    });
    widget->invalidate();
    return cursor;
}

} // namespace Editor
