#pragma once
// Elements for tests: a configurable leaf, a group that may scroll, a root that keeps
// the hover and press chains as a window does, and a drag tracker that records.

#include "ui/container_element.h"
#include "ui/element_chain.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace TestSupport {

struct Offset {
    float x;
    float y;
};

// Answers yes inside its rectangle (or a fixed answer), and is interactive unless told
// otherwise.
class TestLeaf : public Ui::Element {
public:
    TestLeaf(float x, float y, float width, float height, std::string name = "leaf") : name(std::move(name))
    {
        set_bounds(x, y, width, height);
    }
    ~TestLeaf() override
    {
        if (destroyed)
            *destroyed = true;
    }

    Ui::HitResult hit_test(float x, float y) override
    {
        last_point = {x, y};
        if (fixed_hit)
            return *fixed_hit;
        return x >= 0 && x < width() && y >= 0 && y < height() ? Ui::HitResult::yes : Ui::HitResult::no;
    }
    Ui::Element* element_at(float, float) override { return interactive ? this : nullptr; }
    Ui::CursorKind cursor_at(float, float) override { return cursor; }
    std::unique_ptr<Ui::DragTracker> begin_drag(float x, float y, Ui::MouseButton button) override
    {
        return make_drag ? make_drag(*this, x, y, button) : nullptr;
    }
    void scroll_by(float dx, float dy) override
    {
        if (scrolls)
            scrolled.push_back({dx, dy});
        else
            Element::scroll_by(dx, dy);
    }
    void draw(ID2D1RenderTarget* target) override
    {
        target->GetTransform(&drawn_transform);
        if (draw_log)
            draw_log->push_back(name);
    }

    std::string name;
    std::optional<Ui::HitResult> fixed_hit;
    bool interactive = true;
    Ui::CursorKind cursor = Ui::CursorKind::arrow;
    std::function<std::unique_ptr<Ui::DragTracker>(TestLeaf&, float, float, Ui::MouseButton)> make_drag;
    bool scrolls = false;
    std::vector<Offset> scrolled;
    Offset last_point{-1, -1};
    std::vector<std::string>* draw_log = nullptr;
    D2D1_MATRIX_3X2_F drawn_transform{};
    bool* destroyed = nullptr;
};

class TestGroup : public Ui::ContainerElement {
public:
    TestGroup(float x, float y, float width, float height) { set_bounds(x, y, width, height); }
    void scroll_by(float dx, float dy) override
    {
        if (scrolls)
            scrolled.push_back({dx, dy});
        else
            ContainerElement::scroll_by(dx, dy);
    }
    bool scrolls = false;
    std::vector<Offset> scrolled;
};

// Keeps the chains and counts the requests that reach the root, as a window does.
class TestRoot : public Ui::ContainerElement {
public:
    TestRoot() : hover(Ui::ElementChain::Kind::hover, this), press(Ui::ElementChain::Kind::press, this)
    {
        set_bounds(0, 0, 1000, 1000);
        invalidations = 0;
    }
    void invalidate() override { ++invalidations; }
    void set_hovered(Ui::Element* element) override
    {
        if (hover.move_to(element))
            invalidate();
    }
    void set_pressed(Ui::Element* element) override
    {
        if (press.move_to(element))
            invalidate();
    }
    void on_subtree_removed(Ui::Element* subtree) override { removed.push_back(subtree); }

    Ui::ElementChain hover;
    Ui::ElementChain press;
    int invalidations = 0;
    std::vector<Ui::Element*> removed;
};

struct DragLog {
    std::vector<Offset> moves;
    int ended = 0;
    int destroyed = 0;
};

class RecordingTracker : public Ui::DragTracker {
public:
    RecordingTracker(Ui::Element* element, DragLog* log, Ui::CursorKind cursor = Ui::CursorKind::hand)
        : m_element(element), m_log(log), m_cursor(cursor)
    {
    }
    ~RecordingTracker() override { ++m_log->destroyed; }
    Ui::Element* element() const override { return m_element; }
    Ui::CursorKind drag_to(float x, float y) override
    {
        m_log->moves.push_back({x, y});
        return m_cursor;
    }
    void end_drag() override { ++m_log->ended; }

private:
    Ui::Element* m_element;
    DragLog* m_log;
    Ui::CursorKind m_cursor;
};

} // namespace TestSupport
