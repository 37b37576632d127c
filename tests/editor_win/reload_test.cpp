// Loading the open screen again after its file changed: the new document takes the old
// one's place with the selection found again by name, the tool windows follow it, and a
// version that does not load leaves the last good one on screen with the reason shown.

#include "editor/editor_tool_windows.h"
#include "editor/outline_window.h"
#include "editor/properties_window.h"
#include "editor/tool_strip.h"

#include "editor_win/editor_fixture.h"

using namespace EditorTests;

namespace {

// The default screen with the inner group's second child moved and renamed siblings.
constexpr const char* edited_screen = R"(Screen = {
    Widgets = { type = 'Group', name = 'root', position = {0, 0}, size = {1, 1}, Children = {
        { type = 'TextLabel', name = 'label', position = {0.2, 0.2}, size = {0.3, 0.1}, text = 'Edited' },
        { type = 'Group', name = 'inner', position = {0.1, 0.5}, size = {0.8, 0.4}, Children = {
            { type = 'ArtLabel', name = 'added', position = {0.1, 0.6}, size = {0.1, 0.1} },
            { type = 'ArtLabel', name = 'second', position = {0.6, 0.2}, size = {0.3, 0.3} },
        } },
    } },
    TooltipWidgets = { type = 'TextLabel', name = 'tip', visible = false },
})";

class ReloadTest : public EditorFixture {
protected:
    void SetUp() override
    {
        EditorFixture::SetUp();
        open_editor_with_tool_windows();
        windows = workspace->tool_windows();
        ASSERT_NE(windows, nullptr);
    }
    void TearDown() override { window.reset(); }

    HWND tree() const { return windows->outline()->tree(); }
    std::wstring selected_item() const { return item_text(tree(), TreeView_GetSelection(tree())); }

    Editor::EditorToolWindows* windows = nullptr;
};

TEST_F(ReloadTest, TheSelectionIsFoundAgainByName)
{
    workspace->session().select(widget("second"));
    Screen::ScreenDocument* before = workspace->document();
    write_screen(edited_screen);
    ASSERT_TRUE(workspace->reload());

    EXPECT_NE(workspace->document(), before);
    Screen::Widget* second = workspace->selection();
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second, widget("second"));
    EXPECT_FLOAT_EQ(second->x(), 0.6f);
    EXPECT_EQ(workspace->document()->emphasized(), second);
    EXPECT_EQ(workspace->tool_strip()->status(), L"");

    // The outline lists the new tree, with the selection's item selected.
    HTREEITEM screen_item = TreeView_GetRoot(tree());
    EXPECT_EQ(child_texts(tree(), screen_item), (std::vector<std::wstring>{L"tip", L"root"}));
    HTREEITEM root = TreeView_GetNextSibling(tree(), TreeView_GetChild(tree(), screen_item));
    EXPECT_EQ(child_texts(tree(), root), (std::vector<std::wstring>{L"label", L"inner"}));
    EXPECT_EQ(selected_item(), L"second");
    EXPECT_EQ(windows->outline()->widget_of(TreeView_GetSelection(tree())), second);
    // The grid shows the new widget and writes to it.
    EXPECT_EQ(windows->properties()->widget(), second);
    EXPECT_TRUE(IsWindowVisible(windows->properties()->hwnd()));

    // Both windows hear the new document: a change made elsewhere reaches them.
    Screen::Widget* label = widget("label");
    workspace->session().select(label);
    EXPECT_EQ(selected_item(), L"label");
    label->set_visible(false);
    EXPECT_EQ(windows->properties()->widget(), label);
}

TEST_F(ReloadTest, AWidgetThatIsGoneLeavesNothingSelected)
{
    workspace->session().select(widget("hidden"));
    write_screen(edited_screen);
    ASSERT_TRUE(workspace->reload());
    EXPECT_EQ(workspace->selection(), nullptr);
    EXPECT_EQ(workspace->document()->emphasized(), nullptr);
    EXPECT_FALSE(IsWindowVisible(windows->properties()->hwnd()));
}

TEST_F(ReloadTest, AFailingVersionKeepsTheLastGoodOneUntilTheNextGoodSave)
{
    workspace->session().select(widget("label"));
    Screen::ScreenDocument* good = workspace->document();
    Screen::Widget* label = widget("label");

    write_screen("Screen = { Widgets = { type = 'Group', name = 'root' ");
    EXPECT_FALSE(workspace->reload());
    EXPECT_EQ(workspace->document(), good);
    EXPECT_EQ(workspace->selection(), label);
    const std::wstring status = workspace->tool_strip()->status();
    EXPECT_EQ(status.find(L"Cannot load screen file: "), 0u) << status;
    EXPECT_EQ(status.find(L"tools.screen"), std::wstring::npos) << "the header names the file already";
    EXPECT_NE(status.find(L"showing the last version that loaded"), std::wstring::npos);
    EXPECT_EQ(status.find(L'\n'), std::wstring::npos);
    EXPECT_NE(workspace->tool_strip()->status_layout(), nullptr);
    EXPECT_EQ(selected_item(), L"label");

    // Removed altogether: the same.
    DeleteFileA(installation.path(std::string("Main\\Data\\") + screen_path).c_str());
    EXPECT_FALSE(workspace->reload());
    EXPECT_EQ(workspace->tool_strip()->status().find(L"Cannot open screen file"), 0u);

    write_screen(edited_screen);
    ASSERT_TRUE(workspace->reload());
    EXPECT_EQ(workspace->tool_strip()->status(), L"");
    EXPECT_EQ(workspace->tool_strip()->status_layout(), nullptr);
    EXPECT_EQ(widget("label")->text(), std::optional<std::string>("Edited"));
    EXPECT_EQ(workspace->selection(), widget("label"));
}

TEST_F(ReloadTest, ClosedToolWindowsStayClosed)
{
    DestroyWindow(windows->outline()->hwnd());
    ASSERT_EQ(windows->outline(), nullptr);
    workspace->session().select(widget("label"));
    write_screen(edited_screen);
    ASSERT_TRUE(workspace->reload());
    EXPECT_EQ(windows->outline(), nullptr);
    EXPECT_EQ(windows->properties()->widget(), widget("label"));
}

} // namespace
