#include "ui/scroll_view.h"

#include <cmath>

namespace Ui {

ScrollView::ScrollView()
{
    m_hbar = insert(std::make_unique<ScrollViewBar>(*this, ScrollViewBar::Axis::horizontal), last_child());
    m_vbar = insert(std::make_unique<ScrollViewBar>(*this, ScrollViewBar::Axis::vertical), last_child());
}

float ScrollView::shift_x() const
{
    return static_cast<float>(std::floor(m_hbar->position()));
}

float ScrollView::shift_y() const
{
    return static_cast<float>(std::floor(m_vbar->position()));
}

void ScrollView::set_extent(ScrollViewBar& bar, double extent)
{
    bar.set_extent(extent);
    invalidate();
}

void ScrollView::bar_moved()
{
    invalidate();
}

void ScrollView::scroll_by(float dx, float dy)
{
    double left_x = m_hbar->move_by(dx);
    double left_y = m_vbar->move_by(dy);
    if (left_x != 0.0 || left_y != 0.0)
        Element::scroll_by(static_cast<float>(left_x), static_cast<float>(left_y));
}

D2D1_MATRIX_3X2_F ScrollView::transform() const
{
    D2D1_MATRIX_3X2_F content = m_transform;
    content.dx -= shift_x();
    content.dy -= shift_y();
    return content;
}

HitResult ScrollView::hit_test(float x, float y)
{
    if (!is_scrolling())
        return ContainerElement::hit_test(x, y);
    // Opaque while scrolling, over the visible area (local coordinates are shifted by
    // the same whole DIPs as the content).
    x -= shift_x();
    y -= shift_y();
    return covers(x, y) ? HitResult::yes : HitResult::no;
}

Element* ScrollView::element_at(float x, float y)
{
    // With nothing interactive under the mouse the view itself is hovered, so that it
    // receives the wheel and shows its bars.
    Element* found = ContainerElement::element_at(x, y);
    return found ? found : this;
}

void ScrollView::draw(ID2D1RenderTarget* target)
{
    if (!is_scrolling()) {
        ContainerElement::draw(target);
        return;
    }
    float left = shift_x();
    float top = shift_y();
    target->PushAxisAlignedClip(D2D1::RectF(left, top, left + m_width, top + m_height),
                                D2D1_ANTIALIAS_MODE_PER_PRIMITIVE);
    try {
        ContainerElement::draw(target);
    } catch (...) {
        target->PopAxisAlignedClip();
        throw;
    }
    target->PopAxisAlignedClip();
}

void ScrollView::on_resized()
{
    m_hbar->set_bounds(0.0f, m_height - scroll_bar_inset, 0.0f, 0.0f);
    m_vbar->set_bounds(m_width - scroll_bar_inset, 0.0f, 0.0f, 0.0f);
    m_hbar->set_viewport(m_width);
    m_vbar->set_viewport(m_height);
    ContainerElement::on_resized();
}

void ScrollView::clear_children()
{
    for (std::size_t i = m_children.size(); i-- > 0;) {
        Element* child = m_children[i].get();
        if (child != m_hbar && child != m_vbar)
            remove_child(child).reset();
    }
}

} // namespace Ui
