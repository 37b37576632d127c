// The outline window over a real editor: its tree, selection both ways, visibility by
// double-click and from elsewhere, emphasis, translucency and its remembered frame.

#include "editor/editor_tool_windows.h"
#include "editor/tool_strip.h"
#include "ui/tool_button.h"
#include "ui/offscreen_target.h"
#include "editor/outline_window.h"
#include "editor/properties_window.h"
#include "editor/widget_icon.h"

#include "editor_win/editor_fixture.h"

#include <commctrl.h>

using namespace EditorTests;
using Editor::OutlineWindow;

namespace {

class OutlineTest : public EditorFixture {
protected:
    void SetUp() override
    {
        EditorFixture::SetUp();
        OutlineWindow::remembered_frame() = Editor::RememberedFrame{Editor::unplaced, Editor::unplaced, 200, 300};
    }
    void TearDown() override { delete outline.get(); }

    OutlineWindow* open_outline()
    {
        open_editor();
        outline = Gfx::WindowLink<OutlineWindow>(OutlineWindow::open(*workspace, window->hwnd()));
        return outline.get();
    }

    HWND tree() const { return outline.get()->tree(); }

    std::wstring text_of(HTREEITEM item) const { return item_text(tree(), item); }
    std::vector<std::wstring> children_of(HTREEITEM item) const { return child_texts(tree(), item); }

    int image_of(HTREEITEM item) const
    {
        TVITEMW data{};
        data.mask = TVIF_IMAGE | TVIF_SELECTEDIMAGE;
        data.hItem = item;
        TreeView_GetItem(tree(), &data);
        EXPECT_EQ(data.iImage, data.iSelectedImage);
        return data.iImage;
    }

    bool expanded(HTREEITEM item) const { return TreeView_GetItemState(tree(), item, TVIS_EXPANDED) & TVIS_EXPANDED; }

    // A real double-click on the item's label, with the cursor over it.
    void double_click(HTREEITEM item)
    {
        RECT rect{};
        TreeView_GetItemRect(tree(), item, &rect, TRUE);
        POINT at{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
        POINT screen = at;
        ClientToScreen(tree(), &screen);
        SetCursorPos(screen.x, screen.y);
        const LPARAM position = MAKELPARAM(at.x, at.y);
        // The tree waits for the release inside its press handling (it may be a drag):
        // the release is queued first.
        PostMessageW(tree(), WM_LBUTTONUP, 0, position);
        SendMessageW(tree(), WM_LBUTTONDOWN, MK_LBUTTON, position);
        TestSupport::pump_pending();
        PostMessageW(tree(), WM_LBUTTONUP, 0, position);
        SendMessageW(tree(), WM_LBUTTONDBLCLK, MK_LBUTTON, position);
        TestSupport::pump_pending();
    }

    Gfx::WindowLink<OutlineWindow> outline;
};

} // namespace

TEST_F(OutlineTest, ListsTheScreenThenItsWidgetsAsTheScriptDoes)
{
    open_outline();
    ASSERT_TRUE(IsWindowVisible(outline.get()->hwnd()));
    wchar_t title[64] = {};
    GetWindowTextW(outline.get()->hwnd(), title, 64);
    EXPECT_STREQ(title, L"Outline");
    HTREEITEM screen = TreeView_GetRoot(tree());
    EXPECT_EQ(text_of(screen), L"tools.screen");
    EXPECT_EQ(image_of(screen), Editor::screen_icon);
    EXPECT_TRUE(expanded(screen));
    EXPECT_EQ(TreeView_GetNextSibling(tree(), screen), nullptr) << "one root";
    EXPECT_EQ(children_of(screen), (std::vector<std::wstring>{L"tip", L"root"}))
        << "the tooltip widgets lie in front in the document";

    HTREEITEM root = outline.get()->item_of(widget("root"));
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(children_of(root), (std::vector<std::wstring>{L"label", L"hidden", L"inner"}));
    EXPECT_EQ(image_of(root), 0);
    EXPECT_EQ(image_of(outline.get()->item_of(widget("label"))), 1);
    HTREEITEM hidden = outline.get()->item_of(widget("hidden"));
    EXPECT_EQ(image_of(hidden), 6 + Editor::faded_icons) << "not shown: faded";
    HTREEITEM inner = outline.get()->item_of(widget("inner"));
    EXPECT_EQ(children_of(inner), (std::vector<std::wstring>{L"first", L"second"}));
    EXPECT_EQ(image_of(outline.get()->item_of(widget("second"))), 11);
    EXPECT_TRUE(expanded(inner));
    EXPECT_EQ(outline.get()->widget_of(screen), nullptr);
    EXPECT_EQ(outline.get()->item_of(nullptr), screen);
    EXPECT_NE(TreeView_GetImageList(tree(), TVSIL_NORMAL), nullptr);
    EXPECT_EQ(ImageList_GetImageCount(TreeView_GetImageList(tree(), TVSIL_NORMAL)), 32);
}

TEST_F(OutlineTest, FirstOpeningSitsBesideTheActiveWindowAndLaterOnesWhereItWasLeft)
{
    open_outline();
    RECT editor{};
    GetWindowRect(window->hwnd(), &editor);
    const Editor::WindowPosition expected =
        Editor::place_over(editor.left, editor.top, editor.right, editor.bottom, 200, 300, 0.15f);
    RECT placed{};
    GetWindowRect(outline.get()->hwnd(), &placed);
    EXPECT_EQ(placed.left, expected.x);
    EXPECT_EQ(placed.top, expected.y);
    RECT client{};
    GetClientRect(outline.get()->hwnd(), &client);
    EXPECT_EQ(client.right, 200);
    EXPECT_EQ(client.bottom, 300);
    EXPECT_TRUE(GetWindowLongPtrW(outline.get()->hwnd(), GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
    EXPECT_EQ(GetWindow(outline.get()->hwnd(), GW_OWNER), window->hwnd()) << "it minimises with the editor";

    // Moved and resized by the user, closed, opened again: where it was left.
    SetWindowPos(outline.get()->hwnd(), nullptr, 30, 40, 260, 380, SWP_NOZORDER | SWP_NOACTIVATE);
    GetClientRect(outline.get()->hwnd(), &client);
    DestroyWindow(outline.get()->hwnd());
    EXPECT_EQ(outline.get(), nullptr);
    EXPECT_EQ(OutlineWindow::remembered_frame().x, 30);
    EXPECT_EQ(OutlineWindow::remembered_frame().width, client.right);
    outline = Gfx::WindowLink<OutlineWindow>(OutlineWindow::open(*workspace, window->hwnd()));
    GetWindowRect(outline.get()->hwnd(), &placed);
    EXPECT_EQ(placed.left, 30);
    EXPECT_EQ(placed.top, 40);
    RECT again{};
    GetClientRect(outline.get()->hwnd(), &again);
    EXPECT_EQ(again.right, client.right);
    EXPECT_EQ(again.bottom, client.bottom);
}

TEST_F(OutlineTest, IsNearlyOpaqueOnlyWhileTheMouseIsOverIt)
{
    open_outline();
    BYTE alpha = 0;
    DWORD flags = 0;
    GetLayeredWindowAttributes(outline.get()->hwnd(), nullptr, &alpha, &flags);
    EXPECT_EQ(alpha, 128);
    SendMessageW(outline.get()->hwnd(), WM_USER, 0, 0);
    GetLayeredWindowAttributes(outline.get()->hwnd(), nullptr, &alpha, &flags);
    EXPECT_EQ(alpha, 240);
    SendMessageW(outline.get()->hwnd(), WM_USER + 1, 0, 0);
    GetLayeredWindowAttributes(outline.get()->hwnd(), nullptr, &alpha, &flags);
    EXPECT_EQ(alpha, 128);
}

TEST_F(OutlineTest, SelectingAnItemSelectsItsWidgetAndEmphasizesIt)
{
    open_outline();
    Recorder recorder;
    const auto subscription = workspace->session().subscribe(recorder);
    Screen::Widget* label = widget("label");
    TreeView_SelectItem(tree(), outline.get()->item_of(label));
    EXPECT_EQ(workspace->selection(), label);
    EXPECT_EQ(workspace->document()->emphasized(), label);
    EXPECT_EQ(workspace->document()->dim(), 0.25f);
    ASSERT_EQ(recorder.selections.size(), 1u);
    EXPECT_EQ(recorder.selections[0], label);

    // Selecting the selected widget again, from anywhere, tells nobody.
    workspace->session().select(label);
    EXPECT_EQ(recorder.selections.size(), 1u);

    // A selection made elsewhere moves the tree's.
    Screen::Widget* second = widget("second");
    workspace->session().select(second);
    EXPECT_EQ(TreeView_GetSelection(tree()), outline.get()->item_of(second));
    EXPECT_EQ(recorder.selections.size(), 2u) << "the tree's echo is not a second change";

    // The screen's own item selects nothing.
    TreeView_SelectItem(tree(), TreeView_GetRoot(tree()));
    EXPECT_EQ(workspace->selection(), nullptr);
    EXPECT_EQ(workspace->document()->emphasized(), nullptr);
}

TEST_F(OutlineTest, DoubleClickingAParentHidesAndCollapsesItThenShowsAndExpandsIt)
{
    open_outline();
    Screen::Widget* inner = widget("inner");
    HTREEITEM item = outline.get()->item_of(inner);
    ASSERT_TRUE(expanded(item));
    double_click(item);
    EXPECT_FALSE(inner->is_visible());
    EXPECT_FALSE(expanded(item));
    EXPECT_EQ(image_of(item), 0 + Editor::faded_icons);
    double_click(item);
    EXPECT_TRUE(inner->is_visible());
    EXPECT_TRUE(expanded(item));
    EXPECT_EQ(image_of(item), 0);

    // A leaf just flips.
    Screen::Widget* second = widget("second");
    HTREEITEM leaf = outline.get()->item_of(second);
    double_click(leaf);
    EXPECT_FALSE(second->is_visible());
    EXPECT_EQ(image_of(leaf), 11 + Editor::faded_icons);
}

TEST_F(OutlineTest, CtrlZAndCtrlYInTheTreeUndoAndRedoAHiding)
{
    open_outline();
    Screen::Widget* second = widget("second");
    HTREEITEM leaf = outline.get()->item_of(second);
    double_click(leaf);
    ASSERT_FALSE(second->is_visible());

    // Control held in the thread's key state, as the tree reads it for its notification.
    BYTE keys[256]{};
    GetKeyboardState(keys);
    const auto press = [&](WPARAM key, bool shift) {
        keys[VK_CONTROL] = 0x80;
        keys[VK_SHIFT] = shift ? 0x80 : 0;
        SetKeyboardState(keys);
        SendMessageW(tree(), WM_KEYDOWN, key, 0);
        keys[VK_CONTROL] = keys[VK_SHIFT] = 0;
        SetKeyboardState(keys);
    };
    press('Z', false);
    EXPECT_TRUE(second->is_visible());
    EXPECT_EQ(image_of(leaf), 11) << "the icon follows the undone hiding";
    press('Y', false);
    EXPECT_FALSE(second->is_visible());
    press('Z', false);
    press('Z', true);
    EXPECT_FALSE(second->is_visible()) << "Ctrl+Shift+Z redoes";
    EXPECT_EQ(image_of(leaf), 11 + Editor::faded_icons);
}

TEST_F(OutlineTest, VisibilityChangedElsewhereFadesTheIconWithoutRebuilding)
{
    open_outline();
    Screen::Widget* label = widget("label");
    HTREEITEM item = outline.get()->item_of(label);
    const UINT count = TreeView_GetCount(tree());
    label->set_visible(false);
    EXPECT_EQ(outline.get()->item_of(label), item) << "the same item";
    EXPECT_EQ(TreeView_GetCount(tree()), count);
    EXPECT_EQ(image_of(item), 1 + Editor::faded_icons);
    label->set_visible(true);
    EXPECT_EQ(image_of(item), 1);
}

TEST_F(OutlineTest, UncheckingEmphasisRestoresFullOpacityAndKeepsTheSelection)
{
    open_outline();
    HWND box = outline.get()->check_box();
    EXPECT_EQ(SendMessageW(box, BM_GETCHECK, 0, 0), BST_CHECKED);
    Screen::Widget* label = widget("label");
    workspace->session().select(label);
    EXPECT_EQ(workspace->document()->dim(), 0.25f);

    SendMessageW(box, BM_CLICK, 0, 0);
    EXPECT_FALSE(Editor::EditorSession::emphasize_selection());
    EXPECT_EQ(workspace->document()->dim(), 1.0f);
    EXPECT_EQ(workspace->selection(), label);
    EXPECT_EQ(workspace->document()->emphasized(), label);
    workspace->session().select(widget("second"));
    EXPECT_EQ(workspace->document()->dim(), 1.0f) << "selections follow the setting";

    SendMessageW(box, BM_CLICK, 0, 0);
    EXPECT_EQ(workspace->document()->dim(), 0.25f);

    // The setting outlives the window.
    SendMessageW(box, BM_CLICK, 0, 0);
    DestroyWindow(outline.get()->hwnd());
    outline = Gfx::WindowLink<OutlineWindow>(OutlineWindow::open(*workspace, window->hwnd()));
    EXPECT_EQ(SendMessageW(outline.get()->check_box(), BM_GETCHECK, 0, 0), BST_UNCHECKED);
    workspace->session().set_emphasize_selection(true);
}

TEST_F(OutlineTest, AClosedOutlineIsNoLongerTold)
{
    open_outline();
    DestroyWindow(outline.get()->hwnd());
    ASSERT_EQ(outline.get(), nullptr);
    // Both notifiers skip the dead observer.
    widget("label")->set_visible(false);
    workspace->session().select(widget("label"));
    EXPECT_EQ(workspace->selection(), widget("label"));
}

TEST_F(OutlineTest, TheToolWindowsCloseWithTheWorkspaceInEitherOrder)
{
    open_editor_with_tool_windows();
    Editor::EditorToolWindows* windows = workspace->tool_windows();
    ASSERT_NE(windows, nullptr);
    ASSERT_NE(windows->outline(), nullptr);
    ASSERT_NE(windows->properties(), nullptr);
    HWND outline_hwnd = windows->outline()->hwnd();
    HWND properties_hwnd = windows->properties()->hwnd();
    EXPECT_TRUE(IsWindowVisible(outline_hwnd));
    EXPECT_FALSE(IsWindowVisible(properties_hwnd)) << "nothing is selected";

    EXPECT_EQ(GetWindow(outline_hwnd, GW_OWNER), window->hwnd());
    EXPECT_EQ(GetWindow(properties_hwnd, GW_OWNER), window->hwnd());

    // The user closes the outline; the editor goes on, and F4 shows it again, as does the
    // strip's button after the grid is closed too.
    DestroyWindow(outline_hwnd);
    EXPECT_EQ(windows->outline(), nullptr);
    workspace->session().select(widget("label"));
    EXPECT_TRUE(IsWindowVisible(properties_hwnd));
    EXPECT_TRUE(workspace->handle_key(VK_F4, false, false, false));
    ASSERT_NE(windows->outline(), nullptr);
    EXPECT_TRUE(IsWindowVisible(windows->outline()->hwnd()));
    EXPECT_EQ(windows->outline()->widget_of(TreeView_GetSelection(windows->outline()->tree())), widget("label"))
        << "it shows the selection at once";
    DestroyWindow(properties_hwnd);
    DestroyWindow(windows->outline()->hwnd());
    ASSERT_EQ(windows->properties(), nullptr);
    Ui::ToolButton* button = workspace->tool_strip()->tool_windows_button();
    const D2D1_POINT_2F at = TestSupport::root_point(*button, 11.0f, 11.0f);
    TestSupport::send_mouse(window->hwnd(), WM_MOUSEMOVE, 0, static_cast<int>(at.x), static_cast<int>(at.y));
    TestSupport::send_mouse(window->hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, static_cast<int>(at.x), static_cast<int>(at.y));
    TestSupport::send_mouse(window->hwnd(), WM_LBUTTONUP, 0, static_cast<int>(at.x), static_cast<int>(at.y));
    ASSERT_NE(windows->properties(), nullptr);
    ASSERT_NE(windows->outline(), nullptr);
    properties_hwnd = windows->properties()->hwnd();
    outline_hwnd = windows->outline()->hwnd();
    EXPECT_TRUE(IsWindowVisible(properties_hwnd));
    EXPECT_EQ(windows->properties()->widget(), widget("label"));

    // F2 in the editor renames the selection in the outline.
    EXPECT_TRUE(workspace->handle_key(VK_F2, false, false, false));
    HWND tree = windows->outline()->tree();
    EXPECT_NE(TreeView_GetEditControl(tree), nullptr);
    EXPECT_EQ(windows->outline()->widget_of(TreeView_GetSelection(tree)), widget("label"));
    TreeView_EndEditLabelNow(tree, TRUE);

    // Then everything closes with the editor.
    window.reset();
    EXPECT_FALSE(IsWindow(properties_hwnd));
    EXPECT_FALSE(IsWindow(outline_hwnd));
}

TEST_F(OutlineTest, ALabelEditOrF2RenamesTheWidget)
{
    open_outline();
    Screen::Widget* label = widget("label");
    HTREEITEM item = outline.get()->item_of(label);
    const auto edit_label = [&](HTREEITEM target, const wchar_t* text) {
        HWND edit = TreeView_EditLabel(tree(), target);
        if (edit) {
            SetWindowTextW(edit, text);
            TreeView_EndEditLabelNow(tree(), FALSE);
        }
        return edit != nullptr;
    };
    ASSERT_TRUE(edit_label(item, L"caption"));
    EXPECT_EQ(label->name(), "caption");
    EXPECT_EQ(text_of(item), L"caption");
    EXPECT_EQ(workspace->document()->history().size(), 1u);

    // Refused: the item keeps the widget's name.
    ASSERT_TRUE(edit_label(item, L"second"));
    EXPECT_EQ(label->name(), "caption");
    EXPECT_EQ(text_of(item), L"caption");
    EXPECT_FALSE(workspace->session().status().empty());

    // The screen's own item has no name to edit; a rename elsewhere shows here.
    EXPECT_FALSE(edit_label(TreeView_GetRoot(tree()), L"renamed"));
    workspace->session().undo();
    EXPECT_EQ(text_of(item), L"label");

    // F2 starts the edit on the selection, in the tree or from the editor's keys.
    workspace->session().select(widget("second"));
    SendMessageW(tree(), WM_KEYDOWN, VK_F2, 0);
    HWND edit = TreeView_GetEditControl(tree());
    ASSERT_NE(edit, nullptr);
    TreeView_EndEditLabelNow(tree(), TRUE);
    EXPECT_EQ(TreeView_GetEditControl(tree()), nullptr);
    EXPECT_EQ(widget("second")->name(), "second") << "a cancelled edit renames nothing";
}
