#include "gfx/top_level_window.h"

#include "support/win/message_pump.h"
#include "support/win/test_elements.h"
#include "support/win/test_window.h"

#include <d2d1helper.h>
#include <gtest/gtest.h>

using namespace TestSupport;

namespace {

// A window with a group at (100, 50) scaled by 2, holding a leaf at (10, 10) of
// 20 x 20 local DIPs: window pixels (120..160, 70..110).
class WindowInputTest : public testing::Test {
protected:
    void SetUp() override
    {
        SetCursorPos(1279, 1023);
        window = std::make_unique<OpenedWindow>(new TestWindow, 400, 300);
        group = (*window)->insert(std::make_unique<TestGroup>(0.0f, 0.0f, 100.0f, 100.0f), nullptr);
        group->set_transform(D2D1::Matrix3x2F::Scale(2, 2) * D2D1::Matrix3x2F::Translation(100, 50));
        leaf = group->insert(std::make_unique<TestLeaf>(10.0f, 10.0f, 20.0f, 20.0f, "leaf"), nullptr);
        leaf->make_drag = [this](TestLeaf& element, float x, float y, Ui::MouseButton button) {
            drag_start = {x, y};
            drag_button = button;
            return std::make_unique<RecordingTracker>(&element, &drags);
        };
    }

    LRESULT mouse(UINT message, WPARAM keys, int x, int y) { return send_mouse(hwnd(), message, keys, x, y); }
    HWND hwnd() const { return window->hwnd(); }
    TestWindow& top() { return **window; }

    std::unique_ptr<OpenedWindow> window;
    TestGroup* group = nullptr;
    TestLeaf* leaf = nullptr;
    DragLog drags;
    Offset drag_start{};
    Ui::MouseButton drag_button = Ui::MouseButton::left;
};

bool cursor_is(LPCWSTR which)
{
    return GetCursor() == LoadCursorW(nullptr, which);
}

} // namespace

TEST_F(WindowInputTest, HoverFollowsTheMouseAndFallsBackToTheWindow)
{
    mouse(WM_MOUSEMOVE, 0, 130, 80);
    EXPECT_EQ(top().hovered(), leaf);
    EXPECT_EQ(leaf->hover_state(), Ui::chain_self);
    EXPECT_EQ(group->hover_state(), Ui::chain_inside);
    EXPECT_EQ(top().hover_state(), Ui::chain_inside);

    mouse(WM_MOUSEMOVE, 0, 5, 5);
    EXPECT_EQ(top().hovered(), &top());
    EXPECT_EQ(leaf->hover_state(), Ui::chain_none);
    EXPECT_EQ(top().hover_state(), Ui::chain_self);

    // Something that is hit but not interactive covers the leaf: the window is hovered.
    auto* cover = top().insert(std::make_unique<TestLeaf>(0.0f, 0.0f, 400.0f, 300.0f, "cover"), nullptr);
    cover->interactive = false;
    mouse(WM_MOUSEMOVE, 0, 130, 80);
    EXPECT_EQ(top().hovered(), &top());
}

TEST_F(WindowInputTest, PressMarksTheElementUnderTheMouse)
{
    leaf->make_drag = nullptr;
    mouse(WM_RBUTTONDOWN, MK_RBUTTON, 130, 80);
    EXPECT_EQ(top().pressed(), leaf);
    EXPECT_EQ(leaf->press_state(), Ui::chain_self);
    EXPECT_FALSE(top().is_dragging());
    mouse(WM_LBUTTONDOWN, MK_LBUTTON, 5, 5);
    EXPECT_EQ(top().pressed(), &top());
}

TEST_F(WindowInputTest, DragReceivesOffsetsFromThePressPointInLocalAxes)
{
    mouse(WM_LBUTTONDOWN, MK_LBUTTON, 130, 80);
    ASSERT_TRUE(top().is_dragging());
    EXPECT_FLOAT_EQ(drag_start.x, 5); // (15, 15) in the group, (5, 5) in the leaf
    EXPECT_FLOAT_EQ(drag_start.y, 5);
    EXPECT_EQ(drag_button, Ui::MouseButton::left);
    ASSERT_EQ(drags.moves.size(), 1u);
    EXPECT_FLOAT_EQ(drags.moves[0].x, 0);
    EXPECT_FLOAT_EQ(drags.moves[0].y, 0);
    EXPECT_TRUE(cursor_is(IDC_HAND)); // the tracker's cursor
    EXPECT_EQ(top().pressed(), leaf);

    // Anywhere, even far outside the leaf: scaled by the group's factor of 2.
    mouse(WM_MOUSEMOVE, MK_LBUTTON, 150, 40);
    mouse(WM_MOUSEMOVE, MK_LBUTTON | MK_SHIFT, 20, 280);
    ASSERT_EQ(drags.moves.size(), 3u);
    EXPECT_FLOAT_EQ(drags.moves[1].x, 10);
    EXPECT_FLOAT_EQ(drags.moves[1].y, -20);
    EXPECT_FLOAT_EQ(drags.moves[2].x, -55);
    EXPECT_FLOAT_EQ(drags.moves[2].y, 100);
    EXPECT_EQ(drags.ended, 0);
}

TEST_F(WindowInputTest, DragEndsOnTheFirstMoveAfterItsButtonWasReleased)
{
    struct Case {
        UINT press;
        WPARAM down_keys;
        WPARAM keys_still_dragging;
        WPARAM keys_ending; // e.g. released outside the window, other buttons held
    };
    const Case cases[] = {
        {WM_LBUTTONDOWN, MK_LBUTTON, MK_LBUTTON | MK_RBUTTON, MK_RBUTTON},
        {WM_RBUTTONDOWN, MK_RBUTTON, MK_RBUTTON, MK_LBUTTON},
        {WM_MBUTTONDOWN, MK_MBUTTON, MK_MBUTTON | MK_CONTROL, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.press);
        drags = DragLog();
        mouse(c.press, c.down_keys, 130, 80);
        ASSERT_TRUE(top().is_dragging());
        // A second press during the drag starts no second drag.
        mouse(WM_LBUTTONDOWN, c.down_keys | MK_LBUTTON, 131, 80);
        mouse(WM_MOUSEMOVE, c.keys_still_dragging, 140, 80);
        EXPECT_TRUE(top().is_dragging());
        EXPECT_EQ(drags.moves.size(), 2u);

        mouse(WM_MOUSEMOVE, c.keys_ending, 300, 10);
        EXPECT_FALSE(top().is_dragging());
        EXPECT_EQ(drags.ended, 1);
        EXPECT_EQ(drags.destroyed, 1);
        EXPECT_EQ(drags.moves.size(), 2u); // the ending move is not a drag step
        EXPECT_TRUE(cursor_is(IDC_ARROW));
    }
}

TEST_F(WindowInputTest, ButtonUpOverTheWindowEndsTheDrag)
{
    mouse(WM_LBUTTONDOWN, MK_LBUTTON, 130, 80);
    mouse(WM_LBUTTONUP, 0, 135, 80);
    EXPECT_FALSE(top().is_dragging());
    EXPECT_EQ(drags.ended, 1);
}

TEST_F(WindowInputTest, DestroyingTheDraggedElementDropsTheDrag)
{
    mouse(WM_LBUTTONDOWN, MK_LBUTTON, 130, 80);
    ASSERT_TRUE(top().is_dragging());
    top().clear_children();
    EXPECT_FALSE(top().is_dragging());
    EXPECT_EQ(drags.destroyed, 1);
    EXPECT_EQ(drags.ended, 0); // the element is gone: nothing to end on it
    EXPECT_EQ(top().hovered(), &top());
    EXPECT_EQ(top().pressed(), &top());
    mouse(WM_MOUSEMOVE, MK_LBUTTON, 140, 80);
    EXPECT_EQ(drags.moves.size(), 1u);
}

TEST_F(WindowInputTest, CursorComesFromTheElementUnderTheMouse)
{
    leaf->cursor = Ui::CursorKind::hand;
    mouse(WM_MOUSEMOVE, 0, 130, 80);
    EXPECT_TRUE(cursor_is(IDC_HAND));
    mouse(WM_MOUSEMOVE, 0, 5, 5);
    EXPECT_TRUE(cursor_is(IDC_ARROW));
}

TEST_F(WindowInputTest, WheelScrollsTheHoveredElementOrTheFirstAncestorThatScrolls)
{
    group->scrolls = true;
    mouse(WM_MOUSEMOVE, 0, 130, 80);
    SendMessageW(hwnd(), WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), MAKELPARAM(130, 80));
    SendMessageW(hwnd(), WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-2 * WHEEL_DELTA)), 0);
    SendMessageW(hwnd(), WM_MOUSEHWHEEL, MAKEWPARAM(0, WHEEL_DELTA), 0);
    ASSERT_EQ(group->scrolled.size(), 3u);
    EXPECT_FLOAT_EQ(group->scrolled[0].x, 0);
    EXPECT_FLOAT_EQ(group->scrolled[0].y, -60);
    EXPECT_FLOAT_EQ(group->scrolled[1].y, 120);
    EXPECT_FLOAT_EQ(group->scrolled[2].x, -60);
    EXPECT_FLOAT_EQ(group->scrolled[2].y, 0);

    // Over the bare window nothing scrolls, and nothing breaks.
    mouse(WM_MOUSEMOVE, 0, 5, 5);
    SendMessageW(hwnd(), WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), 0);
    EXPECT_EQ(group->scrolled.size(), 3u);
}

TEST_F(WindowInputTest, DestroyingTheHoveredElementMovesTheHoverToItsParent)
{
    mouse(WM_MOUSEMOVE, 0, 130, 80);
    ASSERT_EQ(top().hovered(), leaf);
    delete leaf;
    EXPECT_EQ(top().hovered(), group);
    EXPECT_EQ(group->hover_state(), Ui::chain_self);
    SendMessageW(hwnd(), WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), 0); // goes to the group now
}

TEST_F(WindowInputTest, HoverChangesAskForARepaint)
{
    pump_pending();
    ASSERT_FALSE(GetUpdateRect(hwnd(), nullptr, FALSE));
    mouse(WM_MOUSEMOVE, 0, 130, 80);
    EXPECT_TRUE(GetUpdateRect(hwnd(), nullptr, FALSE));
    UpdateWindow(hwnd());
    mouse(WM_MOUSEMOVE, 0, 131, 81); // same element: no repaint
    EXPECT_FALSE(GetUpdateRect(hwnd(), nullptr, FALSE));
}
