#include "editor/ucs_choice.h"

#include "app/win32_error.h"
#include "editor/window_text.h"
#include "mod/loaded_mod.h"

#include <windows.h>
#include <commctrl.h>
#include <uxtheme.h>

#include <algorithm>
#include <climits>
#include <optional>
#include <string_view>
#include <utility>

namespace Editor {
namespace {

constexpr wchar_t class_name[] = L"UcsChoice";
constexpr int code_column_width = 80;
// The list keeps the selected item and its neighbours this far in view.
constexpr int preselect_margin = 4;

int item_count(const std::vector<std::int32_t>& ids)
{
    return static_cast<int>(std::min<std::size_t>(ids.size(), INT_MAX));
}

HWND create_child(DWORD ex_style, const wchar_t* window_class, DWORD style, HWND parent, int id)
{
    HWND child = CreateWindowExW(ex_style, window_class, L"", style | WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, parent,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
    if (!child)
        App::throw_last_error("CreateWindowEx");
    return child;
}

} // namespace

UcsChoice::UcsChoice(const Mod::LoadedMod& mod)
    : m_mod(mod), m_cache([&mod](std::string_view reference) { return mod.resolve_text(reference); })
{
}

UcsChoice::~UcsChoice()
{
    // The children that used the font are gone by now (after WM_NCDESTROY).
    if (m_font)
        DeleteObject(m_font);
}

UcsChoice* UcsChoice::create(HWND parent, const Mod::LoadedMod& mod, int x, int y, int width, int height)
{
    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof(controls);
    controls.dwICC = ICC_LISTVIEW_CLASSES;
    InitCommonControlsEx(&controls);

    auto* choice = new UcsChoice(mod);
    try {
        choice->NativeWindow::create(width, 0, L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, x, y,
                                     height, parent);
    } catch (...) {
        delete choice;
        throw;
    }
    // From here on the window procedure deletes the object after the last message.
    try {
        choice->create_children();
        choice->all_identifiers();
        choice->layout();
        choice->search();
    } catch (...) {
        DestroyWindow(choice->m_hwnd);
        throw;
    }
    return choice;
}

void UcsChoice::describe_class(WNDCLASSEXW& description)
{
    description.style = 0;
    description.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    description.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_WINDOW + 1));
    description.lpszClassName = class_name;
}

const std::vector<std::int32_t>& UcsChoice::shown() const
{
    return m_found;
}

void UcsChoice::create_children()
{
    // One font for both children, so that the search box's height follows the list's
    // text; the Edit's own default is the old bold system font.
    LOGFONTW description{};
    if (SystemParametersInfoW(SPI_GETICONTITLELOGFONT, sizeof(description), &description, 0))
        m_font = CreateFontIndirectW(&description);
    HFONT font = m_font ? m_font : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));

    m_list = create_child(WS_EX_STATICEDGE, WC_LISTVIEWW,
                          WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_OWNERDATA |
                              LVS_NOSORTHEADER,
                          m_hwnd, 1);
    // Only looks: an unthemed list works the same.
    SetWindowTheme(m_list, L"explorer", nullptr);
    const DWORD extended = LVS_EX_FULLROWSELECT | LVS_EX_ONECLICKACTIVATE | LVS_EX_DOUBLEBUFFER;
    SendMessageW(m_list, LVM_SETEXTENDEDLISTVIEWSTYLE, extended, extended);
    SendMessageW(m_list, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);

    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    column.pszText = const_cast<wchar_t*>(L"Code");
    column.cx = code_column_width;
    column.iSubItem = 0;
    SendMessageW(m_list, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&column));
    column.pszText = const_cast<wchar_t*>(L"String");
    column.cx = code_column_width; // made to fill the rest by layout()
    column.iSubItem = 1;
    SendMessageW(m_list, LVM_INSERTCOLUMNW, 1, reinterpret_cast<LPARAM>(&column));

    m_search_box = create_child(WS_EX_CLIENTEDGE, L"Edit", WS_TABSTOP | ES_AUTOHSCROLL, m_hwnd, 2);
    SendMessageW(m_search_box, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    SendMessageW(m_search_box, EM_SETCUEBANNER, TRUE, reinterpret_cast<LPARAM>(L"Search"));

    TEXTMETRICW metrics{};
    HDC dc = GetDC(m_list);
    if (!dc)
        App::throw_last_error("GetDC");
    HGDIOBJ previous = SelectObject(dc, font);
    BOOL measured = GetTextMetricsW(dc, &metrics);
    SelectObject(dc, previous);
    ReleaseDC(m_list, dc);
    if (!measured)
        App::throw_last_error("GetTextMetrics");
    m_search_height = metrics.tmHeight * 14 / 8;
}

void UcsChoice::all_identifiers()
{
    m_all = m_mod.id_layout(m_mod.min_id(), m_mod.max_id());
}

void UcsChoice::layout()
{
    // WM_SIZE of the creation itself comes before there are children.
    if (!m_list || !m_search_box)
        return;
    RECT client{};
    GetClientRect(m_hwnd, &client);
    const int width = client.right;
    const int height = client.bottom;
    const UINT flags = SWP_NOZORDER | SWP_NOACTIVATE;
    SetWindowPos(m_list, nullptr, 0, 0, width, std::max(0, height - m_search_height), flags);
    SetWindowPos(m_search_box, nullptr, 0, height - m_search_height, width, m_search_height, flags);
    ListView_SetColumnWidth(m_list, 1, LVSCW_AUTOSIZE_USEHEADER);
}

void UcsChoice::search()
{
    show(m_mod.search_ids(window_text(m_search_box), m_all));
}

void UcsChoice::show(std::vector<std::int32_t> ids, LPARAM count_flags)
{
    m_found = std::move(ids);
    m_cache.clear();
    SendMessageW(m_list, LVM_SETITEMCOUNT, static_cast<WPARAM>(item_count(m_found)), count_flags);
}

void UcsChoice::texts_changed()
{
    std::optional<std::int32_t> selected;
    const int index = static_cast<int>(SendMessageW(m_list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
    if (index >= 0 && static_cast<std::size_t>(index) < m_found.size())
        selected = m_found[static_cast<std::size_t>(index)];
    // The list keeps its selection by index, which may now be another identifier.
    LVITEMW state{};
    state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageW(m_list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&state));
    all_identifiers();
    show(m_mod.search_ids(window_text(m_search_box), m_all), LVSICF_NOSCROLL);
    if (selected) {
        const std::size_t at = first_not_less(m_found, *selected);
        if (at < m_found.size() && m_found[at] == *selected && at <= static_cast<std::size_t>(INT_MAX)) {
            state.state = LVIS_SELECTED | LVIS_FOCUSED;
            SendMessageW(m_list, LVM_SETITEMSTATE, static_cast<WPARAM>(at), reinterpret_cast<LPARAM>(&state));
        }
    }
    // The rows in view keep their number but not their texts.
    InvalidateRect(m_list, nullptr, TRUE);
}

void UcsChoice::preselect(const std::u16string& text)
{
    if (std::optional<std::int64_t> number = parse_reference(text)) {
        const std::size_t index = first_not_less(m_found, *number);
        if (index >= m_found.size() || index > static_cast<std::size_t>(INT_MAX))
            return;
        const int item = static_cast<int>(index);
        LVITEMW state{};
        state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
        state.state = LVIS_SELECTED | LVIS_FOCUSED;
        SendMessageW(m_list, LVM_SETITEMSTATE, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&state));
        // Neighbours first, the item last: it ends up in view with some context around
        // it instead of at the very edge.
        const int last = item_count(m_found) - 1;
        SendMessageW(m_list, LVM_ENSUREVISIBLE, static_cast<WPARAM>(std::max(0, item - preselect_margin)), FALSE);
        SendMessageW(m_list, LVM_ENSUREVISIBLE, static_cast<WPARAM>(std::min(last, item + preselect_margin)), FALSE);
        SendMessageW(m_list, LVM_ENSUREVISIBLE, static_cast<WPARAM>(item), FALSE);
        return;
    }
    std::vector<std::int32_t> found = m_mod.search_ids(text, m_all);
    if (found.empty())
        return;
    show(std::move(found));
    // Searches again through EN_CHANGE, with the same result.
    SetWindowTextW(m_search_box, wide(text));
}

LRESULT UcsChoice::handle_message(UINT message, WPARAM wparam, LPARAM lparam)
{
    switch (message) {
    case WM_SIZE:
        layout();
        return 0;
    case WM_COMMAND:
        if (m_search_box && reinterpret_cast<HWND>(lparam) == m_search_box) {
            switch (HIWORD(wparam)) {
            case EN_CHANGE:
                search();
                return 0;
            case EN_SETFOCUS:
                // Posted: a click into the box places the caret after gaining focus,
                // which would undo a selection made now.
                PostMessageW(m_search_box, EM_SETSEL, 0, -1);
                return 0;
            }
        }
        break;
    case WM_NOTIFY: {
        auto* header = reinterpret_cast<NMHDR*>(lparam);
        if (m_list && header->hwndFrom == m_list)
            return on_list_notify(header);
        break;
    }
    }
    return DefWindowProcW(m_hwnd, message, wparam, lparam);
}

LRESULT UcsChoice::on_list_notify(NMHDR* header)
{
    switch (header->code) {
    case LVN_GETDISPINFOW:
        answer_display_request(header);
        return 0;
    case LVN_ODCACHEHINT: {
        auto* hint = reinterpret_cast<NMLVCACHEHINT*>(header);
        if (hint->iFrom >= 0 && hint->iTo >= hint->iFrom)
            m_cache.fill(m_found, static_cast<std::size_t>(hint->iFrom), static_cast<std::size_t>(hint->iTo));
        return 0;
    }
    case LVN_ODFINDITEMW:
        // Typing into the list would otherwise "find" item 0 (the default answer).
        return -1;
    case LVN_ITEMACTIVATE:
        activate();
        return 0;
    }
    return DefWindowProcW(m_hwnd, WM_NOTIFY, static_cast<WPARAM>(header->idFrom), reinterpret_cast<LPARAM>(header));
}

void UcsChoice::answer_display_request(NMHDR* header)
{
    LVITEMW& item = reinterpret_cast<NMLVDISPINFOW*>(header)->item;
    if (!(item.mask & LVIF_TEXT) || !item.pszText || item.cchTextMax <= 0)
        return;
    item.pszText[0] = L'\0';
    if (item.iItem < 0)
        return;
    const UcsRowCache::Row* row = m_cache.row(m_found, static_cast<std::size_t>(item.iItem));
    if (!row)
        return;
    const std::u16string& text = item.iSubItem == 0 ? row->reference : row->text;
    const std::size_t length = std::min(text.size(), static_cast<std::size_t>(item.cchTextMax) - 1);
    std::copy_n(text.data(), length, item.pszText);
    item.pszText[length] = L'\0';
}

void UcsChoice::activate()
{
    // The activated item is the selected one (the list has single selection, and a
    // click selects before it activates). NMITEMACTIVATE::iItem is not used: for the
    // Enter key Wine sends a bare NMHDR, so there is nothing behind the header to read.
    int index = static_cast<int>(SendMessageW(m_list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
    if (index < 0)
        index = static_cast<int>(SendMessageW(m_list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
    if (index < 0)
        return;
    const UcsRowCache::Row* row = m_cache.row(m_found, static_cast<std::size_t>(index));
    if (!row)
        return;
    // Copies: the callback may well destroy this window, and with it the cache and the
    // function object being called. An empty callback throws std::bad_function_call.
    const std::u16string reference = row->reference;
    const PickCallback pick = m_pick;
    pick(reference);
}

} // namespace Editor
