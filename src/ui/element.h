#pragma once
// A retained-mode user-interface element: a 3x2 transform into its parent, a size in
// DIPs, and the recursive questions of input routing. The base is "nothing here": not
// hit, not interactive, draws nothing. Repaint, scroll, hover and press requests climb
// to the root (a top-level window), which acts on them.

#include "ui/drag_tracker.h"
#include "ui/hit_result.h"
#include "ui/pointer_input.h"

#include "ui/d2d_types.h"

#include <cstdint>
#include <memory>

namespace Ui {

class ContainerElement;

// Values of hover_state() and press_state().
constexpr std::uint8_t chain_none = 0;
constexpr std::uint8_t chain_inside = 2; // an element inside this one is hovered / pressed
constexpr std::uint8_t chain_self = 3;   // this element is hovered / pressed

class Element {
public:
    Element();
    // Moves hover and press to the parent if they are on or inside this element, and
    // takes the element out of its parent.
    virtual ~Element();
    Element(const Element&) = delete;
    Element& operator=(const Element&) = delete;

    virtual void invalidate();
    // Position (dx, dy) and size; negative (or NaN) sizes become 0. Then on_resized().
    virtual void set_bounds(float x, float y, float width, float height);
    // The interactive element at a local point, or null.
    virtual Element* element_at(float x, float y);
    virtual CursorKind cursor_at(float x, float y);
    // A tracker when a press at a local point starts a drag, else null.
    virtual std::unique_ptr<DragTracker> begin_drag(float x, float y, MouseButton button);
    virtual D2D1_MATRIX_3X2_F transform() const;
    virtual HitResult hit_test(float x, float y);
    // Elements that scroll handle it; the others pass it up; the root ignores it.
    virtual void scroll_by(float dx, float dy);
    // The target's transform already maps this element's local coordinates.
    virtual void draw(ID2D1RenderTarget* target);
    virtual void on_resized();
    virtual void set_hovered(Element* element);
    virtual void set_pressed(Element* element);
    // Climbs to the root when `subtree` leaves the tree (removed or destroyed), so that
    // the root drops whatever it still holds of it.
    virtual void on_subtree_removed(Element* subtree);
    // The window's render target is gone: drop everything made on it (brushes, bitmaps,
    // layers); the next draw makes them again on the new one. Containers pass it on.
    virtual void on_target_dropped() {}
    // The element's hover or press state changed (after every element's state is set).
    virtual void on_chain_changed() {}

    ContainerElement* parent() const { return m_parent; }
    float width() const { return m_width; }
    float height() const { return m_height; }
    std::uint8_t hover_state() const { return m_hover_state; }
    std::uint8_t press_state() const { return m_press_state; }
    void set_transform(const D2D1_MATRIX_3X2_F& transform) { m_transform = transform; }

    // True when `element` is this one or lies inside it.
    bool contains(const Element* element) const;
    // The top of the tree this element is in (itself when it has no parent).
    Element* root();

    // True inside the element's own rectangle, 0 <= x < width and 0 <= y < height; a
    // NaN coordinate falls outside.
    bool covers(float x, float y) const { return x >= 0.0f && x < m_width && y >= 0.0f && y < m_height; }

protected:
    ContainerElement* m_parent = nullptr; // null for the root
    D2D1_MATRIX_3X2_F m_transform;
    float m_width = 64.0f;
    float m_height = 64.0f;
    std::uint8_t m_hover_state = chain_none;
    std::uint8_t m_press_state = chain_none;

private:
    friend class ContainerElement;
    friend class ElementChain;
};

} // namespace Ui
