// Copying out of the editor: the selected widget, or the whole screen, as Lua source on
// the clipboard.

#include "app/clipboard.h"
#include "platform/text_encoding.h"
#include "screen/lua_writer.h"

#include "editor_win/editor_fixture.h"
#include "ui/offscreen_target.h"
#include "editor/tool_strip.h"
#include "ui/tool_button.h"

using namespace EditorTests;

namespace {

std::u16string clipboard_text()
{
    std::u16string text;
    if (!OpenClipboard(nullptr))
        return text;
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        if (const auto* units = static_cast<const char16_t*>(GlobalLock(data))) {
            text = units;
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return text;
}

using CopyTest = EditorFixture;

TEST_F(CopyTest, TheSelectionOrTheScreenAsLuaThatLoadsBack)
{
    open_editor();
    const std::string screen = workspace->session().copy_as_lua();
    EXPECT_EQ(screen.rfind("Screen = {\n", 0), 0u) << screen;

    workspace->session().select(widget("inner"));
    const std::string inner = workspace->session().copy_as_lua();
    EXPECT_EQ(inner.rfind("{\n    type = \"Group\",\n    name = \"inner\",\n", 0), 0u) << inner;
    EXPECT_EQ(lua_gettop(workspace->document()->lua()), 0) << "the stack is left as it was";

    // The copied group, pasted as a screen of its own, builds the same two children.
    write_screen("Screen = { Widgets = " + inner + "}");
    ASSERT_TRUE(workspace->reload());
    Screen::Widget* root = workspace->document()->widgets();
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->name(), "inner");
    ASSERT_NE(root->child_widgets(), nullptr);
    EXPECT_EQ(root->child_widgets()->size(), 2u);
    EXPECT_NE(widget("first"), nullptr);
    EXPECT_FLOAT_EQ(widget("second")->x(), 0.5f);
}

TEST(Clipboard, TextGoesOnTheClipboardAsUnicode)
{
    const std::u16string text = u"{\n    name = \"caf\u00e9\",\n}\n";
    App::set_clipboard_text(nullptr, text);
    EXPECT_EQ(clipboard_text(), text);
    App::set_clipboard_text(nullptr, u"");
    EXPECT_EQ(clipboard_text(), u"");
}

} // namespace

TEST_F(CopyTest, TheStripsCopyButtonCopiesTheSelection)
{
    open_editor();
    App::set_clipboard_text(nullptr, u"");
    workspace->session().select(widget("first"));
    Ui::ToolButton* copy = workspace->tool_strip()->copy_button();
    ASSERT_TRUE(copy->active());
    const D2D1_POINT_2F at = TestSupport::root_point(*copy, 11.0f, 11.0f);
    const int x = static_cast<int>(at.x), y = static_cast<int>(at.y);
    TestSupport::send_mouse(window->hwnd(), WM_MOUSEMOVE, 0, x, y);
    TestSupport::send_mouse(window->hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, x, y);
    TestSupport::send_mouse(window->hwnd(), WM_LBUTTONUP, 0, x, y);
    EXPECT_EQ(clipboard_text(), Platform::ansi_to_utf16(workspace->session().copy_as_lua()));
    EXPECT_EQ(clipboard_text().rfind(u"{\n    type = \"Button\",\n    name = \"first\",\n", 0), 0u);
}
