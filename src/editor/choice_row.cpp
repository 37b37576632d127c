#include "editor/choice_row.h"

#include "app/win32_error.h"
#include "editor/window_text.h"

#include <uxtheme.h>

#include <algorithm>

namespace Editor {
namespace {

// Releases a window DC on every path out of the measuring code.
class WindowDc {
public:
    explicit WindowDc(HWND hwnd) : m_hwnd(hwnd), m_dc(GetDC(hwnd)) {}
    ~WindowDc()
    {
        if (m_dc)
            ReleaseDC(m_hwnd, m_dc);
    }
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    HDC get() const { return m_dc; }

private:
    HWND m_hwnd;
    HDC m_dc;
};

int widest_text(HWND list, HFONT font, const std::vector<std::u16string>& texts)
{
    WindowDc dc(list);
    if (!dc.get())
        return 0;
    HGDIOBJ previous = font ? SelectObject(dc.get(), font) : nullptr;
    int widest = 0;
    for (const std::u16string& text : texts) {
        SIZE size{};
        if (GetTextExtentPoint32W(dc.get(), wide(text), static_cast<int>(text.size()), &size))
            widest = std::max(widest, static_cast<int>(size.cx));
    }
    if (previous)
        SelectObject(dc.get(), previous);
    return widest;
}

} // namespace

int find_entry_ignoring_case(const std::vector<std::u16string>& entries, std::u16string_view text)
{
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const std::u16string& entry = entries[i];
        if (CompareStringOrdinal(reinterpret_cast<const wchar_t*>(entry.data()), static_cast<int>(entry.size()),
                                 reinterpret_cast<const wchar_t*>(text.data()), static_cast<int>(text.size()),
                                 TRUE) == CSTR_EQUAL)
            return static_cast<int>(i);
    }
    return -1;
}

int list_visible_rows(int entry_count, int tree_client_height, int entry_height)
{
    int limit = 8;
    if (entry_height > 0)
        limit = std::max(limit, tree_client_height / (2 * entry_height));
    return std::max(1, std::min(entry_count, limit));
}

ChoiceRow::ChoiceRow(std::vector<std::u16string> entries, int current, bool editable)
    : GridRow(RowButton::drop_down, editable)
{
    set_entries(std::move(entries), current);
}

void ChoiceRow::set_entries(std::vector<std::u16string> entries, int current)
{
    m_entries = std::move(entries);
    m_current = current >= 0 && current < static_cast<int>(m_entries.size()) ? current : -1;
    if (m_current >= 0)
        m_value_text = m_entries[m_current];
}

void ChoiceRow::advance()
{
    const int count = static_cast<int>(m_entries.size());
    if (count < 2)
        return;
    commit_entry(m_current < 0 ? 0 : (m_current + 1) % count);
}

void ChoiceRow::commit(const std::u16string& text)
{
    const int index = find_entry_ignoring_case(m_entries, text);
    if (index >= 0) {
        commit_entry(index);
        return;
    }
    m_current = -1;
    m_value_text = text;
}

void ChoiceRow::commit_entry(int index)
{
    if (index < 0 || index >= static_cast<int>(m_entries.size()))
        return;
    m_current = index;
    m_value_text = m_entries[index];
    // Before on_chosen, which may end up rebuilding the grid without this row.
    repaint();
    on_chosen(index);
}

HWND ChoiceRow::open_popup(HWND tree)
{
    fill_entries();

    constexpr DWORD style = WS_POPUP | WS_VSCROLL | LBS_NOTIFY | LBS_HASSTRINGS;
    constexpr DWORD ex_style = WS_EX_TOPMOST | WS_EX_CLIENTEDGE;
    // Owned through the tree's top-level window, which therefore gets the list's
    // notifications; the grid listens there while the list is open.
    HWND list = CreateWindowExW(ex_style, L"ListBox", L"", style, 0, 0, 0, 0, tree, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
    if (!list)
        App::throw_last_error("CreateWindowEx");
    try {
        SetWindowTheme(list, L"explorer", nullptr);
        HFONT font = reinterpret_cast<HFONT>(SendMessageW(tree, WM_GETFONT, 0, 0));
        SendMessageW(list, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        for (const std::u16string& entry : m_entries)
            SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide(entry)));
        SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(m_current), 0);

        const int count = static_cast<int>(m_entries.size());
        const int entry_height = static_cast<int>(SendMessageW(list, LB_GETITEMHEIGHT, 0, 0));
        RECT tree_client{};
        GetClientRect(tree, &tree_client);
        const int rows = list_visible_rows(count, tree_client.bottom, entry_height);
        // The list's own width fits its widest entry (and the scroll bar when not every
        // entry shows); the grid widens it to the row.
        RECT frame{0, 0, widest_text(list, font, m_entries) + 2 * GetSystemMetrics(SM_CXEDGE), rows * entry_height};
        if (rows < count)
            frame.right += GetSystemMetrics(SM_CXVSCROLL);
        AdjustWindowRectEx(&frame, style, FALSE, ex_style);
        SetWindowPos(list, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    } catch (...) {
        DestroyWindow(list);
        throw;
    }
    return list;
}

} // namespace Editor
