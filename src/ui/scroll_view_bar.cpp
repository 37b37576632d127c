#include "ui/scroll_view_bar.h"

#include "app/d2d_calls.h"
#include "ui/scroll_view.h"

#include <algorithm>
#include <cmath>

namespace Ui {
namespace {

// Holds the bar, the last pointer offset and what the range has not absorbed yet, so
// that a thumb dragged past the end moves back only once the pointer returns past it.
class ThumbTracker : public DragTracker {
public:
    explicit ThumbTracker(ScrollViewBar* bar) : m_bar(bar) {}

    Element* element() const override { return m_bar; }

    CursorKind drag_to(float x, float y) override
    {
        D2D1_POINT_2F axis = m_bar->axis();
        double along = static_cast<double>(axis.x) * (x - m_last.x) + static_cast<double>(axis.y) * (y - m_last.y);
        double delta = along * m_bar->units_per_dip() + m_remainder;
        m_remainder = m_bar->drag_by(delta);
        m_last = {x, y};
        return CursorKind::hand;
    }

private:
    ScrollViewBar* m_bar;
    D2D1_POINT_2F m_last{0.0f, 0.0f};
    double m_remainder = 0.0;
};

} // namespace

ScrollViewBar::ScrollViewBar(ScrollView& view, Axis axis)
    : m_view(&view), m_axis(axis == Axis::horizontal ? D2D1::Point2F(1.0f, 0.0f) : D2D1::Point2F(0.0f, 1.0f))
{
    update_thumb();
}

double ScrollViewBar::clamp(double position) const
{
    // To the maximum first, then to 0: an extent below the viewport gives 0.
    return std::max(0.0, std::min(position, m_extent - m_viewport));
}

bool ScrollViewBar::set_viewport(float viewport)
{
    if (viewport == m_viewport)
        return false;
    m_viewport = viewport;
    return update_range();
}

bool ScrollViewBar::set_extent(double extent)
{
    m_extent = extent;
    return update_range();
}

bool ScrollViewBar::update_range()
{
    m_visible = m_extent > m_viewport;
    double clamped = clamp(m_position);
    bool moved = clamped != m_position;
    m_position = clamped;
    update_thumb();
    return moved;
}

double ScrollViewBar::move_by(double delta)
{
    if (!std::isfinite(delta))
        return 0.0;
    double target = clamp(m_position + delta);
    if (target == m_position)
        return delta;
    double left_over = delta - (target - m_position);
    m_position = target;
    update_thumb();
    invalidate();
    return left_over;
}

double ScrollViewBar::drag_by(double delta)
{
    double before = m_position;
    double left_over = move_by(delta);
    if (m_position != before)
        m_view->bar_moved();
    return left_over;
}

void ScrollViewBar::update_thumb()
{
    const double track = static_cast<double>(m_viewport) - 2.0 * scroll_track_margin;
    // Degenerate sizes (no content, a view no longer than the track's margins) must not
    // produce infinite or NaN geometry: the thumb then keeps its minimum length and a
    // drag does not move the content.
    double length = m_extent > 0.0 ? m_viewport / m_extent * track : 0.0;
    length = std::max(length, static_cast<double>(scroll_thumb_width));
    m_thumb_half = static_cast<float>(length / 2.0);
    m_units_per_dip = track > 0.0 && m_extent > 0.0 ? static_cast<float>(m_extent / track) : 0.0f;
    // The 1 x position keeps the thumb still while the content (and the bar with it) is
    // shifted by -position.
    double ratio = m_extent > 0.0 ? track / m_extent : 0.0;
    double centre = (ratio + 1.0) * m_position + scroll_track_margin + m_thumb_half;
    m_thumb_centre = {m_axis.x * static_cast<float>(centre), m_axis.y * static_cast<float>(centre)};
}

Element* ScrollViewBar::element_at(float, float)
{
    return this;
}

HitResult ScrollViewBar::hit_test(float x, float y)
{
    if (!m_visible)
        return HitResult::no;
    float off_x = x - m_thumb_centre.x;
    float off_y = y - m_thumb_centre.y;
    float along = std::max(std::fabs(m_axis.x * off_x + m_axis.y * off_y) - m_thumb_half, 0.0f);
    float across = m_axis.x * off_y - m_axis.y * off_x;
    // Within 4 DIPs of the thumb's centre line.
    return 4.0f * (along * along + across * across) <= 64.0f ? HitResult::yes : HitResult::no;
}

std::unique_ptr<DragTracker> ScrollViewBar::begin_drag(float, float, MouseButton button)
{
    if (button != MouseButton::left)
        return nullptr;
    return std::make_unique<ThumbTracker>(this);
}

void ScrollViewBar::draw(ID2D1RenderTarget* target)
{
    if (!m_visible || !m_parent || !(m_parent->hover_state() & chain_inside))
        return;
    if (!m_stroke) {
        Microsoft::WRL::ComPtr<ID2D1Factory> factory;
        target->GetFactory(&factory);
        D2D1_STROKE_STYLE_PROPERTIES properties = D2D1::StrokeStyleProperties(
            D2D1_CAP_STYLE_ROUND, D2D1_CAP_STYLE_ROUND, D2D1_CAP_STYLE_FLAT, D2D1_LINE_JOIN_MITER, 10.0f,
            D2D1_DASH_STYLE_SOLID, 0.0f);
        m_stroke = App::create_stroke_style(factory.Get(), properties, nullptr, 0);
    }
    if (!m_brush)
        m_brush = App::create_solid_color_brush(target, D2D1::ColorF(0.0f, 0.0f, 0.0f, 0.5f));
    D2D1_POINT_2F from{m_thumb_centre.x + m_axis.x * m_thumb_half, m_thumb_centre.y + m_axis.y * m_thumb_half};
    D2D1_POINT_2F to{m_thumb_centre.x - m_axis.x * m_thumb_half, m_thumb_centre.y - m_axis.y * m_thumb_half};
    target->DrawLine(from, to, m_brush.Get(), scroll_thumb_width, m_stroke.Get());
}

} // namespace Ui
