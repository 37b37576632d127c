#include "editor/choice_row.h"
#include "editor/prop_tree.h"

#include "support/win/error_box_capture.h"
#include "support/win/message_pump.h"

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

using namespace TestSupport;
using Editor::ChoiceRow;
using Editor::GridRow;
using Editor::PropTree;
using Editor::RowButton;

namespace {

// A row that records what the grid asks of it.
class RecordingRow : public GridRow {
public:
    RecordingRow(RowButton button, bool editable, std::u16string value = u"") : GridRow(button, editable)
    {
        set_value_text(std::move(value));
    }
    HWND open_popup(HWND tree) override
    {
        ++opened;
        return popup ? popup(tree) : nullptr;
    }
    void commit(const std::u16string& text) override
    {
        commits.push_back(text);
        if (failure)
            throw std::runtime_error(failure);
        GridRow::commit(text);
    }

    std::function<HWND(HWND tree)> popup;
    std::vector<std::u16string> commits;
    const char* failure = nullptr;
    int opened = 0;
};

class RecordingChoice : public ChoiceRow {
public:
    using ChoiceRow::ChoiceRow;
    std::vector<int> chosen;

protected:
    void on_chosen(int index) override { chosen.push_back(index); }
};

std::wstring class_of(HWND hwnd)
{
    wchar_t name[64] = {};
    GetClassNameW(hwnd, name, 64);
    return name;
}

RECT window_rect(HWND hwnd)
{
    RECT rect{};
    GetWindowRect(hwnd, &rect);
    return rect;
}

// A top-level window holding a 300 x 200 grid with one group of four rows.
class PropTreeWindow : public testing::Test {
protected:
    void SetUp() override
    {
        WNDCLASSEXW description{};
        description.cbSize = sizeof(description);
        description.lpfnWndProc = DefWindowProcW;
        description.hInstance = GetModuleHandleW(nullptr);
        description.lpszClassName = L"PropTreeTestHost";
        RegisterClassExW(&description);
        host = CreateWindowExW(0, L"PropTreeTestHost", L"grid host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40, 500,
                               400, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(host, nullptr);
        grid = PropTree::create(host, 0, 0, 300, 200);
        tree = grid->tree();

        // Each row goes first under its parent: displayed in reverse.
        group = grid->insert_group(u"Widget");
        auto text = std::make_unique<RecordingRow>(RowButton::side_panel, true, u"$1");
        text_row = text.get();
        text_item = grid->insert_row(group, u"Text", std::move(text));
        auto display = std::make_unique<RecordingChoice>(std::vector<std::u16string>{u"Hidden", u"Visible"}, 1);
        display_row = display.get();
        display_item = grid->insert_row(group, u"Display", std::move(display));
        auto type = std::make_unique<RecordingRow>(RowButton::drop_down, true, u"Button");
        type_row = type.get();
        type_item = grid->insert_row(group, u"Type", std::move(type));
        auto name = std::make_unique<RecordingRow>(RowButton::none, true, u"middle");
        name_row = name.get();
        name_item = grid->insert_row(group, u"Name", std::move(name));
        grid->expand(group, true);
        SetForegroundWindow(host);
        pump_pending();
    }

    void TearDown() override
    {
        if (host)
            DestroyWindow(host);
        // Runs the queued destructions now, while their handles cannot have been reused.
        SleepEx(0, TRUE);
        pump_pending();
    }

    RECT row_rect(HTREEITEM item) const
    {
        RECT rect{};
        TreeView_GetItemRect(tree, item, &rect, FALSE);
        return rect;
    }
    int middle_of(HTREEITEM item) const
    {
        RECT rect = row_rect(item);
        return (rect.top + rect.bottom) / 2;
    }
    int client_width() const
    {
        RECT client{};
        GetClientRect(tree, &client);
        return client.right;
    }
    void click(int x, int y) const
    {
        send_mouse(tree, WM_MOUSEMOVE, 0, x, y);
        send_mouse(tree, WM_LBUTTONDOWN, MK_LBUTTON, x, y);
        send_mouse(tree, WM_LBUTTONUP, 0, x, y);
    }
    void click_button(HTREEITEM item) const { click(client_width() - grid->button_width() / 2, middle_of(item)); }
    HWND open_editor_on(HTREEITEM item) const
    {
        TreeView_SelectItem(tree, item);
        return grid->editor_window();
    }
    static bool destroyed_soon(HWND hwnd)
    {
        return pump_until([&] { return !IsWindow(hwnd); }, 2000);
    }

    HWND host = nullptr;
    PropTree* grid = nullptr;
    HWND tree = nullptr;
    HTREEITEM group = nullptr;
    HTREEITEM name_item = nullptr, type_item = nullptr, display_item = nullptr, text_item = nullptr;
    RecordingRow* name_row = nullptr;
    RecordingRow* type_row = nullptr;
    RecordingRow* text_row = nullptr;
    RecordingChoice* display_row = nullptr;
};

} // namespace

TEST(HeaderTextColour, BlendsEachChannelWithItsOwnWeightRoundingHalvesUp)
{
    EXPECT_EQ(PropTree::header_text_colour(RGB(240, 240, 240), RGB(0, 0, 0)), RGB(168, 180, 192));
    // 178.5, 191.25, 204 and 76.5, 63.75, 51.
    EXPECT_EQ(PropTree::header_text_colour(RGB(255, 255, 255), RGB(0, 0, 0)), RGB(179, 191, 204));
    EXPECT_EQ(PropTree::header_text_colour(RGB(0, 0, 0), RGB(255, 255, 255)), RGB(77, 64, 51));
    // Different channels on both sides: a swapped channel or weight shows.
    EXPECT_EQ(PropTree::header_text_colour(RGB(10, 20, 30), RGB(200, 100, 50)), RGB(67, 40, 34));
}

TEST(SplitterDrag, KeepsBothColumnsAtLeastASplitterAndAnIndentWide)
{
    EXPECT_EQ(Editor::clamp_name_width(150, 300, 19), 148) << "the splitter's middle follows the pointer";
    EXPECT_EQ(Editor::clamp_name_width(1000, 300, 19), 276);
    EXPECT_EQ(Editor::clamp_name_width(-50, 300, 19), 24);
    EXPECT_EQ(Editor::clamp_name_width(30, 40, 19), 24) << "in a grid too narrow for both, the name column wins";
}

TEST(ChoiceList, ShowsEveryEntryUpToEightOrHalfTheTreeHeight)
{
    EXPECT_EQ(Editor::list_visible_rows(2, 300, 16), 2);
    EXPECT_EQ(Editor::list_visible_rows(20, 100, 16), 8);
    EXPECT_EQ(Editor::list_visible_rows(20, 800, 16), 20);
    EXPECT_EQ(Editor::list_visible_rows(30, 800, 16), 25);
    EXPECT_EQ(Editor::list_visible_rows(30, 815, 16), 25) << "whole entries only";
}

TEST(PopupPlacement, StartsAtTheSplitterMiddleOverTheRowAndStaysOnTheScreen)
{
    const RECT screen{0, 0, 1280, 1024};
    RECT rect = Editor::popup_rectangle(RECT{200, 300, 500, 317}, 100, SIZE{80, 40}, screen);
    EXPECT_EQ(rect.left, 302);
    EXPECT_EQ(rect.top, 299);
    EXPECT_EQ(rect.right, 500) << "as wide as the rest of the row";
    EXPECT_EQ(rect.bottom, 339);
    rect = Editor::popup_rectangle(RECT{200, 300, 500, 317}, 100, SIZE{260, 40}, screen);
    EXPECT_EQ(rect.right - rect.left, 260) << "its own width when wider";
    rect = Editor::popup_rectangle(RECT{1100, 1000, 1280, 1017}, 100, SIZE{150, 120}, screen);
    EXPECT_EQ(rect.right, 1280);
    EXPECT_EQ(rect.bottom, 1024);
    EXPECT_EQ(rect.bottom - rect.top, 120);
}

TEST(ChoiceRowCommit, TakesAnEntryIgnoringCaseOrKeepsTheTextWithNoEntry)
{
    RecordingChoice row({u"Hidden", u"Visible"}, 0, true);
    EXPECT_EQ(row.value_text(), u"Hidden");
    EXPECT_EQ(row.button(), RowButton::drop_down);

    row.commit(u"vIsIbLe");
    EXPECT_EQ(row.current(), 1);
    EXPECT_EQ(row.value_text(), u"Visible") << "the entry's own spelling";
    EXPECT_EQ(row.chosen, std::vector<int>{1});

    row.commit(u"Visib");
    EXPECT_EQ(row.current(), -1);
    EXPECT_EQ(row.value_text(), u"Visib");
    EXPECT_EQ(row.chosen, std::vector<int>{1}) << "nothing chosen";

    row.commit_entry(2);
    EXPECT_EQ(row.current(), -1) << "an index past the entries changes nothing";
}

TEST(ChoiceRowAdvance, WrapsAndNeedsTwoEntries)
{
    RecordingChoice three({u"a", u"b", u"c"}, 2);
    three.advance();
    EXPECT_EQ(three.current(), 0);
    EXPECT_EQ(three.value_text(), u"a");
    EXPECT_EQ(three.chosen, std::vector<int>{0});

    RecordingChoice unset({u"a", u"b"}, -1);
    unset.commit(u"typed");
    unset.advance();
    EXPECT_EQ(unset.current(), 0) << "from no entry to the first";

    RecordingChoice one({u"only"}, 0);
    one.advance();
    EXPECT_EQ(one.current(), 0);
    EXPECT_TRUE(one.chosen.empty());
    RecordingChoice none({}, 0);
    none.advance();
    EXPECT_EQ(none.current(), -1);
    EXPECT_TRUE(none.chosen.empty());
}

TEST_F(PropTreeWindow, ButtonsAreAsWideAsTheItemHeightMadeOdd)
{
    const int height = TreeView_GetItemHeight(tree);
    EXPECT_EQ(grid->button_width() % 2, 1);
    EXPECT_TRUE(grid->button_width() == height || grid->button_width() == height - 1) << height;
    EXPECT_EQ(grid->name_column_width(), 100);
    EXPECT_EQ(grid->row(u"Display"), display_row);
    EXPECT_EQ(grid->row_of(type_item), type_row);
    EXPECT_EQ(grid->row(u"Missing"), nullptr);
    EXPECT_EQ(TreeView_GetNextSibling(tree, TreeView_GetChild(tree, group)), type_item) << "last inserted shows first";
}

TEST_F(PropTreeWindow, SelectingAnEditableRowOpensAnEditOverItsValue)
{
    HWND edit = open_editor_on(name_item);
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(class_of(edit), L"Edit");
    EXPECT_EQ(GetParent(edit), tree);
    EXPECT_EQ(grid->active_row(), name_row);
    wchar_t text[32] = {};
    GetWindowTextW(edit, text, 32);
    EXPECT_STREQ(text, L"middle");
    RECT rect = window_rect(edit);
    MapWindowPoints(nullptr, tree, reinterpret_cast<POINT*>(&rect), 2);
    const RECT row = row_rect(name_item);
    EXPECT_EQ(rect.left, 100 + PropTree::splitter_width);
    EXPECT_EQ(rect.right, client_width()) << "no button: to the row's edge";
    EXPECT_GE(rect.top, row.top);
    EXPECT_LE(rect.bottom, row.bottom);
    EXPECT_LE(std::abs((rect.top + rect.bottom) - (row.top + row.bottom)), 1) << "centred on the row";

    // The next editable row has a button, which the edit leaves free.
    HWND next = open_editor_on(type_item);
    ASSERT_NE(next, nullptr);
    EXPECT_NE(next, edit);
    rect = window_rect(next);
    MapWindowPoints(nullptr, tree, reinterpret_cast<POINT*>(&rect), 2);
    EXPECT_EQ(rect.right, client_width() - grid->button_width());

    // The first is hidden at once and destroyed only from the message loop.
    EXPECT_FALSE(IsWindowVisible(edit));
    EXPECT_TRUE(IsWindow(edit));
    EXPECT_TRUE(destroyed_soon(edit));
    EXPECT_TRUE(IsWindow(next));
}

TEST_F(PropTreeWindow, AChoiceRowWithoutTextEntryGetsNoEdit)
{
    HWND edit = open_editor_on(name_item);
    EXPECT_EQ(open_editor_on(display_item), nullptr);
    EXPECT_EQ(grid->active_row(), nullptr);
    EXPECT_FALSE(IsWindowVisible(edit));
}

TEST_F(PropTreeWindow, EveryChangeCommitsTheWholeText)
{
    HWND edit = open_editor_on(name_item);
    ASSERT_NE(edit, nullptr);
    EXPECT_TRUE(name_row->commits.empty()) << "opening is no change";
    SetWindowTextW(edit, L"abc");
    SendMessageW(edit, EM_SETSEL, 3, 3);
    SendMessageW(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(L"d"));
    SendMessageW(edit, EM_SETSEL, 0, 1);
    SendMessageW(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(L""));
    EXPECT_EQ(name_row->commits, (std::vector<std::u16string>{u"abc", u"abcd", u"bcd"}));
    EXPECT_EQ(name_row->value_text(), u"bcd");
    EXPECT_TRUE(type_row->commits.empty());
}

TEST_F(PropTreeWindow, AFailingCommitShowsTheWarningBoxAndKeepsEditing)
{
    ErrorBoxCapture capture;
    HWND edit = open_editor_on(name_item);
    name_row->failure = "the widget is gone";
    SetWindowTextW(edit, L"x");
    ASSERT_EQ(capture.boxes.size(), 1u);
    EXPECT_EQ(capture.boxes[0].owner, grid->hwnd());
    EXPECT_NE(capture.boxes[0].text.find("the widget is gone"), std::string::npos) << capture.boxes[0].text;
    name_row->failure = nullptr;
    SetWindowTextW(edit, L"xy");
    EXPECT_EQ(grid->editor_window(), edit);
    EXPECT_EQ(name_row->value_text(), u"xy");
}

TEST_F(PropTreeWindow, LosingTheFocusClosesTheEdit)
{
    HWND edit = open_editor_on(name_item);
    SetFocus(edit);
    ASSERT_EQ(GetFocus(), edit) << "the host window is not active";
    SetFocus(tree);
    EXPECT_EQ(grid->editor_window(), nullptr);
    EXPECT_EQ(grid->active_row(), nullptr);
    EXPECT_FALSE(IsWindowVisible(edit));
    EXPECT_TRUE(destroyed_soon(edit));
}

TEST_F(PropTreeWindow, TheWheelAndScrollingCloseTheEdit)
{
    HWND edit = open_editor_on(name_item);
    SendMessageW(tree, WM_MOUSEWHEEL, MAKEWPARAM(0, -WHEEL_DELTA), MAKELPARAM(50, 50));
    EXPECT_EQ(grid->editor_window(), nullptr);
    EXPECT_FALSE(IsWindowVisible(edit));

    TreeView_SelectItem(tree, type_item);
    ASSERT_NE(grid->editor_window(), nullptr);
    SendMessageW(tree, WM_VSCROLL, SB_LINEDOWN, 0);
    EXPECT_EQ(grid->editor_window(), nullptr);
}

TEST_F(PropTreeWindow, PressingAnEditableValueOpensAndFocusesItsEdit)
{
    click(200, middle_of(name_item));
    EXPECT_EQ(TreeView_GetSelection(tree), name_item);
    HWND edit = grid->editor_window();
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(GetFocus(), edit);

    // Once closed by a splitter move, a press on the value opens it again.
    grid->close_editor();
    click(200, middle_of(name_item));
    EXPECT_NE(grid->editor_window(), nullptr);
    EXPECT_NE(grid->editor_window(), edit);
}

TEST_F(PropTreeWindow, DraggingTheSplitterMovesAndClampsTheNameColumn)
{
    HWND edit = open_editor_on(name_item);
    const int y = middle_of(display_item);
    const int indent = static_cast<int>(TreeView_GetIndent(tree));
    send_mouse(tree, WM_MOUSEMOVE, 0, 102, y);
    send_mouse(tree, WM_LBUTTONDOWN, MK_LBUTTON, 102, y);
    EXPECT_EQ(GetCapture(), tree);
    send_mouse(tree, WM_MOUSEMOVE, MK_LBUTTON, 152, y);
    EXPECT_EQ(grid->name_column_width(), 150);
    EXPECT_EQ(grid->editor_window(), nullptr) << "a moved column closes the edit";
    EXPECT_FALSE(IsWindowVisible(edit));
    send_mouse(tree, WM_MOUSEMOVE, MK_LBUTTON, 5000, y);
    EXPECT_EQ(grid->name_column_width(), client_width() - PropTree::splitter_width - indent);
    send_mouse(tree, WM_MOUSEMOVE, MK_LBUTTON, -300, y);
    EXPECT_EQ(grid->name_column_width(), PropTree::splitter_width + indent);
    send_mouse(tree, WM_MOUSEMOVE, MK_LBUTTON, 122, y);
    send_mouse(tree, WM_LBUTTONUP, 0, 122, y);
    EXPECT_EQ(grid->name_column_width(), 120);
    EXPECT_NE(GetCapture(), tree);
    send_mouse(tree, WM_MOUSEMOVE, 0, 200, y);
    EXPECT_EQ(grid->name_column_width(), 120) << "the drag has ended";
    EXPECT_EQ(TreeView_GetSelection(tree), name_item) << "a drag selects nothing";

    // The edit then follows the new column.
    HWND next = open_editor_on(type_item);
    RECT rect = window_rect(next);
    MapWindowPoints(nullptr, tree, reinterpret_cast<POINT*>(&rect), 2);
    EXPECT_EQ(rect.left, 120 + PropTree::splitter_width);
}

TEST_F(PropTreeWindow, AButtonOpensTheListOverTheRowAndChoosingAnEntryCommitsIt)
{
    click_button(display_item);
    HWND list = grid->editor_window();
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(class_of(list), L"ListBox");
    EXPECT_EQ(grid->active_row(), display_row);
    EXPECT_EQ(GetWindowLongPtrW(list, GWL_STYLE) & WS_CHILD, 0);
    EXPECT_NE(GetWindowLongPtrW(list, GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
    EXPECT_TRUE(IsWindowVisible(list));
    EXPECT_EQ(GetFocus(), list);
    EXPECT_EQ(SendMessageW(list, LB_GETCOUNT, 0, 0), 2);
    EXPECT_EQ(SendMessageW(list, LB_GETCURSEL, 0, 0), 1);
    EXPECT_EQ(SendMessageW(list, WM_GETFONT, 0, 0), SendMessageW(tree, WM_GETFONT, 0, 0));

    RECT row = row_rect(display_item);
    MapWindowPoints(tree, nullptr, reinterpret_cast<POINT*>(&row), 2);
    const RECT placed = window_rect(list);
    EXPECT_EQ(placed.left, row.left + 100 + PropTree::splitter_width / 2);
    EXPECT_EQ(placed.top, row.top - 1);
    EXPECT_EQ(placed.right, row.right) << "widened to the rest of the row";
    RECT client{};
    GetClientRect(list, &client);
    EXPECT_EQ(client.bottom, 2 * SendMessageW(list, LB_GETITEMHEIGHT, 0, 0)) << "both entries, no more";

    // A click on the first entry: the list tells its owner, and the grid hears it.
    RECT entry{};
    SendMessageW(list, LB_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&entry));
    send_mouse(list, WM_LBUTTONDOWN, MK_LBUTTON, entry.left + 5, entry.top + 2);
    send_mouse(list, WM_LBUTTONUP, 0, entry.left + 5, entry.top + 2);
    EXPECT_EQ(display_row->current(), 0);
    EXPECT_EQ(display_row->value_text(), u"Hidden");
    EXPECT_EQ(display_row->chosen, std::vector<int>{0});
    EXPECT_EQ(grid->editor_window(), nullptr);
    EXPECT_FALSE(IsWindowVisible(list));
    EXPECT_TRUE(destroyed_soon(list));
}

TEST_F(PropTreeWindow, TheListClosesWithoutChoosingWhenItLosesTheFocus)
{
    click_button(display_item);
    HWND list = grid->editor_window();
    ASSERT_NE(list, nullptr);
    SetFocus(tree);
    EXPECT_EQ(grid->editor_window(), nullptr);
    EXPECT_FALSE(IsWindowVisible(list));
    EXPECT_EQ(display_row->current(), 1);
    EXPECT_TRUE(display_row->chosen.empty());
    EXPECT_TRUE(destroyed_soon(list));
}

TEST_F(PropTreeWindow, PressingTheButtonOfAnOpenListClosesIt)
{
    click_button(display_item);
    HWND list = grid->editor_window();
    ASSERT_NE(list, nullptr);
    click_button(display_item);
    EXPECT_EQ(grid->editor_window(), nullptr) << "not opened again";
    EXPECT_FALSE(IsWindowVisible(list));
    click_button(display_item);
    EXPECT_NE(grid->editor_window(), nullptr) << "the next press opens it";
}

TEST_F(PropTreeWindow, OnlyAReleaseInTheButtonStripOpens)
{
    type_row->popup = [](HWND) -> HWND { return nullptr; };
    const int y = middle_of(type_item);
    click(client_width() - grid->button_width() - 3, y);
    EXPECT_EQ(type_row->opened, 0);
    send_mouse(tree, WM_LBUTTONDOWN, MK_LBUTTON, client_width() - 2, y);
    send_mouse(tree, WM_LBUTTONUP, 0, 150, y);
    EXPECT_EQ(type_row->opened, 0) << "released outside the strip";
    click_button(type_item);
    EXPECT_EQ(type_row->opened, 1);
    EXPECT_EQ(TreeView_GetSelection(tree), type_item);
    EXPECT_NE(grid->editor_window(), nullptr) << "no popup: the row's edit stays";
}

TEST_F(PropTreeWindow, ADoubleClickAdvancesAChoiceAndTogglesAGroup)
{
    send_mouse(tree, WM_LBUTTONDBLCLK, MK_LBUTTON, 40, middle_of(display_item));
    EXPECT_EQ(display_row->current(), 0);
    EXPECT_EQ(display_row->chosen, std::vector<int>{0});
    send_mouse(tree, WM_LBUTTONDBLCLK, MK_LBUTTON, 200, middle_of(display_item));
    EXPECT_EQ(display_row->current(), 1) << "on the value too";

    send_mouse(tree, WM_LBUTTONDBLCLK, MK_LBUTTON, 40, middle_of(group));
    EXPECT_EQ(TreeView_GetItemState(tree, group, TVIS_EXPANDED) & TVIS_EXPANDED, 0u);
}

TEST_F(PropTreeWindow, TheCursorShowsWhatAPressWouldDo)
{
    auto cursor_at = [&](int x, int y) {
        POINT point{x, y};
        ClientToScreen(tree, &point);
        SetCursorPos(point.x, point.y);
        SendMessageW(tree, WM_SETCURSOR, reinterpret_cast<WPARAM>(tree), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
        return GetCursor();
    };
    const HCURSOR arrow = LoadCursorW(nullptr, IDC_ARROW);
    const HCURSOR resize = LoadCursorW(nullptr, IDC_SIZEWE);
    const HCURSOR text = LoadCursorW(nullptr, IDC_IBEAM);
    const int strip = client_width() - grid->button_width() / 2;
    EXPECT_EQ(cursor_at(102, middle_of(name_item)), resize);
    EXPECT_EQ(cursor_at(102, 190), resize) << "below the rows too";
    EXPECT_EQ(cursor_at(200, middle_of(name_item)), text);
    EXPECT_EQ(cursor_at(strip, middle_of(name_item)), text) << "no button: the value reaches the edge";
    EXPECT_EQ(cursor_at(strip, middle_of(type_item)), arrow) << "over the button";
    EXPECT_EQ(cursor_at(200, middle_of(display_item)), arrow) << "not editable";
    EXPECT_EQ(cursor_at(40, middle_of(name_item)), arrow);
}

TEST_F(PropTreeWindow, ADockedChildFromTheButtonIsLeftWhereItsHostPutIt)
{
    HWND docked = nullptr;
    text_row->popup = [&](HWND) {
        docked = CreateWindowExW(0, L"Static", L"docked", WS_CHILD | WS_VISIBLE, 310, 5, 150, 180, host, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
        return docked;
    };
    HWND edit = open_editor_on(text_item);
    ASSERT_NE(edit, nullptr);
    click_button(text_item);
    ASSERT_NE(docked, nullptr);
    RECT rect = window_rect(docked);
    MapWindowPoints(nullptr, host, reinterpret_cast<POINT*>(&rect), 2);
    EXPECT_EQ(rect.left, 310);
    EXPECT_EQ(rect.top, 5);
    EXPECT_EQ(rect.right, 460);
    EXPECT_EQ(rect.bottom, 185);
    EXPECT_TRUE(IsWindowVisible(docked));
    EXPECT_NE(grid->editor_window(), docked) << "the grid does not close it";
    EXPECT_FALSE(IsWindowVisible(edit)) << "the row's edit closes, as the side window may change its text";

    TreeView_SelectItem(tree, name_item);
    grid->close_editor();
    EXPECT_TRUE(IsWindowVisible(docked));
}

TEST_F(PropTreeWindow, ClearingWithAnOpenEditClosesItAndForgetsTheRows)
{
    HWND edit = open_editor_on(name_item);
    ASSERT_NE(edit, nullptr);
    grid->clear();
    EXPECT_EQ(grid->editor_window(), nullptr);
    EXPECT_EQ(grid->active_row(), nullptr);
    EXPECT_EQ(grid->row(u"Name"), nullptr);
    EXPECT_EQ(TreeView_GetCount(tree), 0u);
    EXPECT_FALSE(IsWindowVisible(edit));
    EXPECT_TRUE(destroyed_soon(edit));

    // The grid takes new rows as before.
    HTREEITEM again = grid->insert_row(TVI_ROOT, u"Name", std::make_unique<RecordingRow>(RowButton::none, true));
    EXPECT_NE(grid->row(u"Name"), nullptr);
    EXPECT_NE(open_editor_on(again), nullptr);
}

TEST_F(PropTreeWindow, ClearingWithAnOpenListClosesIt)
{
    click_button(display_item);
    HWND list = grid->editor_window();
    ASSERT_NE(list, nullptr);
    grid->clear();
    EXPECT_EQ(grid->editor_window(), nullptr);
    EXPECT_FALSE(IsWindowVisible(list));
    EXPECT_TRUE(destroyed_soon(list));
}

TEST_F(PropTreeWindow, ResizingClosesTheEditButMovingDoesNot)
{
    HWND edit = open_editor_on(name_item);
    SetWindowPos(grid->hwnd(), nullptr, 10, 10, 300, 200, SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_EQ(grid->editor_window(), edit) << "a pure move";
    SetWindowPos(grid->hwnd(), nullptr, 10, 10, 260, 150, SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_EQ(grid->editor_window(), nullptr);
    EXPECT_FALSE(IsWindowVisible(edit));
    RECT client{};
    GetClientRect(tree, &client);
    EXPECT_EQ(client.bottom, 150);
    RECT outer = window_rect(tree);
    EXPECT_EQ(outer.right - outer.left, 260) << "the tree fills the control";
}
