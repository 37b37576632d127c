#include "ui/container_element.h"

#include "ui/transform.h"

#include <stdexcept>

namespace Ui {

ContainerElement::~ContainerElement()
{
    clear_children();
}

HitResult ContainerElement::hit_test(float x, float y)
{
    // Written so that NaN falls outside.
    if (!covers(x, y))
        return HitResult::no;
    HitResult result = HitResult::no;
    for (std::size_t i = 0; i < m_children.size() && result == HitResult::no; ++i) {
        Element& child = *m_children[i];
        Point local = to_local(child.transform(), x, y);
        result = hit_or(result, child.hit_test(local.x, local.y));
    }
    return result;
}

Element* ContainerElement::element_at(float x, float y)
{
    for (const auto& owned : m_children) {
        Element& child = *owned;
        Point local = to_local(child.transform(), x, y);
        HitResult hit = child.hit_test(local.x, local.y);
        if (hit == HitResult::yes)
            return child.element_at(local.x, local.y); // even null: it covers what is behind
        if (hit == HitResult::maybe) {
            if (Element* found = child.element_at(local.x, local.y))
                return found;
        }
    }
    return nullptr;
}

CursorKind ContainerElement::cursor_at(float x, float y)
{
    for (const auto& owned : m_children) {
        Element& child = *owned;
        Point local = to_local(child.transform(), x, y);
        if (child.hit_test(local.x, local.y) == HitResult::yes)
            return child.cursor_at(local.x, local.y);
    }
    return CursorKind::arrow;
}

std::unique_ptr<DragTracker> ContainerElement::begin_drag(float x, float y, MouseButton button)
{
    for (const auto& owned : m_children) {
        Element& child = *owned;
        Point local = to_local(child.transform(), x, y);
        // The child under the mouse takes the press, whether or not it drags.
        if (child.hit_test(local.x, local.y) == HitResult::yes)
            return child.begin_drag(local.x, local.y, button);
    }
    return Element::begin_drag(x, y, button);
}

void ContainerElement::draw(ID2D1RenderTarget* target)
{
#ifdef _WIN32
    D2D1_MATRIX_3X2_F saved;
    target->GetTransform(&saved);
    for (std::size_t i = m_children.size(); i-- > 0;) {
        Element& child = *m_children[i];
        target->SetTransform(multiply(child.transform(), saved));
        child.draw(target);
    }
    target->SetTransform(saved);
#else
    (void)target; // no render targets without Windows
#endif
}

void ContainerElement::on_target_dropped()
{
    for (const auto& child : m_children)
        child->on_target_dropped();
}

Element* ContainerElement::insert_child(std::unique_ptr<Element>&& child, Element* after)
{
    if (!child)
        throw std::invalid_argument("insert_child: no element");
    if (child->contains(this))
        throw std::invalid_argument("insert_child: an element cannot contain itself");
    if (ContainerElement* previous = child->m_parent) {
        // Our unique_ptr already owns it; the old parent's ownership is given up.
        previous->remove_child(child.get()).release();
    }
    std::size_t index = 0;
    if (after) {
        index = m_children.size();
        for (std::size_t i = 0; i < m_children.size(); ++i) {
            if (m_children[i].get() == after) {
                index = i + 1;
                break;
            }
        }
    }
    Element* inserted = child.get();
    m_children.insert(m_children.begin() + static_cast<std::ptrdiff_t>(index), std::move(child));
    inserted->m_parent = this;
    return inserted;
}

std::unique_ptr<Element> ContainerElement::remove_child(Element* element)
{
    for (std::size_t i = 0; i < m_children.size(); ++i) {
        if (m_children[i].get() == element)
            return detach(i);
    }
    return nullptr;
}

void ContainerElement::clear_children()
{
    // Front to back, each child out of the list before it is destroyed.
    while (!m_children.empty())
        detach(0).reset();
}

std::unique_ptr<Element> ContainerElement::detach(std::size_t index)
{
    Element* child = m_children[index].get();
    // The root must not keep pointing at what leaves the tree.
    if (child->m_hover_state & chain_inside)
        set_hovered(this);
    if (child->m_press_state & chain_inside)
        set_pressed(this);
    on_subtree_removed(child);
    // The calls above may have changed the list; find the child again.
    for (std::size_t i = 0; i < m_children.size(); ++i) {
        if (m_children[i].get() == child) {
            std::unique_ptr<Element> owned = std::move(m_children[i]);
            m_children.erase(m_children.begin() + static_cast<std::ptrdiff_t>(i));
            owned->m_parent = nullptr;
            return owned;
        }
    }
    return nullptr;
}

} // namespace Ui
