// The edit tool on a styled widget and across a reload, with the grid listening.

#include "screen/edit_history.h"

#include "editor_win/editor_fixture.h"
#include "ui/offscreen_target.h"

#include <optional>

using namespace EditorTests;

namespace {

class EditToolTest : public EditorFixture {
protected:
    // Presses at the workspace point, moves by (dx, dy) in two steps; `release` ends it.
    void press_and_move(D2D1_POINT_2F at, float dx, float dy)
    {
        m_x = static_cast<int>(at.x);
        m_y = static_cast<int>(at.y);
        TestSupport::send_mouse(window->hwnd(), WM_MOUSEMOVE, 0, m_x, m_y);
        TestSupport::send_mouse(window->hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, m_x, m_y);
        m_x += static_cast<int>(dx / 2);
        m_y += static_cast<int>(dy / 2);
        TestSupport::send_mouse(window->hwnd(), WM_MOUSEMOVE, MK_LBUTTON, m_x, m_y);
        m_x += static_cast<int>(dx / 2);
        m_y += static_cast<int>(dy / 2);
        TestSupport::send_mouse(window->hwnd(), WM_MOUSEMOVE, MK_LBUTTON, m_x, m_y);
    }
    void release()
    {
        TestSupport::send_mouse(window->hwnd(), WM_LBUTTONUP, 0, m_x, m_y);
        TestSupport::send_mouse(window->hwnd(), WM_MOUSEMOVE, 0, m_x, m_y);
    }
    // The bottom-right handle of the selection, in window DIPs.
    D2D1_POINT_2F corner_handle() const
    {
        const std::optional<Ui::PixelBox> frame = workspace->selection_frame();
        EXPECT_TRUE(frame);
        return {frame->right - 1.0f, frame->bottom - 1.0f};
    }

    int m_x = 0;
    int m_y = 0;
};

TEST_F(EditToolTest, ResizingAStyleSizedWidgetGivesItItsOwnSizeInOneStep)
{
    open_editor();
    workspace->tool_strip()->set_tool(Editor::Tool::edit);
    Screen::Widget* first = widget("first");
    workspace->session().select(first);
    ASSERT_TRUE(first->size_from_style());
    const float width = first->width();
    const std::string original = workspace->session().copy_as_lua();

    press_and_move(corner_handle(), 40.0f, 20.0f);
    release();
    EXPECT_FALSE(first->size_from_style());
    EXPECT_GT(first->width(), width);
    EXPECT_NE(workspace->session().copy_as_lua().find("size = {"), std::string::npos) << workspace->session().copy_as_lua();
    EXPECT_EQ(workspace->document()->history().size(), 1u) << "taking its own size is part of the drag";

    ASSERT_TRUE(workspace->session().undo());
    EXPECT_TRUE(first->size_from_style());
    EXPECT_FLOAT_EQ(first->width(), width);
    EXPECT_EQ(workspace->session().copy_as_lua(), original) << "the table as the script made it";
}

TEST_F(EditToolTest, ADragOutlivesAReloadWithoutTouchingTheNewScreen)
{
    open_editor();
    workspace->tool_strip()->set_tool(Editor::Tool::edit);
    Screen::Widget* second = widget("second");
    workspace->session().select(second);
    const std::optional<Ui::PixelBox> frame = workspace->selection_frame();
    ASSERT_TRUE(frame);
    press_and_move({(frame->left + frame->right) / 2.0f, (frame->top + frame->bottom) / 2.0f}, 30.0f, 30.0f);
    EXPECT_GT(widget("second")->x(), 0.5f);

    // The file changes under the drag: the new screen's widget stays where the file puts it.
    ASSERT_TRUE(workspace->reload());
    const float reloaded = widget("second")->x();
    EXPECT_FLOAT_EQ(reloaded, 0.5f);
    m_x += 20;
    TestSupport::send_mouse(window->hwnd(), WM_MOUSEMOVE, MK_LBUTTON, m_x, m_y);
    release();
    EXPECT_FLOAT_EQ(widget("second")->x(), reloaded);
    EXPECT_FALSE(workspace->document()->history().can_undo());
}

} // namespace
