#include "editor/ucs_choice.h"

#include "mod/loaded_mod.h"

#include "mod/ucs_bytes.h"
#include "support/temp_folder.h"
#include "support/win/error_box_capture.h"
#include "support/win/message_pump.h"
#include "support/win/test_graphics.h"

#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

using Editor::UcsChoice;
using namespace TestSupport;

namespace {

using Ids = std::vector<std::int32_t>;

// A plain top-level window standing in for the Properties window.
HWND create_host()
{
    static const wchar_t* const name = L"UcsChoiceTestHost";
    WNDCLASSEXW description{};
    description.cbSize = sizeof(description);
    description.lpfnWndProc = DefWindowProcW;
    description.hInstance = GetModuleHandleW(nullptr);
    description.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    description.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
    description.lpszClassName = name;
    RegisterClassExW(&description);
    return CreateWindowExW(0, name, L"Properties", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN | WS_VISIBLE, 40, 40, 640,
                           520, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
}

std::wstring window_text(HWND hwnd)
{
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(hwnd)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(hwnd, text.data(), static_cast<int>(text.size()))));
    return text;
}

std::wstring class_of(HWND hwnd)
{
    wchar_t name[64] = {};
    GetClassNameW(hwnd, name, 64);
    return name;
}

std::wstring item_text(HWND list, int item, int column)
{
    wchar_t buffer[512] = {};
    LVITEMW request{};
    request.iSubItem = column;
    request.pszText = buffer;
    request.cchTextMax = 512;
    SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&request));
    return buffer;
}

int item_count(HWND list)
{
    return static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
}

int selected_item(HWND list)
{
    return static_cast<int>(SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

RECT rect_in_parent(HWND child)
{
    RECT rect{};
    GetWindowRect(child, &rect);
    MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

int index_of(const Ids& ids, std::int32_t id)
{
    for (std::size_t i = 0; i < ids.size(); ++i)
        if (ids[i] == id)
            return static_cast<int>(i);
    return -1;
}

// A click as the controls see it. A list view's button-down may wait in a modal loop
// for the button-up to arrive in the queue, so that is posted first.
void click(HWND hwnd, int x, int y)
{
    PostMessageW(hwnd, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
    send_mouse(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, x, y);
    pump_pending();
}

// Identifiers 10-12, 14, 15, 20-22 and the filler 1000-1099: the full list reads 10,
// 11, 12, 13 (a gap of one), 14, 15, 16 and 19 (the gap 16-19), 20, 21, 22, 23 and 999
// (the gap before the filler), 1000 ... 1099.
class UcsChoiceTest : public testing::Test {
protected:
    void SetUp() override
    {
        std::u16string table = u"10\tAttack the base\r\n"
                               u"11\tDefend the base\r\n"
                               u"12\tRetreat%N%now\r\n"
                               u"14\tBuild a barracks\r\n"
                               u"15\tAttack move\r\n"
                               u"20\tCosts $12a per unit\r\n"
                               u"21\tOnly today\r\n"
                               u"22\tSell\r\n";
        for (int id = 1000; id < 1100; ++id) {
            std::string line = std::to_string(id) + "\tFiller line " + std::to_string(id) + "\r\n";
            table += std::u16string(line.begin(), line.end());
        }
        installation.write("Main.module", "[global]\nModFolder = Main\n");
        installation.write("Main\\Locale\\english\\main.ucs", ucs_bytes(table));
        mod.load(&test_graphics(), installation.path("Main.module"));
        mod.wait_until_loaded(10000);
        all = mod.id_layout(mod.min_id(), mod.max_id());

        host = create_host();
        ASSERT_NE(host, nullptr);
        choice = UcsChoice::create(host, mod, 200, 0, 400, 300);
        link = Gfx::WindowLink<UcsChoice>(choice);
        pump_pending();
    }

    void TearDown() override
    {
        DestroyWindow(host);
        pump_pending();
    }

    // Types into the search box as the user would: every change searches.
    void type(const wchar_t* text) { SetWindowTextW(choice->search_box(), text); }

    TempFolder installation;
    Mod::LoadedMod mod;
    Ids all;
    HWND host = nullptr;
    UcsChoice* choice = nullptr;
    Gfx::WindowLink<UcsChoice> link;
};

} // namespace

TEST_F(UcsChoiceTest, IsAVisibleChildWithASearchBoxAndAVirtualList)
{
    HWND hwnd = choice->hwnd();
    EXPECT_EQ(class_of(hwnd), L"UcsChoice");
    EXPECT_EQ(GetParent(hwnd), host);
    EXPECT_TRUE(IsWindowVisible(hwnd));
    EXPECT_EQ(GetClassLongPtrW(hwnd, GCLP_HBRBACKGROUND), static_cast<ULONG_PTR>(COLOR_WINDOW + 1));

    HWND list = choice->list();
    EXPECT_EQ(class_of(list), L"SysListView32");
    EXPECT_EQ(GetParent(list), hwnd);
    const LONG_PTR list_style = GetWindowLongPtrW(list, GWL_STYLE);
    const LONG_PTR wanted = LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_OWNERDATA | LVS_NOSORTHEADER;
    EXPECT_EQ(list_style & (wanted | LVS_TYPEMASK), wanted);
    EXPECT_TRUE(GetWindowLongPtrW(list, GWL_EXSTYLE) & WS_EX_STATICEDGE);
    const LRESULT extended = SendMessageW(list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0);
    EXPECT_EQ(extended & (LVS_EX_FULLROWSELECT | LVS_EX_ONECLICKACTIVATE | LVS_EX_DOUBLEBUFFER),
              LVS_EX_FULLROWSELECT | LVS_EX_ONECLICKACTIVATE | LVS_EX_DOUBLEBUFFER);

    wchar_t heading[32] = {};
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH;
    column.pszText = heading;
    column.cchTextMax = 32;
    ASSERT_TRUE(SendMessageW(list, LVM_GETCOLUMNW, 0, reinterpret_cast<LPARAM>(&column)));
    EXPECT_STREQ(heading, L"Code");
    EXPECT_EQ(column.cx, 80);
    ASSERT_TRUE(SendMessageW(list, LVM_GETCOLUMNW, 1, reinterpret_cast<LPARAM>(&column)));
    EXPECT_STREQ(heading, L"String");

    HWND box = choice->search_box();
    EXPECT_EQ(class_of(box), L"Edit");
    EXPECT_EQ(GetParent(box), hwnd);
    const LONG_PTR box_style = GetWindowLongPtrW(box, GWL_STYLE);
    EXPECT_TRUE(box_style & ES_AUTOHSCROLL);
    EXPECT_FALSE(box_style & ES_MULTILINE);
    EXPECT_TRUE(GetWindowLongPtrW(box, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
    wchar_t cue[32] = {};
    ASSERT_TRUE(SendMessageW(box, EM_GETCUEBANNER, reinterpret_cast<WPARAM>(cue), 32));
    EXPECT_STREQ(cue, L"Search");
}

TEST_F(UcsChoiceTest, ListsEveryIdentifierWithTheGaps)
{
    EXPECT_EQ(choice->shown(), all);
    ASSERT_EQ(all.front(), 10);
    EXPECT_EQ(all.back(), 1099);
    EXPECT_EQ(index_of(all, 17), -1); // inside the gap
    ASSERT_NE(index_of(all, 19), -1); // the gap's last member
    EXPECT_EQ(item_count(choice->list()), static_cast<int>(all.size()));

    HWND list = choice->list();
    EXPECT_EQ(item_text(list, 0, 0), L"$10");
    EXPECT_EQ(item_text(list, 0, 1), L"Attack the base");
    EXPECT_EQ(item_text(list, index_of(all, 12), 1), L"Retreat\nnow");
    EXPECT_EQ(item_text(list, index_of(all, 13), 0), L"$13");
    EXPECT_EQ(item_text(list, index_of(all, 13), 1), L"$13 No String!");
    EXPECT_EQ(item_text(list, index_of(all, 19), 1), L"$19 No String!");
    EXPECT_EQ(item_text(list, static_cast<int>(all.size()) - 1, 1), L"Filler line 1099");
    // Back at the top after the bottom: the cache follows the requests both ways.
    EXPECT_EQ(item_text(list, 1, 0), L"$11");
}

TEST_F(UcsChoiceTest, LaysOutTheListAboveTheSearchStrip)
{
    SetWindowPos(choice->hwnd(), nullptr, 150, 10, 300, 400, SWP_NOZORDER | SWP_NOACTIVATE);

    // The strip is 14/8 of the list font's text height.
    HWND list = choice->list();
    HDC dc = GetDC(list);
    HGDIOBJ previous = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(list, WM_GETFONT, 0, 0)));
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    SelectObject(dc, previous);
    ReleaseDC(list, dc);
    const int strip = metrics.tmHeight * 14 / 8;
    ASSERT_GT(strip, 0);

    const RECT list_rect = rect_in_parent(list);
    EXPECT_EQ(list_rect.left, 0);
    EXPECT_EQ(list_rect.top, 0);
    EXPECT_EQ(list_rect.right, 300);
    EXPECT_EQ(list_rect.bottom, 400 - strip);
    const RECT box_rect = rect_in_parent(choice->search_box());
    EXPECT_EQ(box_rect.left, 0);
    EXPECT_EQ(box_rect.top, 400 - strip);
    EXPECT_EQ(box_rect.right, 300);
    EXPECT_EQ(box_rect.bottom, 400);

    // "String" takes the rest of the list's width.
    RECT inside{};
    GetClientRect(list, &inside);
    const int code = static_cast<int>(SendMessageW(list, LVM_GETCOLUMNWIDTH, 0, 0));
    const int text = static_cast<int>(SendMessageW(list, LVM_GETCOLUMNWIDTH, 1, 0));
    EXPECT_EQ(code, 80);
    EXPECT_EQ(code + text, inside.right);

    // A pure move keeps the children where they are.
    SetWindowPos(choice->hwnd(), nullptr, 0, 0, 0, 0, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOSIZE);
    const RECT moved = rect_in_parent(list);
    EXPECT_EQ(moved.bottom, 400 - strip);
    EXPECT_EQ(moved.right, 300);
}

TEST_F(UcsChoiceTest, EveryChangeOfTheSearchTextSearches)
{
    HWND list = choice->list();
    type(L"attack");
    EXPECT_EQ(choice->shown(), (Ids{10, 15}));
    EXPECT_EQ(item_count(list), 2);
    // Rows come from the new list, not from what was cached for the old one.
    EXPECT_EQ(item_text(list, 1, 0), L"$15");
    EXPECT_EQ(item_text(list, 1, 1), L"Attack move");

    type(L"Attack the");
    EXPECT_EQ(choice->shown(), (Ids{10}));
    type(L"attack sell");
    EXPECT_TRUE(choice->shown().empty());
    EXPECT_EQ(item_count(list), 0);
    type(L"");
    EXPECT_EQ(choice->shown(), all);
    EXPECT_EQ(item_count(list), static_cast<int>(all.size()));
}

TEST_F(UcsChoiceTest, PreselectingAMissingIdentifierSelectsTheNextLargerShownOne)
{
    choice->preselect(u"$12");
    EXPECT_EQ(selected_item(choice->list()), index_of(all, 12));
    EXPECT_EQ(window_text(choice->search_box()), L"");

    // 17 lies in the gap 16..19, which the list shows by its first and last members.
    choice->preselect(u"$17");
    EXPECT_EQ(selected_item(choice->list()), index_of(all, 19));

    // Below every identifier: the first.
    choice->preselect(u"$005");
    EXPECT_EQ(selected_item(choice->list()), 0);

    // Over a search result, the next larger among what is shown.
    type(L"attack");
    choice->preselect(u"$11");
    EXPECT_EQ(selected_item(choice->list()), 1); // 15
}

TEST_F(UcsChoiceTest, PreselectingPastTheLastIdentifierChangesNothing)
{
    choice->preselect(u"$1050");
    const int selected = selected_item(choice->list());
    choice->preselect(u"$1100");
    choice->preselect(u"$2147483648");
    choice->preselect(u"$99999999999");
    choice->preselect(u"$4294967306"); // 10 if it wrapped at 32 bits
    EXPECT_EQ(selected_item(choice->list()), selected);
    EXPECT_EQ(window_text(choice->search_box()), L"");
    EXPECT_EQ(choice->shown(), all);
}

TEST_F(UcsChoiceTest, PreselectKeepsFourItemsAroundTheSelectionInView)
{
    HWND list = choice->list();
    const int per_page = static_cast<int>(SendMessageW(list, LVM_GETCOUNTPERPAGE, 0, 0));
    ASSERT_GE(per_page, 9);
    const int target = index_of(all, 1050);

    choice->preselect(u"$1050");
    pump_pending();
    EXPECT_EQ(selected_item(list), target);
    int top = static_cast<int>(SendMessageW(list, LVM_GETTOPINDEX, 0, 0));
    EXPECT_LE(top, target - 4);
    EXPECT_GE(top + per_page - 1, target + 4);

    // Scrolling back up: the four before come into view as well.
    choice->preselect(u"$1010");
    pump_pending();
    top = static_cast<int>(SendMessageW(list, LVM_GETTOPINDEX, 0, 0));
    const int upper = index_of(all, 1010);
    EXPECT_LE(top, upper - 4);
    EXPECT_GE(top + per_page - 1, upper + 4);

    // At the very end there are no four after; the last item is in view.
    choice->preselect(u"$1099");
    pump_pending();
    top = static_cast<int>(SendMessageW(list, LVM_GETTOPINDEX, 0, 0));
    EXPECT_GE(top + per_page - 1, item_count(list) - 1);
}

TEST_F(UcsChoiceTest, PreselectingFoundPlainTextFillsTheSearchBox)
{
    choice->preselect(u"the Base");
    EXPECT_EQ(window_text(choice->search_box()), L"the Base");
    EXPECT_EQ(choice->shown(), (Ids{10, 11}));
    EXPECT_EQ(item_count(choice->list()), 2);
}

TEST_F(UcsChoiceTest, PreselectingPlainTextNotFoundKeepsTheFullList)
{
    choice->preselect(u"nowhere to be found");
    EXPECT_EQ(window_text(choice->search_box()), L"");
    EXPECT_EQ(choice->shown(), all);
    EXPECT_EQ(selected_item(choice->list()), -1);
}

TEST_F(UcsChoiceTest, DollarDigitsAndALetterIsPlainText)
{
    choice->preselect(u"$12a");
    EXPECT_EQ(window_text(choice->search_box()), L"$12a");
    EXPECT_EQ(choice->shown(), (Ids{20}));
    EXPECT_EQ(selected_item(choice->list()), -1);
}

TEST_F(UcsChoiceTest, ClickingAnItemHandsItsReferenceToTheCallback)
{
    std::vector<std::u16string> picked;
    choice->set_pick_callback([&](const std::u16string& reference) { picked.push_back(reference); });
    type(L"attack");

    HWND list = choice->list();
    RECT item{};
    item.left = LVIR_BOUNDS;
    ASSERT_TRUE(SendMessageW(list, LVM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&item)));
    click(list, (item.left + item.right) / 2, (item.top + item.bottom) / 2);
    ASSERT_EQ(picked.size(), 1u);
    EXPECT_EQ(picked[0], u"$15");
}

TEST_F(UcsChoiceTest, ActivatingWithoutACallbackIsReportedAsAnError)
{
    ErrorBoxCapture capture;
    choice->preselect(u"$10");
    HWND list = choice->list();
    SetFocus(list);
    SendMessageW(list, WM_KEYDOWN, VK_RETURN, 0);
    pump_pending();
    ASSERT_EQ(capture.boxes.size(), 1u);
    EXPECT_EQ(capture.boxes[0].owner, choice->hwnd());
    EXPECT_EQ(capture.boxes[0].text, App::window_error_text(std::bad_function_call().what()));
    // The chooser goes on working.
    EXPECT_EQ(item_text(list, 0, 0), L"$10");
}

TEST_F(UcsChoiceTest, TheCallbackMayDestroyTheChooser)
{
    std::vector<std::u16string> picked;
    choice->set_pick_callback([&, hwnd = choice->hwnd()](const std::u16string& reference) {
        picked.push_back(reference);
        DestroyWindow(hwnd);
        picked.push_back(reference); // the argument outlives the window
    });
    choice->preselect(u"$11");
    HWND list = choice->list();
    SetFocus(list);
    SendMessageW(list, WM_KEYDOWN, VK_RETURN, 0);
    pump_pending();
    EXPECT_EQ(picked, (std::vector<std::u16string>{u"$11", u"$11"}));
    EXPECT_EQ(link.get(), nullptr);
}

TEST_F(UcsChoiceTest, ClickingIntoTheSearchBoxSelectsAllOfIt)
{
    HWND box = choice->search_box();
    type(L"attack the base");
    SetFocus(choice->list());
    pump_pending();

    RECT inside{};
    GetClientRect(box, &inside);
    click(box, inside.right / 2, inside.bottom / 2);
    ASSERT_EQ(GetFocus(), box);
    DWORD start = 0, end = 0;
    SendMessageW(box, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(start, 0u);
    EXPECT_EQ(end, 15u);

    // Typing now replaces the whole query.
    SendMessageW(box, WM_CHAR, L'x', 0);
    EXPECT_EQ(window_text(box), L"x");
}

TEST_F(UcsChoiceTest, DestroyingTheWindowDeletesTheChooser)
{
    EXPECT_NE(link.get(), nullptr);
    DestroyWindow(choice->hwnd());
    EXPECT_EQ(link.get(), nullptr);
    EXPECT_TRUE(IsWindow(host));
}
