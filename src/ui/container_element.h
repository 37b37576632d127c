#pragma once
// An element with an ordered list of owned children. Index 0 is the front: drawn last,
// asked first. A container is transparent: where no child is hit, neither is it.

#include "ui/element.h"

#include <cstddef>
#include <memory>
#include <vector>

namespace Ui {

class ContainerElement : public Element {
public:
    ContainerElement() = default;
    ~ContainerElement() override;

    Element* element_at(float x, float y) override;
    CursorKind cursor_at(float x, float y) override;
    std::unique_ptr<DragTracker> begin_drag(float x, float y, MouseButton button) override;
    HitResult hit_test(float x, float y) override;
    void draw(ID2D1RenderTarget* target) override;
    void on_target_dropped() override;

    // Takes ownership and returns the child. Placed right after `after` when that is a
    // child, at the front when `after` is null, at the end otherwise (pass the last
    // child to append). A child of another container is taken from it first. Raises
    // std::invalid_argument for null or for this container or one of its ancestors;
    // the caller then still owns `child` (hence the reference: a by-value parameter
    // would destroy it on the way out, and with it this very container).
    virtual Element* insert_child(std::unique_ptr<Element>&& child, Element* after);
    // Gives ownership back, or null when `element` is not a child. Hover and press on
    // or inside the child move to this container first.
    virtual std::unique_ptr<Element> remove_child(Element* element);
    virtual void clear_children();

    std::size_t child_count() const { return m_children.size(); }
    Element* child(std::size_t index) const { return m_children[index].get(); }
    Element* last_child() const { return m_children.empty() ? nullptr : m_children.back().get(); }

    // Typed convenience over insert_child.
    template <typename T>
    T* insert(std::unique_ptr<T> child, Element* after)
    {
        T* inserted = child.get();
        std::unique_ptr<Element> element(std::move(child));
        insert_child(std::move(element), after);
        return inserted;
    }

protected:
    std::vector<std::unique_ptr<Element>> m_children;

private:
    std::unique_ptr<Element> detach(std::size_t index);
};

} // namespace Ui
