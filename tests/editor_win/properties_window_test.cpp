// The Properties window over a real editor: its rows and their values, editing through
// the rows, the rows following changes made elsewhere, and the docked chooser.

#include "editor/choice_row.h"
#include "editor/outline_window.h"
#include "editor/prop_tree.h"
#include "editor/tool_strip.h"
#include "editor/properties_window.h"
#include "editor/ucs_choice.h"
#include "editor/window_text.h"
#include "screen/button_widgets.h"

#include "editor_win/editor_fixture.h"

#include <commctrl.h>

#include <algorithm>

using namespace EditorTests;
using Editor::GridRow;
using Editor::PropertiesWindow;

namespace {

class PropertiesTest : public EditorFixture {
protected:
    void SetUp() override
    {
        EditorFixture::SetUp();
        installation.write("Main\\Locale\\english\\main.ucs",
                           std::string("\xFF\xFE", 2) + utf16("100\tPlay the game\r\n101\tQuit\r\n250\tOptions\r\n"));
        PropertiesWindow::remembered_frame() = Editor::RememberedFrame{Editor::unplaced, Editor::unplaced, 250, 300};
        Editor::OutlineWindow::remembered_frame() = Editor::RememberedFrame{Editor::unplaced, Editor::unplaced, 200, 300};
    }
    void TearDown() override
    {
        delete outline.get();
        delete properties.get();
    }

    static std::string utf16(const std::string& ascii)
    {
        std::string bytes;
        for (char c : ascii) {
            bytes.push_back(c);
            bytes.push_back('\0');
        }
        return bytes;
    }

    PropertiesWindow* open_properties()
    {
        if (!workspace)
            open_editor();
        properties = Gfx::WindowLink<PropertiesWindow>(PropertiesWindow::open(*workspace, window->hwnd()));
        return properties.get();
    }

    Editor::PropTree* grid() const { return properties.get()->grid(); }
    GridRow* row(const char16_t* name) const { return grid()->row(name); }
    std::u16string value(const char16_t* name) const
    {
        GridRow* found = row(name);
        return found ? found->value_text() : u"(no row)";
    }

    std::wstring text_of(HTREEITEM item) const { return item_text(grid()->tree(), item); }
    std::vector<std::wstring> children_of(HTREEITEM item) const { return child_texts(grid()->tree(), item); }

    int client_width() const { return Editor::client_size(properties.get()->hwnd()).cx; }

    Gfx::WindowLink<PropertiesWindow> properties;
    Gfx::WindowLink<Editor::OutlineWindow> outline;
};

} // namespace

TEST_F(PropertiesTest, HiddenWithoutASelectionAndShownBesideTheEditorWithOne)
{
    open_properties();
    HWND hwnd = properties.get()->hwnd();
    EXPECT_FALSE(IsWindowVisible(hwnd));
    RECT editor{};
    GetWindowRect(window->hwnd(), &editor);
    const Editor::WindowPosition expected =
        Editor::place_over(editor.left, editor.top, editor.right, editor.bottom, 250, 300, 0.85f);
    workspace->session().select(widget("label"));
    EXPECT_TRUE(IsWindowVisible(hwnd));
    EXPECT_NE(GetForegroundWindow(), hwnd) << "shown without activating";
    RECT placed{};
    GetWindowRect(hwnd, &placed);
    EXPECT_EQ(placed.left, expected.x);
    EXPECT_EQ(placed.top, expected.y);

    SetWindowPos(hwnd, nullptr, 60, 70, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    workspace->session().select(nullptr);
    EXPECT_FALSE(IsWindowVisible(hwnd));
    EXPECT_EQ(grid()->row(u"Name"), nullptr) << "no rows without a widget";
    workspace->session().select(widget("first"));
    EXPECT_TRUE(IsWindowVisible(hwnd));
    GetWindowRect(hwnd, &placed);
    EXPECT_EQ(placed.left, 60) << "again where it was left";
    EXPECT_EQ(placed.top, 70);
}

TEST_F(PropertiesTest, ShowsEveryRowOfTheWidgetInOrder)
{
    open_editor();
    workspace->session().select(widget("first"));
    open_properties();
    HTREEITEM group = TreeView_GetRoot(grid()->tree());
    EXPECT_EQ(text_of(group), L"Widget");
    EXPECT_EQ(children_of(group),
              (std::vector<std::wstring>{L"Type", L"Name", L"Display", L"Preview State", L"Style", L"Rectangle", L"Text",
                                         L"Tooltip Widget", L"Tooltip Text"}));
    HTREEITEM rectangle = row(u"Rectangle")->item();
    EXPECT_EQ(children_of(rectangle), (std::vector<std::wstring>{L"X", L"Y", L"Width", L"Height"}));
    EXPECT_FALSE(TreeView_GetItemState(grid()->tree(), rectangle, TVIS_EXPANDED) & TVIS_EXPANDED);
    EXPECT_TRUE(TreeView_GetItemState(grid()->tree(), group, TVIS_EXPANDED) & TVIS_EXPANDED);

    EXPECT_EQ(value(u"Type"), u"Button");
    EXPECT_EQ(value(u"Name"), u"first");
    EXPECT_EQ(value(u"Display"), u"Visible");
    EXPECT_EQ(value(u"Style"), u"UIStyles (Small)");
    EXPECT_EQ(value(u"Rectangle"), u"[0.1, 0.1, 0.1, 0.1]");
    EXPECT_EQ(value(u"X"), u"0.1");
    EXPECT_EQ(value(u"Width"), u"Style Default");
    EXPECT_EQ(value(u"Text"), u"");
    EXPECT_EQ(value(u"Tooltip Widget"), u"");
    EXPECT_EQ(value(u"Preview State"), u"Live");
    EXPECT_EQ(row(u"Display")->button(), Editor::RowButton::drop_down);
    EXPECT_EQ(row(u"Text")->button(), Editor::RowButton::side_panel);
    EXPECT_FALSE(row(u"Display")->editable());
    EXPECT_TRUE(row(u"Name")->editable());

    workspace->session().select(widget("label"));
    EXPECT_EQ(value(u"Style"), u"(None)");
    EXPECT_EQ(value(u"Width"), u"0.3");
    EXPECT_EQ(value(u"Text"), u"$100");
}

TEST_F(PropertiesTest, RectangleTextsAreReadAsFarAsTheyGo)
{
    open_editor();
    Screen::Widget* label = widget("label");
    workspace->session().select(label);
    open_properties();
    auto recorder = std::make_shared<Recorder>();
    workspace->document()->add_observer(recorder);

    row(u"Rectangle")->commit(u"5");
    EXPECT_EQ(label->x(), 5.0f);
    EXPECT_EQ(label->y(), 0.0f);
    EXPECT_EQ(label->width(), 1.0f);
    EXPECT_EQ(label->height(), 1.0f);
    EXPECT_EQ(value(u"X"), u"5") << "the component rows follow";
    EXPECT_EQ(value(u"Height"), u"1");
    ASSERT_FALSE(recorder->properties.empty());
    EXPECT_EQ(recorder->properties.back().second, Screen::Property::rectangle);

    row(u"Rectangle")->commit(u"[0.25, 0.5, 0.125, 0.0625]");
    EXPECT_EQ(value(u"Rectangle"), u"[0.25, 0.5, 0.125, 0.0625]");

    row(u"X")->commit(u"no number");
    EXPECT_EQ(label->x(), 0.0f);
    EXPECT_EQ(label->y(), 0.5f) << "the rest stays";
    row(u"Y")->commit(u"0.75");
    EXPECT_EQ(label->y(), 0.75f);
    EXPECT_EQ(value(u"Rectangle"), u"[0, 0.75, 0.125, 0.0625]");
}

TEST_F(PropertiesTest, SizesSwitchBetweenANumberAndTheStyleDefault)
{
    open_editor();
    Screen::Widget* first = widget("first");
    workspace->session().select(first);
    open_properties();
    ASSERT_TRUE(first->size_from_style());
    row(u"Width")->commit(u"0.5");
    EXPECT_FALSE(first->size_from_style());
    EXPECT_EQ(first->width(), 0.5f);
    EXPECT_EQ(value(u"Width"), u"0.5");
    EXPECT_EQ(value(u"Height"), u"0.1");

    auto* width = dynamic_cast<Editor::ChoiceRow*>(row(u"Width"));
    ASSERT_NE(width, nullptr);
    HWND list = width->open_popup(grid()->tree());
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(width->entries(), (std::vector<std::u16string>{u"0.5", u"Style Default"}));
    EXPECT_EQ(width->current(), 0);
    width->commit_entry(1);
    EXPECT_TRUE(first->size_from_style());
    EXPECT_EQ(first->width(), 0.1f);
    EXPECT_EQ(value(u"Width"), u"Style Default");
    EXPECT_EQ(value(u"Height"), u"Style Default");
    DestroyWindow(list);
}

TEST_F(PropertiesTest, DisplayFollowsTheOutlineAndSetsVisibility)
{
    open_editor();
    Screen::Widget* label = widget("label");
    workspace->session().select(label);
    open_properties();
    outline = Gfx::WindowLink<Editor::OutlineWindow>(Editor::OutlineWindow::open(*workspace, window->hwnd()));
    EXPECT_EQ(value(u"Display"), u"Visible");

    label->set_visible(false); // as the outline's double-click does
    EXPECT_EQ(value(u"Display"), u"Hidden");

    auto* display = dynamic_cast<Editor::ChoiceRow*>(row(u"Display"));
    ASSERT_NE(display, nullptr);
    display->commit_entry(1);
    EXPECT_TRUE(label->is_visible());
    EXPECT_EQ(value(u"Display"), u"Visible");
    // The outline heard it too: its icon is no longer faded.
    TVITEMW data{};
    data.mask = TVIF_IMAGE;
    data.hItem = outline.get()->item_of(label);
    TreeView_GetItem(outline.get()->tree(), &data);
    EXPECT_EQ(data.iImage, 1);
}

TEST_F(PropertiesTest, ButtonsPreviewTheirStatesWithoutEditingTheScreen)
{
    write_screen(R"(Screen = { Widgets = { type = 'Group', name = 'root', size = {1, 1}, Children = {
        { type = 'TextLabel', name = 'label' },
        { type = 'Button', name = 'button' },
        { type = 'CheckButton', name = 'check' },
        { type = 'RadioButton', name = 'radio' },
    } } })");
    open_editor();
    workspace->session().select(widget("label"));
    open_properties();
    EXPECT_EQ(row(u"Preview State"), nullptr) << "only buttons have states to preview";

    auto* button = dynamic_cast<Screen::ButtonWidget*>(widget("button"));
    workspace->session().select(button);
    auto* preview = dynamic_cast<Editor::ChoiceRow*>(row(u"Preview State"));
    ASSERT_NE(preview, nullptr);
    EXPECT_FALSE(preview->editable());
    EXPECT_EQ(preview->entries(), (std::vector<std::u16string>{u"Live", u"Normal", u"Hover", u"Pressed", u"Disabled"}));
    EXPECT_EQ(preview->current(), 0);
    const std::string table = workspace->session().copy_as_lua();
    auto recorder = std::make_shared<Recorder>();
    workspace->document()->add_observer(recorder);
    preview->commit_entry(3);
    EXPECT_EQ(button->preview_state(), Screen::state_active);
    EXPECT_EQ(button->visual_state(), Screen::state_active);
    EXPECT_EQ(value(u"Preview State"), u"Pressed");
    EXPECT_EQ(workspace->session().copy_as_lua(), table) << "the copied table is as it was";
    EXPECT_TRUE(recorder->properties.empty());
    preview->commit_entry(0);
    EXPECT_EQ(button->preview_state(), std::nullopt);
    EXPECT_EQ(value(u"Preview State"), u"Live");

    // Toggles add the checked states, and the row shows the preview again when the
    // button is selected again or the preview was set elsewhere.
    auto* check = dynamic_cast<Screen::ToggleWidget*>(widget("check"));
    workspace->session().select(check);
    preview = dynamic_cast<Editor::ChoiceRow*>(row(u"Preview State"));
    ASSERT_NE(preview, nullptr);
    EXPECT_EQ(preview->entries(),
              (std::vector<std::u16string>{u"Live", u"Normal", u"Hover", u"Pressed", u"Disabled", u"Checked",
                                           u"Checked Hover", u"Checked Pressed", u"Checked Disabled"}));
    preview->commit_entry(6);
    EXPECT_EQ(check->visual_state(), Screen::state_checked_hover);
    EXPECT_FALSE(check->checked()) << "a checked preview does not check the box";
    workspace->session().select(button);
    workspace->session().select(check);
    EXPECT_EQ(value(u"Preview State"), u"Checked Hover");
    check->set_preview_state(Screen::state_disabled);
    preview = dynamic_cast<Editor::ChoiceRow*>(row(u"Preview State"));
    HWND list = preview->open_popup(grid()->tree());
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(preview->current(), 4);
    EXPECT_EQ(value(u"Preview State"), u"Disabled");
    DestroyWindow(list);
    preview->commit_entry(8);
    preview->advance();
    EXPECT_EQ(check->preview_state(), std::nullopt) << "past the last entry back to Live";

    workspace->session().select(widget("radio"));
    EXPECT_EQ(dynamic_cast<Editor::ChoiceRow*>(row(u"Preview State"))->entries().size(), 9u);
    dynamic_cast<Editor::ChoiceRow*>(row(u"Preview State"))->commit_entry(5);
    EXPECT_EQ(widget("radio")->visual_state(), Screen::state_checked);

    // A reload builds new widgets, live again.
    ASSERT_TRUE(workspace->reload());
    EXPECT_EQ(widget("radio")->visual_state(), Screen::state_normal);
}

TEST_F(PropertiesTest, TheStyleListOffersTheTypesStylesAndChoosingOneRestyles)
{
    open_editor();
    Screen::Widget* first = widget("first");
    workspace->session().select(first);
    open_properties();
    auto* style = dynamic_cast<Editor::ChoiceRow*>(row(u"Style"));
    ASSERT_NE(style, nullptr);
    HWND list = style->open_popup(grid()->tree());
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(style->entries(), (std::vector<std::u16string>{u"UIStyles (big)", u"UIStyles (Small)"}));
    EXPECT_EQ(style->current(), 1);
    style->commit_entry(0);
    EXPECT_EQ(*first->style_name(), "big");
    EXPECT_EQ(first->width(), 0.4f) << "the style's size";
    EXPECT_EQ(value(u"Style"), u"UIStyles (big)");
    EXPECT_EQ(value(u"Width"), u"Style Default");
    DestroyWindow(list);
}

TEST_F(PropertiesTest, TextsAreTypedOrPickedFromTheDockedChooser)
{
    open_editor();
    Screen::Widget* label = widget("label");
    workspace->session().select(label);
    open_properties();
    row(u"Text")->commit(u"Caf\u00e9");
    EXPECT_EQ(*label->text(), "Caf\xe9");
    row(u"Tooltip Text")->commit(u"$101");
    EXPECT_EQ(label->tooltip(), "$101");

    const int width = client_width();
    HWND chooser = row(u"Text")->open_popup(grid()->tree());
    ASSERT_NE(chooser, nullptr);
    EXPECT_EQ(properties.get()->docked(), chooser);
    const int docked = properties.get()->docked_width();
    EXPECT_GT(docked, 0);
    EXPECT_EQ(client_width(), width + docked);
    RECT rect{};
    GetWindowRect(chooser, &rect);
    POINT corner{rect.left, rect.top};
    ScreenToClient(properties.get()->hwnd(), &corner);
    EXPECT_EQ(corner.x, width) << "at the right edge";
    EXPECT_EQ(corner.y, 0);

    // Opening it again replaces it rather than widening twice.
    HWND second = row(u"Tooltip Text")->open_popup(grid()->tree());
    EXPECT_FALSE(IsWindow(chooser));
    EXPECT_EQ(properties.get()->docked(), second);
    EXPECT_EQ(client_width(), width + docked);

    // A pick goes to the row that opened it.
    auto* choice = reinterpret_cast<Editor::UcsChoice*>(GetWindowLongPtrW(second, GWLP_USERDATA));
    ASSERT_NE(choice, nullptr);
    SendMessageW(choice->search_box(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"options"));
    ASSERT_EQ(choice->shown(), (std::vector<std::int32_t>{250}));
    // Activation takes the selected item (Wine's keyboard activation names none).
    ListView_SetItemState(choice->list(), 0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    NMITEMACTIVATE activate{};
    activate.hdr.hwndFrom = choice->list();
    activate.hdr.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(choice->list()));
    activate.hdr.code = LVN_ITEMACTIVATE;
    activate.iItem = 0;
    SendMessageW(second, WM_NOTIFY, activate.hdr.idFrom, reinterpret_cast<LPARAM>(&activate));
    EXPECT_EQ(label->tooltip(), "$250");
    EXPECT_EQ(value(u"Tooltip Text"), u"$250");

    // Closing the chooser gives the width back.
    DestroyWindow(second);
    EXPECT_EQ(properties.get()->docked(), nullptr);
    EXPECT_EQ(client_width(), width);

    // The button of the row whose chooser is open closes it again.
    HWND third = row(u"Text")->open_popup(grid()->tree());
    ASSERT_TRUE(IsWindow(third));
    EXPECT_EQ(row(u"Text")->open_popup(grid()->tree()), nullptr);
    EXPECT_FALSE(IsWindow(third));
    EXPECT_EQ(client_width(), width);
}

TEST_F(PropertiesTest, TheDockedChooserFollowsTheTablesReadAgain)
{
    open_editor();
    workspace->session().select(widget("label"));
    open_properties();
    HWND docked = row(u"Text")->open_popup(grid()->tree());
    ASSERT_NE(docked, nullptr);
    auto* choice = reinterpret_cast<Editor::UcsChoice*>(GetWindowLongPtrW(docked, GWLP_USERDATA));
    ASSERT_NE(choice, nullptr);
    SendMessageW(choice->search_box(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"options"));
    ASSERT_EQ(choice->shown(), (std::vector<std::int32_t>{250}));
    ListView_SetItemState(choice->list(), 0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    const auto text_at = [&](int item, int column) {
        wchar_t buffer[128] = {};
        ListView_GetItemText(choice->list(), item, column, buffer, 128);
        return std::wstring(buffer);
    };
    ASSERT_EQ(text_at(0, 1), L"Options");

    // Saved as editors save, over the file the mod holds mapped; then read again as the
    // program does on the change.
    const std::string table = "Main\\Locale\\english\\main.ucs";
    installation.write(table + ".new", std::string("\xFF\xFE", 2) +
                                           utf16("100\tPlay the game\r\n240\tMore options\r\n250\tOptions menu\r\n"));
    ASSERT_TRUE(MoveFileExA(installation.path(table + ".new").c_str(), installation.path(table).c_str(),
                            MOVEFILE_REPLACE_EXISTING))
        << GetLastError();
    mod.reload_tables();
    workspace->session().texts_changed();

    EXPECT_EQ(choice->shown(), (std::vector<std::int32_t>{240, 250})) << "the same search, on the new texts";
    EXPECT_EQ(ListView_GetItemCount(choice->list()), 2);
    EXPECT_EQ(text_at(0, 1), L"More options");
    EXPECT_EQ(text_at(1, 1), L"Options menu");
    EXPECT_EQ(ListView_GetNextItem(choice->list(), -1, LVNI_SELECTED), 1) << "the selected identifier stays selected";

    // Cleared, the search lists every identifier there is now.
    SendMessageW(choice->search_box(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""));
    EXPECT_EQ(choice->shown().back(), 250);
    EXPECT_EQ(std::count(choice->shown().begin(), choice->shown().end(), 240), 1);
}

TEST_F(PropertiesTest, AChooserDockedAtTheScreensEdgeMovesTheWindowInUntilItCloses)
{
    open_editor();
    workspace->session().select(widget("label"));
    open_properties();
    HWND hwnd = properties.get()->hwnd();
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    GetMonitorInfoW(MonitorFromWindow(hwnd, MONITOR_DEFAULTTONEAREST), &monitor);
    RECT rect{};
    GetWindowRect(hwnd, &rect);
    const int left = monitor.rcWork.right - (rect.right - rect.left) - 10;
    SetWindowPos(hwnd, nullptr, left, 80, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);

    ASSERT_NE(row(u"Text")->open_popup(grid()->tree()), nullptr);
    GetWindowRect(hwnd, &rect);
    EXPECT_EQ(rect.right, monitor.rcWork.right) << "in just far enough to show the chooser";
    EXPECT_LT(rect.left, left);
    EXPECT_EQ(rect.top, 80);
    row(u"Text")->open_popup(grid()->tree());
    GetWindowRect(hwnd, &rect);
    EXPECT_EQ(rect.left, left) << "back where the user left it";
}

TEST_F(PropertiesTest, TheKeystrokesOfOneFieldAreOneUndoStep)
{
    open_editor();
    Screen::Widget* label = widget("label");
    workspace->session().select(label);
    open_properties();
    HWND tree = grid()->tree();
    const auto type = [&](const char16_t* row_name, std::initializer_list<const wchar_t*> texts) {
        TreeView_SelectItem(tree, row(row_name)->item());
        HWND edit = grid()->editor_window();
        ASSERT_NE(edit, nullptr);
        for (const wchar_t* text : texts)
            SetWindowTextW(edit, text); // each sends EN_CHANGE, as a keystroke does
        TreeView_SelectItem(tree, row(u"Name")->item());
    };
    type(u"Text", {L"C", L"Ca", L"Caf"});
    EXPECT_EQ(*label->text(), "Caf");
    EXPECT_EQ(workspace->document()->history().size(), 1u);
    type(u"Text", {L"Cafe"});
    EXPECT_EQ(workspace->document()->history().size(), 2u) << "another visit to the field, another step";

    ASSERT_TRUE(workspace->session().undo());
    EXPECT_EQ(*label->text(), "Caf");
    EXPECT_EQ(value(u"Text"), u"Caf") << "the grid follows";
    ASSERT_TRUE(workspace->session().undo());
    EXPECT_EQ(*label->text(), "$100");
    EXPECT_EQ(value(u"Text"), u"$100");
}

TEST_F(PropertiesTest, CtrlZInTheGridUndoesAndArrowsStayTheGrids)
{
    open_editor();
    Screen::Widget* label = widget("label");
    workspace->session().select(label);
    open_properties();
    row(u"Text")->commit(u"typed");
    HWND tree = grid()->tree();
    TreeView_SelectItem(tree, row(u"Name")->item());
    BYTE keys[256]{};
    GetKeyboardState(keys);
    keys[VK_CONTROL] = 0x80;
    SetKeyboardState(keys);
    SendMessageW(tree, WM_KEYDOWN, 'Z', 0);
    keys[VK_CONTROL] = 0;
    SetKeyboardState(keys);
    EXPECT_EQ(*label->text(), "$100");
    EXPECT_EQ(value(u"Text"), u"$100");
    EXPECT_FALSE(workspace->handle_tool_window_key(VK_LEFT, false, false)) << "arrows move in the grid";
    EXPECT_TRUE(workspace->handle_tool_window_key('Y', true, false));
    EXPECT_EQ(*label->text(), "typed");
}

namespace {

// The default screen, with two widgets showing the tooltip widget 'tip'.
constexpr const char* tooltip_screen = R"(Screen = {
    Widgets = { type = 'Group', name = 'root', position = {0, 0}, size = {1, 1}, Children = {
        { type = 'TextLabel', name = 'label', position = {0.1, 0.1}, size = {0.3, 0.1}, text = '$100',
          tooltip_name = 'tip' },
        { type = 'Button', name = 'button', position = {0.5, 0.1}, size = {0.2, 0.1}, tooltip_name = 'tip' },
    } },
    TooltipWidgets = { type = 'Group', name = 'tips', Children = {
        { type = 'TextLabel', name = 'tip', visible = false },
        { type = 'TextLabel', name = 'hint', visible = false },
    } },
})";

// Keys as the user presses them in the grid's open edit, with Shift held or not.
void press(HWND edit, WPARAM key, bool shift = false)
{
    BYTE keys[256]{};
    GetKeyboardState(keys);
    keys[VK_SHIFT] = shift ? 0x80 : 0;
    SetKeyboardState(keys);
    SendMessageW(edit, WM_KEYDOWN, key, 0);
    keys[VK_SHIFT] = 0;
    SetKeyboardState(keys);
}

} // namespace

TEST_F(PropertiesTest, ARenameIsTypedCommittedByEnterAndTakesTheTooltipReferencesAlong)
{
    write_screen(tooltip_screen);
    open_editor();
    Screen::Widget* tip = find(workspace->document()->tooltip_widgets(), "tip");
    workspace->session().select(tip);
    open_properties();
    HWND tree = grid()->tree();

    // Nothing is renamed while the name is typed: it would pass through "h", "hi" ...
    TreeView_SelectItem(tree, row(u"Name")->item());
    HWND edit = grid()->editor_window();
    ASSERT_NE(edit, nullptr);
    SetWindowTextW(edit, L"hin");
    SetWindowTextW(edit, L"help");
    EXPECT_EQ(tip->name(), "tip");
    press(edit, VK_RETURN);
    EXPECT_EQ(grid()->editor_window(), nullptr) << "Enter closes the edit";
    EXPECT_EQ(tip->name(), "help");
    EXPECT_EQ(widget("label")->tooltip_name(), std::optional<std::string>("help"));
    EXPECT_EQ(widget("button")->tooltip_widget(), tip);
    EXPECT_EQ(value(u"Name"), u"help");
    EXPECT_EQ(workspace->document()->history().size(), 1u);

    // A name another widget has is refused: the row keeps the old one, the strip says why.
    TreeView_SelectItem(tree, row(u"Type")->item());
    EXPECT_EQ(grid()->editor_window(), nullptr) << "the type is read-only";
    EXPECT_TRUE(row(u"Type")->read_only());
    TreeView_SelectItem(tree, row(u"Name")->item());
    SetWindowTextW(grid()->editor_window(), L"hint");
    press(grid()->editor_window(), VK_RETURN);
    EXPECT_EQ(tip->name(), "help");
    EXPECT_EQ(value(u"Name"), u"help");
    EXPECT_NE(workspace->tool_strip()->status().find(L"another widget has that name"), std::wstring::npos)
        << workspace->tool_strip()->status();
    EXPECT_EQ(workspace->document()->history().size(), 1u);

    // Undone as one step: the name and the references together.
    ASSERT_TRUE(workspace->session().undo());
    EXPECT_EQ(value(u"Name"), u"tip");
    EXPECT_EQ(widget("label")->tooltip_name(), std::optional<std::string>("tip"));
    EXPECT_EQ(widget("label")->tooltip_widget(), tip);
}

TEST_F(PropertiesTest, TheTooltipWidgetRowChoosesAmongTheTooltipsAsAnEdit)
{
    write_screen(tooltip_screen);
    open_editor();
    Screen::Widget* label = widget("label");
    workspace->session().select(label);
    open_properties();
    EXPECT_EQ(value(u"Tooltip Widget"), u"tip");
    auto* tooltip = dynamic_cast<Editor::ChoiceRow*>(row(u"Tooltip Widget"));
    ASSERT_NE(tooltip, nullptr);
    EXPECT_FALSE(tooltip->editable());
    HWND list = tooltip->open_popup(grid()->tree());
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(tooltip->entries(), (std::vector<std::u16string>{u"(None)", u"tips", u"tip", u"hint"}));
    EXPECT_EQ(tooltip->current(), 2);
    tooltip->commit_entry(3);
    DestroyWindow(list);
    EXPECT_EQ(label->tooltip_widget(), find(workspace->document()->tooltip_widgets(), "hint"));
    EXPECT_EQ(value(u"Tooltip Widget"), u"hint");
    tooltip->commit_entry(0);
    EXPECT_EQ(label->tooltip_widget(), nullptr);
    EXPECT_EQ(value(u"Tooltip Widget"), u"");
    workspace->session().undo();
    workspace->session().undo();
    EXPECT_EQ(value(u"Tooltip Widget"), u"tip");
    EXPECT_EQ(label->tooltip_widget(), find(workspace->document()->tooltip_widgets(), "tip"));
}

TEST_F(PropertiesTest, EscapeRestoresTheFieldAndTabMovesBetweenEditableRows)
{
    open_editor();
    Screen::Widget* label = widget("label");
    // A position no seven-digit text gives back exactly.
    label->set_bounds(0.123456789f, 0.1f, 0.3f, 0.1f);
    workspace->document()->history().clear();
    workspace->session().select(label);
    const std::string before = workspace->session().copy_as_lua();
    open_properties();
    HWND tree = grid()->tree();

    TreeView_SelectItem(tree, row(u"Rectangle")->item());
    SetWindowTextW(grid()->editor_window(), L"[0.5");
    SetWindowTextW(grid()->editor_window(), L"[0.5, 0.5");
    EXPECT_EQ(label->y(), 0.5f) << "typed, applied";
    press(grid()->editor_window(), VK_ESCAPE);
    EXPECT_EQ(grid()->editor_window(), nullptr);
    EXPECT_EQ(workspace->session().copy_as_lua(), before) << "the very values back";
    EXPECT_EQ(value(u"Rectangle"), u"[0.1234568, 0.1, 0.3, 0.1]");
    EXPECT_FALSE(workspace->session().can_undo()) << "nothing left behind";
    EXPECT_FALSE(workspace->session().can_redo());

    // Tab: the next row with an edit, over rows without one and around the end.
    TreeView_SelectItem(tree, row(u"Name")->item());
    const char16_t* const order[] = {u"Rectangle", u"Text", u"Tooltip Text", u"Name"};
    for (const char16_t* next : order) {
        press(grid()->editor_window(), VK_TAB);
        EXPECT_EQ(grid()->active_row(), row(next)) << std::string(next, next + std::char_traits<char16_t>::length(next));
        ASSERT_NE(grid()->editor_window(), nullptr);
        EXPECT_EQ(GetFocus(), grid()->editor_window());
    }
    press(grid()->editor_window(), VK_TAB, true);
    EXPECT_EQ(grid()->active_row(), row(u"Tooltip Text")) << "Shift+Tab goes back";
    EXPECT_FALSE(workspace->session().can_undo()) << "moving through the rows changes nothing";
}

TEST_F(PropertiesTest, AnOpenEditShowsTheValueThatUndoAndRedoPutBack)
{
    open_editor();
    Screen::Widget* label = widget("label");
    workspace->session().select(label);
    open_properties();
    TreeView_SelectItem(grid()->tree(), row(u"Text")->item());
    HWND edit = grid()->editor_window();
    SetWindowTextW(edit, L"typed");
    ASSERT_EQ(*label->text(), "typed");

    // Ctrl+Z from the tree, the edit still open: it shows what was put back, and more
    // typing goes on from there, not from the undone text.
    ASSERT_TRUE(workspace->session().undo());
    EXPECT_EQ(Editor::window_text(edit), u"$100");
    ASSERT_TRUE(workspace->session().redo());
    EXPECT_EQ(Editor::window_text(edit), u"typed");
    ASSERT_TRUE(workspace->session().undo());
    SetWindowTextW(edit, Editor::wide(Editor::window_text(edit) + u"!"));
    EXPECT_EQ(*label->text(), "$100!");
    press(edit, VK_ESCAPE);
    EXPECT_EQ(*label->text(), "$100") << "Escape goes back to what the edit showed after the undo";
}

TEST_F(PropertiesTest, ClosingWithTheChooserDockedRemembersTheGridsOwnFrame)
{
    open_editor();
    workspace->session().select(widget("label"));
    open_properties();
    const int width = client_width();
    ASSERT_NE(row(u"Text")->open_popup(grid()->tree()), nullptr);
    ASSERT_GT(client_width(), width);
    EXPECT_EQ(PropertiesWindow::remembered_frame().width, width) << "the chooser is not the grid's";

    // The screen closes with the chooser docked; the next Properties window is as wide
    // as the grid was, however often that happens.
    for (int cycle = 0; cycle < 2; ++cycle) {
        DestroyWindow(properties.get()->hwnd());
        open_properties();
        EXPECT_EQ(client_width(), width) << cycle;
        ASSERT_NE(row(u"Text")->open_popup(grid()->tree()), nullptr);
    }
}
