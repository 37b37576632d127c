#include "ui/element.h"

#include "ui/container_element.h"
#include "ui/transform.h"

namespace Ui {

Element::Element() : m_transform(identity_transform()) {}

Element::~Element()
{
    if (m_parent) {
        // The parent moves hover and press to itself when it gives up a child on the
        // chain; the returned ownership is this very object, already being destroyed.
        m_parent->remove_child(this).release();
    }
}

void Element::invalidate()
{
    if (m_parent)
        m_parent->invalidate();
}

void Element::set_bounds(float x, float y, float width, float height)
{
    m_transform.dx = x;
    m_transform.dy = y;
    m_width = width > 0.0f ? width : 0.0f;
    m_height = height > 0.0f ? height : 0.0f;
    on_resized();
}

Element* Element::element_at(float, float)
{
    return nullptr;
}

CursorKind Element::cursor_at(float, float)
{
    return CursorKind::arrow;
}

std::unique_ptr<DragTracker> Element::begin_drag(float, float, MouseButton)
{
    return nullptr;
}

D2D1_MATRIX_3X2_F Element::transform() const
{
    return m_transform;
}

HitResult Element::hit_test(float, float)
{
    return HitResult::no;
}

void Element::scroll_by(float dx, float dy)
{
    if (m_parent)
        m_parent->scroll_by(dx, dy);
}

void Element::draw(ID2D1RenderTarget*) {}

void Element::on_resized()
{
    invalidate();
}

void Element::set_hovered(Element* element)
{
    if (m_parent)
        m_parent->set_hovered(element);
}

void Element::set_pressed(Element* element)
{
    if (m_parent)
        m_parent->set_pressed(element);
}

void Element::on_subtree_removed(Element* subtree)
{
    if (m_parent)
        m_parent->on_subtree_removed(subtree);
}

Element* Element::root()
{
    Element* top = this;
    while (top->m_parent)
        top = top->m_parent;
    return top;
}

bool Element::contains(const Element* element) const
{
    for (; element; element = element->m_parent) {
        if (element == this)
            return true;
    }
    return false;
}

} // namespace Ui
