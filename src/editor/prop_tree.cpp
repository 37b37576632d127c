#include "editor/prop_tree.h"

#include "app/error_report.h"
#include "app/win32_error.h"
#include "editor/choice_row.h"
#include "editor/window_text.h"
#include "screen/edit_history.h"

#include <commctrl.h>
#include <vssym32.h>
#include <windowsx.h>

#include <algorithm>
#include <exception>
#include <stdexcept>

namespace Editor {
namespace {

constexpr UINT_PTR tree_subclass_id = 1;
constexpr UINT_PTR editor_subclass_id = 2;
constexpr int tree_control_id = 1;
constexpr int editor_control_id = 2;

// Runs from the message loop's alertable wait, outside any message of the editor.
void CALLBACK destroy_later(ULONG_PTR parameter)
{
    HWND hwnd = reinterpret_cast<HWND>(parameter);
    if (IsWindow(hwnd))
        DestroyWindow(hwnd);
}

COLORREF system_colour(HTHEME theme, int index)
{
    return theme ? GetThemeSysColor(theme, index) : GetSysColor(index);
}

void fill(HDC dc, const RECT& rect, COLORREF colour)
{
    const COLORREF previous = SetDCBrushColor(dc, colour);
    FillRect(dc, &rect, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
    SetDCBrushColor(dc, previous);
}

// Holds a flag up for as long as it lives, on every way out.
class RaisedFlag {
public:
    explicit RaisedFlag(bool& flag) : m_flag(flag) { m_flag = true; }
    ~RaisedFlag() { m_flag = false; }
    RaisedFlag(const RaisedFlag&) = delete;
    RaisedFlag& operator=(const RaisedFlag&) = delete;

private:
    bool& m_flag;
};

// Keeps a DC's objects and colours as they were for the tree, which goes on drawing
// with it after each notification.
class SavedDc {
public:
    explicit SavedDc(HDC dc) : m_dc(dc), m_saved(SaveDC(dc)) {}
    ~SavedDc()
    {
        if (m_saved)
            RestoreDC(m_dc, m_saved);
    }
    SavedDc(const SavedDc&) = delete;
    SavedDc& operator=(const SavedDc&) = delete;

private:
    HDC m_dc;
    int m_saved;
};

} // namespace

GridZone grid_zone(int x, int client_width, int name_width, int button_width, bool row_has_button)
{
    if (x >= name_width && x < name_width + PropTree::splitter_width)
        return GridZone::splitter;
    if (x < name_width)
        return GridZone::name;
    if (row_has_button && x >= client_width - button_width)
        return GridZone::button;
    return GridZone::value;
}

int clamp_name_width(int pointer_x, int client_width, int indent)
{
    const int least = PropTree::splitter_width + indent;
    int width = pointer_x - PropTree::splitter_width / 2;
    width = std::min(width, client_width - least);
    return std::max(width, least);
}

int odd_button_width(int item_height)
{
    return item_height % 2 == 0 ? item_height - 1 : item_height;
}

std::array<POINT, 3> triangle_points(const RECT& button, RowButton kind)
{
    const int width = button.right - button.left;
    const int height = button.bottom - button.top;
    const int side = std::max(1, std::min(width / 5, height / 3));
    const int cx = button.left + width / 2;
    const int cy = button.top + height / 2;
    if (kind == RowButton::side_panel) {
        const int x = cx - side / 2;
        return {POINT{x, cy - side}, POINT{x, cy + side}, POINT{x + side, cy}};
    }
    const int y = cy - side / 2;
    return {POINT{cx - side, y}, POINT{cx + side, y}, POINT{cx, y + side}};
}

RECT popup_rectangle(const RECT& row, int name_width, SIZE popup, const RECT& area)
{
    const int left = row.left + name_width + PropTree::splitter_width / 2;
    const int top = row.top - 1;
    const int width = std::max(static_cast<int>(popup.cx), static_cast<int>(row.right) - left);
    RECT rect{left, top, left + width, top + popup.cy};
    if (rect.right > area.right)
        OffsetRect(&rect, area.right - rect.right, 0);
    if (rect.left < area.left)
        OffsetRect(&rect, area.left - rect.left, 0);
    if (rect.bottom > area.bottom)
        OffsetRect(&rect, 0, area.bottom - rect.bottom);
    if (rect.top < area.top)
        OffsetRect(&rect, 0, area.top - rect.top);
    return rect;
}

COLORREF PropTree::header_text_colour(COLORREF face, COLORREF text)
{
    // In whole hundredths, so that halves round up exactly.
    auto mix = [](int f, int t, int face_percent) { return (face_percent * f + (100 - face_percent) * t + 50) / 100; };
    return RGB(mix(GetRValue(face), GetRValue(text), 70), mix(GetGValue(face), GetGValue(text), 75),
               mix(GetBValue(face), GetBValue(text), 80));
}

void PropTree::Theme::open(HWND hwnd, const wchar_t* class_list)
{
    reset();
    // Null without visual styles; drawing then falls back to the classic controls.
    m_theme = OpenThemeData(hwnd, class_list);
}

void PropTree::Theme::reset()
{
    if (m_theme)
        CloseThemeData(m_theme);
    m_theme = nullptr;
}

PropTree* PropTree::create(HWND parent, int x, int y, int width, int height)
{
    std::unique_ptr<PropTree> grid(new PropTree());
    grid->NativeWindow::create(width, 0, L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, x, y, height, parent);
    grid->create_tree(width, height);
    return grid.release();
}

PropTree::~PropTree()
{
    // Only when deleted with its window still alive: the subclass procedures must not
    // reach a destroyed object.
    stop_listening_to_owner();
    if (m_tree)
        RemoveWindowSubclass(m_tree, tree_procedure, tree_subclass_id);
}

void PropTree::describe_class(WNDCLASSEXW& description)
{
    description.style = 0;
    description.lpszClassName = L"PropTree";
    description.hCursor = LoadCursorW(nullptr, IDC_ARROW);
}

void PropTree::create_tree(int width, int height)
{
    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof(controls);
    controls.dwICC = ICC_TREEVIEW_CLASSES | ICC_STANDARD_CLASSES;
    InitCommonControlsEx(&controls);

    // The tree never scrolls sideways (the value column is pinned to its right edge),
    // and clicks on rows are the grid's own, so no dragging and no label tool tips.
    constexpr DWORD style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_CLIPCHILDREN | TVS_HASBUTTONS |
                            TVS_SHOWSELALWAYS | TVS_NOHSCROLL | TVS_DISABLEDRAGDROP | TVS_NOTOOLTIPS;
    m_tree = CreateWindowExW(0, WC_TREEVIEWW, L"", style, 0, 0, width, height, m_hwnd,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(tree_control_id)), GetModuleHandleW(nullptr),
                             nullptr);
    if (!m_tree)
        App::throw_last_error("CreateWindowEx");
    SetWindowTheme(m_tree, L"explorer", nullptr);
    load_theme();
    update_metrics();
    m_width = width;
    m_height = height;
    if (!SetWindowSubclass(m_tree, tree_procedure, tree_subclass_id, reinterpret_cast<DWORD_PTR>(this)))
        App::throw_last_error("SetWindowSubclass");
}

void PropTree::load_theme()
{
    m_tree_theme.open(m_tree, L"TreeView");
    m_button_theme.open(m_tree, L"Button");
    m_window_theme.open(m_tree, L"Window");
    HTHEME theme = m_tree_theme.get();
    m_colours.window = system_colour(theme, COLOR_WINDOW);
    m_colours.window_text = system_colour(theme, COLOR_WINDOWTEXT);
    m_colours.face = system_colour(theme, COLOR_BTNFACE);
    m_colours.face_text = system_colour(theme, COLOR_BTNTEXT);
    m_colours.highlight = system_colour(theme, COLOR_HIGHLIGHT);
    m_colours.highlight_text = system_colour(theme, COLOR_HIGHLIGHTTEXT);
    m_colours.gray_text = system_colour(theme, COLOR_GRAYTEXT);
    m_colours.header_text = header_text_colour(m_colours.face, m_colours.face_text);
}

void PropTree::update_metrics()
{
    m_font = reinterpret_cast<HFONT>(SendMessageW(m_tree, WM_GETFONT, 0, 0));
    if (!m_font)
        m_font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    m_button_width = odd_button_width(TreeView_GetItemHeight(m_tree));
    m_indent = static_cast<int>(TreeView_GetIndent(m_tree));
    m_text_height = 0;
    if (HDC dc = GetDC(m_tree)) {
        HGDIOBJ previous = SelectObject(dc, m_font);
        TEXTMETRICW metrics{};
        if (GetTextMetricsW(dc, &metrics))
            m_text_height = metrics.tmHeight;
        SelectObject(dc, previous);
        ReleaseDC(m_tree, dc);
    }
}

// ---- Rows -------------------------------------------------------------------------

HTREEITEM PropTree::insert_row(HTREEITEM parent, const std::u16string& name, std::unique_ptr<GridRow> row)
{
    if (!row)
        row = std::make_unique<GridRow>();
    GridRow* added = row.get();
    m_rows.push_back(std::move(row));

    TVINSERTSTRUCTW insert{};
    insert.hParent = parent ? parent : TVI_ROOT;
    insert.hInsertAfter = TVI_FIRST;
    insert.item.mask = TVIF_TEXT | TVIF_PARAM;
    insert.item.pszText = const_cast<wchar_t*>(wide(name));
    insert.item.lParam = reinterpret_cast<LPARAM>(added);
    HTREEITEM item = TreeView_InsertItem(m_tree, &insert);
    if (!item) {
        m_rows.pop_back();
        throw std::runtime_error("Cannot insert a row into the property grid");
    }
    added->attach(m_tree, item);
    m_index.insert_or_assign(name, added);
    return item;
}

HTREEITEM PropTree::insert_group(const std::u16string& name)
{
    HTREEITEM item = insert_row(TVI_ROOT, name, std::make_unique<GridRow>());
    TreeView_SetItemState(m_tree, item, TVIS_BOLD, TVIS_BOLD);
    return item;
}

void PropTree::expand(HTREEITEM item, bool expanded)
{
    TreeView_Expand(m_tree, item, expanded ? TVE_EXPAND : TVE_COLLAPSE);
    place_editor();
}

GridRow* PropTree::row(std::u16string_view name) const
{
    auto found = m_index.find(name);
    return found == m_index.end() ? nullptr : found->second;
}

GridRow* PropTree::row_of(HTREEITEM item) const
{
    if (!item || !m_tree)
        return nullptr;
    TVITEMW data{};
    data.mask = TVIF_PARAM | TVIF_HANDLE;
    data.hItem = item;
    if (!TreeView_GetItem(m_tree, &data))
        return nullptr;
    return reinterpret_cast<GridRow*>(data.lParam);
}

void PropTree::set_name_column_width(int width)
{
    const int client_width = tree_client_width();
    m_name_width = client_width > 0 ? clamp_name_width(width + splitter_width / 2, client_width, m_indent)
                                    : std::max(width, splitter_width + m_indent);
    close_editor();
    if (m_tree)
        InvalidateRect(m_tree, nullptr, TRUE);
}

void PropTree::refresh_rows()
{
    for (const std::unique_ptr<GridRow>& row : m_rows)
        row->refresh();
    // An open edit shows a value that changed elsewhere (an undo, say), and Escape then
    // goes back to that; while the edit's own text goes to its row, it is left alone.
    if (m_editor && !m_editor_is_popup && m_active_row && !m_committing) {
        const std::u16string& value = m_active_row->value_text();
        if (window_text(m_editor) != value) {
            {
                const RaisedFlag setting(m_setting_text);
                SetWindowTextW(m_editor, wide(value));
            }
            SendMessageW(m_editor, EM_SETSEL, value.size(), value.size());
        }
        m_editor_original = value;
    }
    if (m_tree)
        InvalidateRect(m_tree, nullptr, TRUE);
}

HTREEITEM PropTree::next_editable_row(HTREEITEM item, bool forward) const
{
    if (!item)
        return nullptr;
    const UINT step = forward ? TVGN_NEXTVISIBLE : TVGN_PREVIOUSVISIBLE;
    HTREEITEM end = forward ? TreeView_GetRoot(m_tree) : TreeView_GetLastVisible(m_tree);
    HTREEITEM candidate = item;
    for (;;) {
        HTREEITEM next = TreeView_GetNextItem(m_tree, candidate, step);
        candidate = next ? next : end;
        if (!candidate || candidate == item)
            return nullptr;
        const GridRow* row = row_of(candidate);
        if (row && row->editable() && !row->read_only())
            return candidate;
    }
}

void PropTree::clear()
{
    close_editor();
    m_hot_item = nullptr;
    m_pressed_item = nullptr;
    m_dismissed_row = nullptr;
    if (m_tree) {
        // Deleting the selected item moves the selection to rows that are going too.
        const RaisedFlag clearing(m_clearing);
        TreeView_DeleteAllItems(m_tree);
    }
    m_index.clear();
    m_rows.clear();
}

// ---- Editors ----------------------------------------------------------------------

void PropTree::close_editor()
{
    HWND editor = m_editor;
    GridRow* row = m_active_row;
    const bool popup = m_editor_is_popup;
    // Forgotten first: hiding moves the focus, whose notifications come back here.
    m_editor = nullptr;
    m_active_row = nullptr;
    m_editor_is_popup = false;
    stop_listening_to_owner();
    if (!editor)
        return;
    ShowWindow(editor, SW_HIDE);
    // Destroyed later, from the message loop: this often runs inside the editor's own
    // message (an edit losing the focus, a list whose selection changed), and a window
    // must not be destroyed while it is still handling one.
    if (!QueueUserAPC(destroy_later, GetCurrentThread(), reinterpret_cast<ULONG_PTR>(editor)))
        App::throw_last_error("QueueUserAPC");
    // The value text is drawn again where the edit was.
    if (row && !popup)
        row->repaint();
}

void PropTree::finish_editor()
{
    GridRow* row = m_editor && !m_editor_is_popup ? m_active_row : nullptr;
    std::u16string text;
    if (row)
        text = window_text(m_editor);
    const bool pending = row && !row->commits_live() && text != m_editor_original;
    close_editor();
    // After closing: the commit tells the rows, and the edit is no longer theirs to follow.
    if (pending)
        row->commit(text);
}

void PropTree::cancel_editor()
{
    GridRow* row = m_editor && !m_editor_is_popup ? m_active_row : nullptr;
    const std::u16string typed = row ? window_text(m_editor) : std::u16string();
    const std::u16string original = m_editor_original;
    const std::uint64_t run = m_edit_run;
    close_editor();
    if (!row || !row->commits_live() || typed == original)
        return;
    // The step of the keystrokes goes, putting back the very values they replaced; where
    // there is none to take (the grid on its own), the old text is committed again.
    if (m_revert_handler && m_revert_handler(run))
        return;
    const Screen::EditRun edits(run);
    row->commit(original);
}

bool PropTree::editor_rectangle(HTREEITEM item, const GridRow& row, RECT& rectangle) const
{
    RECT line{};
    if (!item || !TreeView_GetItemRect(m_tree, item, &line, FALSE))
        return false;
    const int left = m_name_width + splitter_width;
    const int right = line.right - (row.button() != RowButton::none ? m_button_width : 0);
    const int top = line.top + (line.bottom - line.top - m_text_height) / 2;
    rectangle = RECT{left, top, std::max(left, right), top + m_text_height};
    return true;
}

void PropTree::open_text_editor(GridRow* row, HTREEITEM item)
{
    close_editor();
    TreeView_EnsureVisible(m_tree, item);
    RECT rect{};
    if (!editor_rectangle(item, *row, rect))
        return;
    HWND edit = CreateWindowExW(0, L"Edit", wide(row->value_text()), WS_CHILD | ES_LEFT | ES_AUTOHSCROLL, rect.left,
                                rect.top, rect.right - rect.left, rect.bottom - rect.top, m_tree,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(editor_control_id)),
                                GetModuleHandleW(nullptr), nullptr);
    if (!edit)
        App::throw_last_error("CreateWindowEx");
    SetWindowTheme(edit, L"explorer", nullptr);
    if (!SetWindowSubclass(edit, editor_procedure, editor_subclass_id, reinterpret_cast<DWORD_PTR>(this))) {
        DestroyWindow(edit);
        App::throw_last_error("SetWindowSubclass");
    }
    SendMessageW(edit, WM_SETFONT, reinterpret_cast<WPARAM>(m_font), FALSE);
    // Its text starts exactly where the drawn value text does.
    SendMessageW(edit, EM_SETMARGINS, EC_LEFTMARGIN, MAKELPARAM(0, 0));
    m_editor = edit;
    m_active_row = row;
    m_editor_is_popup = false;
    m_edit_run = Screen::EditRun::next_id();
    m_editor_original = row->value_text();
    ShowWindow(edit, SW_SHOWNA);
}

void PropTree::place_editor()
{
    if (!m_editor || m_editor_is_popup || !m_active_row)
        return;
    RECT rect{};
    if (!editor_rectangle(m_active_row->item(), *m_active_row, rect)) {
        close_editor();
        return;
    }
    SetWindowPos(m_editor, nullptr, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

void PropTree::open_popup_of(GridRow* row, HTREEITEM item)
{
    HWND window = row->open_popup(m_tree);
    if (!window)
        return;
    // Also for a docked window: an edit left open would show the row's old text after
    // the side window commits to it.
    close_editor();
    // A child is a side window docked by its host, which places it.
    if (GetWindowLongPtrW(window, GWL_STYLE) & WS_CHILD)
        return;
    m_editor = window;
    m_active_row = row;
    m_editor_is_popup = true;
    listen_to_owner(GetWindow(window, GW_OWNER));
    place_popup(window, item);
    ShowWindow(window, SW_SHOW);
    SetFocus(window);
}

void PropTree::place_popup(HWND popup, HTREEITEM item) const
{
    RECT line{};
    if (!TreeView_GetItemRect(m_tree, item, &line, FALSE))
        return;
    MapWindowPoints(m_tree, nullptr, reinterpret_cast<POINT*>(&line), 2);
    RECT own{};
    GetWindowRect(popup, &own);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    RECT area = line;
    if (GetMonitorInfoW(MonitorFromRect(&line, MONITOR_DEFAULTTONEAREST), &monitor))
        area = monitor.rcWork;
    const RECT rect = popup_rectangle(line, m_name_width, SIZE{own.right - own.left, own.bottom - own.top}, area);
    SetWindowPos(popup, HWND_TOPMOST, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                 SWP_NOACTIVATE);
}

void PropTree::on_selection_changed(HTREEITEM item)
{
    if (m_clearing)
        return;
    finish_editor();
    GridRow* row = row_of(item);
    if (row && row->editable())
        open_text_editor(row, item);
}

void PropTree::on_editor_command(WPARAM wparam)
{
    switch (HIWORD(wparam)) {
    case EN_CHANGE:
        if (m_active_row && m_active_row->commits_live() && !m_setting_text) {
            const Screen::EditRun run(m_edit_run);
            const RaisedFlag committing(m_committing);
            m_active_row->commit(window_text(m_editor));
        }
        break;
    case EN_KILLFOCUS:
        finish_editor();
        break;
    }
}

void PropTree::on_editor_key(WPARAM key)
{
    HTREEITEM item = m_active_row ? m_active_row->item() : nullptr;
    if (key == VK_ESCAPE)
        cancel_editor();
    else
        finish_editor();
    if (m_tree)
        SetFocus(m_tree);
    if (key != VK_TAB || !m_tree)
        return;
    // The row may have gone with the commit (a grid rebuilt): then the tab goes nowhere.
    if (!item || !row_of(item))
        return;
    if (HTREEITEM next = next_editable_row(item, GetKeyState(VK_SHIFT) >= 0)) {
        TreeView_SelectItem(m_tree, next);
        if (m_editor && !m_editor_is_popup) {
            SetFocus(m_editor);
            SendMessageW(m_editor, EM_SETSEL, 0, -1);
        }
    }
}

void PropTree::on_popup_command(WPARAM wparam)
{
    switch (HIWORD(wparam)) {
    case LBN_SELCHANGE: {
        HWND list = m_editor;
        GridRow* row = m_active_row;
        const int index = static_cast<int>(SendMessageW(list, LB_GETCURSEL, 0, 0));
        std::u16string text;
        if (index >= 0) {
            const LRESULT length = SendMessageW(list, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
            text.resize(static_cast<std::size_t>(std::max<LRESULT>(length, 0)) + 1);
            const LRESULT copied = SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(index),
                                                reinterpret_cast<LPARAM>(text.data()));
            text.resize(static_cast<std::size_t>(std::max<LRESULT>(copied, 0)));
        }
        // Closed before the commit, so that a failing commit leaves no list behind.
        close_editor();
        SetFocus(m_tree);
        // The tree is repainted first: a commit may rebuild the grid and delete the row.
        InvalidateRect(m_tree, nullptr, TRUE);
        if (auto* choice = dynamic_cast<ChoiceRow*>(row))
            choice->commit_entry(index);
        else if (row && index >= 0)
            row->commit(text);
        break;
    }
    case LBN_KILLFOCUS: {
        GridRow* row = m_active_row;
        close_editor();
        // The focus left for a press on this row's own button: that press only closes
        // the list (the system takes the focus before the tree sees the press).
        POINT pointer{};
        if (row && GetAsyncKeyState(VK_LBUTTON) < 0 && GetCursorPos(&pointer) && ScreenToClient(m_tree, &pointer) &&
            row_of(item_at(pointer.x, pointer.y)) == row &&
            grid_zone(pointer.x, tree_client_width(), m_name_width, m_button_width, true) == GridZone::button)
            m_dismissed_row = row;
        break;
    }
    }
}

void PropTree::listen_to_owner(HWND owner)
{
    stop_listening_to_owner();
    if (!owner)
        return;
    if (!SetWindowSubclass(owner, owner_procedure, reinterpret_cast<UINT_PTR>(this), reinterpret_cast<DWORD_PTR>(this)))
        App::throw_last_error("SetWindowSubclass");
    m_owner = owner;
}

void PropTree::stop_listening_to_owner()
{
    if (!m_owner)
        return;
    RemoveWindowSubclass(m_owner, owner_procedure, reinterpret_cast<UINT_PTR>(this));
    m_owner = nullptr;
}

// ---- Messages ---------------------------------------------------------------------

LRESULT PropTree::handle_message(UINT message, WPARAM wparam, LPARAM lparam)
{
    switch (message) {
    case WM_NOTIFY: {
        const auto* header = reinterpret_cast<const NMHDR*>(lparam);
        if (m_tree && header->hwndFrom == m_tree)
            return on_notify(*header);
        break;
    }
    case WM_SIZE: {
        const int width = LOWORD(lparam);
        const int height = HIWORD(lparam);
        if (m_tree && (width != m_width || height != m_height)) {
            close_editor();
            const int old_width = m_width;
            MoveWindow(m_tree, 0, 0, width, height, TRUE);
            invalidate_button_strip(old_width);
            invalidate_button_strip(tree_client_width());
        }
        m_width = width;
        m_height = height;
        return 0;
    }
    case WM_SETFOCUS:
        if (m_tree)
            SetFocus(m_tree);
        return 0;
    case WM_SETFONT:
        if (m_tree) {
            close_editor();
            SendMessageW(m_tree, WM_SETFONT, wparam, lparam);
            update_metrics();
        }
        return 0;
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(m_font);
    case WM_THEMECHANGED:
    case WM_SYSCOLORCHANGE:
        if (m_tree) {
            if (message == WM_SYSCOLORCHANGE)
                SendMessageW(m_tree, message, wparam, lparam);
            load_theme();
            update_metrics();
            InvalidateRect(m_tree, nullptr, TRUE);
        }
        break;
    case WM_ERASEBKGND:
        return 1;
    case WM_DESTROY:
        close_editor();
        break;
    }
    return DefWindowProcW(m_hwnd, message, wparam, lparam);
}

LRESULT PropTree::on_notify(const NMHDR& header)
{
    switch (header.code) {
    case NM_CUSTOMDRAW:
        return on_custom_draw(*reinterpret_cast<NMTVCUSTOMDRAW*>(const_cast<NMHDR*>(&header)));
    case TVN_SELCHANGEDW:
        on_selection_changed(reinterpret_cast<const NMTREEVIEWW&>(header).itemNew.hItem);
        return 0;
    case TVN_ITEMEXPANDEDW:
        place_editor();
        return 0;
    case TVN_KEYDOWN:
        // Non-zero keeps the key from the tree's incremental search.
        return m_key_handler && m_key_handler(reinterpret_cast<const NMTVKEYDOWN&>(header).wVKey) ? 1 : 0;
    case TVN_DELETEITEMW: {
        const TVITEMW& old = reinterpret_cast<const NMTREEVIEWW&>(header).itemOld;
        if (m_active_row && reinterpret_cast<GridRow*>(old.lParam) == m_active_row)
            close_editor();
        if (old.hItem == m_hot_item)
            m_hot_item = nullptr;
        if (old.hItem == m_pressed_item)
            m_pressed_item = nullptr;
        return 0;
    }
    }
    return 0;
}

LRESULT CALLBACK PropTree::tree_procedure(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR id,
                                          DWORD_PTR data)
{
    auto* grid = reinterpret_cast<PropTree*>(data);
    if (message == WM_NCDESTROY) {
        RemoveWindowSubclass(hwnd, tree_procedure, id);
        grid->m_tree = nullptr;
        return DefSubclassProc(hwnd, message, wparam, lparam);
    }
    // As in the window procedure: a failure (a row's commit, say) becomes the warning
    // box instead of unwinding through the system's dispatch.
    try {
        LRESULT result = 0;
        if (grid->on_tree_message(message, wparam, lparam, result))
            return result;
    } catch (const std::exception& failure) {
        App::report_window_error(grid->m_hwnd, failure);
        return 0;
    }
    return DefSubclassProc(hwnd, message, wparam, lparam);
}

LRESULT CALLBACK PropTree::owner_procedure(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR id,
                                           DWORD_PTR data)
{
    auto* grid = reinterpret_cast<PropTree*>(data);
    if (message == WM_COMMAND && lparam && grid->m_editor_is_popup &&
        reinterpret_cast<HWND>(lparam) == grid->m_editor) {
        try {
            grid->on_popup_command(wparam);
        } catch (const std::exception& failure) {
            App::report_window_error(grid->m_hwnd, failure);
        }
        return 0;
    }
    if (message == WM_NCDESTROY) {
        RemoveWindowSubclass(hwnd, owner_procedure, id);
        grid->m_owner = nullptr;
    }
    return DefSubclassProc(hwnd, message, wparam, lparam);
}

LRESULT CALLBACK PropTree::editor_procedure(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR id,
                                            DWORD_PTR data)
{
    if (message == WM_NCDESTROY) {
        RemoveWindowSubclass(hwnd, editor_procedure, id);
        return DefSubclassProc(hwnd, message, wparam, lparam);
    }
    // Only the open edit: hidden ones wait for their destruction.
    auto* grid = reinterpret_cast<PropTree*>(data);
    if (hwnd == grid->m_editor) {
        const bool ends = wparam == VK_RETURN || wparam == VK_ESCAPE || wparam == VK_TAB;
        if (message == WM_KEYDOWN && ends) {
            try {
                grid->on_editor_key(wparam);
            } catch (const std::exception& failure) {
                App::report_window_error(grid->m_hwnd, failure);
            }
            return 0;
        }
    }
    // Their characters would only beep.
    if (message == WM_CHAR && (wparam == L'\r' || wparam == 0x1B || wparam == L'\t'))
        return 0;
    return DefSubclassProc(hwnd, message, wparam, lparam);
}

bool PropTree::on_tree_message(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result)
{
    switch (message) {
    case WM_MOUSEMOVE:
        on_mouse_move(GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam));
        return false;
    case WM_MOUSELEAVE:
        m_tracking_leave = false;
        set_hot_item(nullptr);
        return false;
    case WM_LBUTTONDOWN:
        return on_left_down(GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam));
    case WM_LBUTTONDBLCLK:
        return on_double_click(GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam));
    case WM_LBUTTONUP:
        on_left_up(GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam));
        return false;
    case WM_CAPTURECHANGED:
        if (m_dragging || m_pressed) {
            m_dragging = false;
            m_pressed = false;
            m_pressed_item = nullptr;
            invalidate_button_strip(tree_client_width());
        }
        return false;
    case WM_SETCURSOR:
        if (reinterpret_cast<HWND>(wparam) == m_tree && LOWORD(lparam) == HTCLIENT && on_set_cursor()) {
            result = TRUE;
            return true;
        }
        return false;
    case WM_VSCROLL:
    case WM_HSCROLL:
    case WM_MOUSEWHEEL:
    case WM_MOUSEHWHEEL:
        // The edit would stay where it is while its row moves away.
        finish_editor();
        return false;
    case WM_COMMAND:
        if (LOWORD(wparam) != editor_control_id)
            return false;
        if (lparam && reinterpret_cast<HWND>(lparam) == m_editor && !m_editor_is_popup)
            on_editor_command(wparam);
        // Hidden edits waiting for destruction say nothing that matters.
        return true;
    }
    return false;
}

// ---- Mouse ------------------------------------------------------------------------

int PropTree::tree_client_width() const
{
    RECT client{};
    if (m_tree)
        GetClientRect(m_tree, &client);
    return client.right;
}

HTREEITEM PropTree::item_at(int x, int y, UINT* flags) const
{
    TVHITTESTINFO hit{};
    hit.pt = POINT{x, y};
    TreeView_HitTest(m_tree, &hit);
    if (flags)
        *flags = hit.flags;
    return hit.hItem;
}

void PropTree::invalidate_button_strip(int client_width) const
{
    if (!m_tree)
        return;
    RECT client{};
    GetClientRect(m_tree, &client);
    RECT strip{client_width - m_button_width, 0, client_width, client.bottom};
    InvalidateRect(m_tree, &strip, TRUE);
}

void PropTree::set_hot_item(HTREEITEM item)
{
    if (item == m_hot_item)
        return;
    m_hot_item = item;
    invalidate_button_strip(tree_client_width());
}

void PropTree::on_mouse_move(int x, int y)
{
    if (!m_tracking_leave) {
        TRACKMOUSEEVENT track{};
        track.cbSize = sizeof(track);
        track.dwFlags = TME_LEAVE;
        track.hwndTrack = m_tree;
        m_tracking_leave = TrackMouseEvent(&track) != FALSE;
    }
    const int client_width = tree_client_width();
    if (m_dragging) {
        const int width = clamp_name_width(x, client_width, m_indent);
        if (width != m_name_width) {
            m_name_width = width;
            close_editor();
            InvalidateRect(m_tree, nullptr, TRUE);
        }
        return;
    }
    set_hot_item(x >= client_width - m_button_width && x < client_width ? item_at(x, y) : nullptr);
}

bool PropTree::on_left_down(int x, int y)
{
    UINT flags = 0;
    HTREEITEM item = item_at(x, y, &flags);
    GridRow* row = row_of(item);
    const GridZone zone = grid_zone(x, tree_client_width(), m_name_width, m_button_width,
                                    row && row->button() != RowButton::none);
    if (zone == GridZone::splitter) {
        SetCapture(m_tree);
        m_dragging = true;
        return true;
    }
    // The expand button stays the tree's.
    if (flags & TVHT_ONITEMBUTTON)
        return false;

    // A press on the value of an editable row goes on in its edit.
    if (zone == GridZone::value && row && row->editable()) {
        if (TreeView_GetSelection(m_tree) != item)
            TreeView_SelectItem(m_tree, item);
        if (!(m_editor && !m_editor_is_popup && m_active_row == row))
            open_text_editor(row, item);
        if (m_editor && !m_editor_is_popup) {
            SetFocus(m_editor);
            SendMessageW(m_editor, EM_SETSEL, 0, -1);
        }
        return true;
    }

    // A press on the button of the row whose list is open closes the list, as taking the
    // focus does, and opens nothing on release.
    const bool dismissing = zone == GridZone::button && row &&
                            (m_dismissed_row == row || (m_editor_is_popup && m_active_row == row));
    // Taking the focus from this row's own edit would close it for nothing.
    if (!(m_editor && !m_editor_is_popup && m_active_row == row && GetFocus() == m_editor))
        SetFocus(m_tree);
    m_dismissed_row = nullptr;
    if (item)
        TreeView_SelectItem(m_tree, item);
    if (dismissing)
        return true;
    SetCapture(m_tree);
    m_pressed = true;
    if (zone == GridZone::button) {
        m_pressed_item = item;
        invalidate_button_strip(tree_client_width());
    }
    return true;
}

void PropTree::on_left_up(int x, int y)
{
    const bool was_dragging = m_dragging;
    const bool was_pressed = m_pressed;
    const bool had_pressed_item = m_pressed_item != nullptr;
    m_dragging = false;
    m_pressed = false;
    m_pressed_item = nullptr;
    if (GetCapture() == m_tree)
        ReleaseCapture();
    const int client_width = tree_client_width();
    if (had_pressed_item)
        invalidate_button_strip(client_width);
    if (was_dragging || !was_pressed)
        return;
    if (x < client_width - m_button_width || x >= client_width)
        return;
    HTREEITEM item = item_at(x, y);
    GridRow* row = row_of(item);
    if (row && row->button() != RowButton::none)
        open_popup_of(row, item);
}

bool PropTree::on_double_click(int x, int y)
{
    UINT flags = 0;
    HTREEITEM item = item_at(x, y, &flags);
    GridRow* row = row_of(item);
    const GridZone zone = grid_zone(x, tree_client_width(), m_name_width, m_button_width,
                                    row && row->button() != RowButton::none);
    if (zone == GridZone::splitter)
        return true;
    if (flags & TVHT_ONITEMBUTTON)
        return false;
    // The second press of a quick double click on a button or an edit is a press.
    if (!row || zone == GridZone::button || (zone == GridZone::value && row->editable()))
        return on_left_down(x, y);
    if (TreeView_GetChild(m_tree, item)) {
        TreeView_Expand(m_tree, item, TVE_TOGGLE);
        place_editor();
    } else {
        InvalidateRect(m_tree, nullptr, TRUE);
        row->advance();
    }
    return true;
}

bool PropTree::on_set_cursor()
{
    POINT point{};
    GetCursorPos(&point);
    ScreenToClient(m_tree, &point);
    const wchar_t* cursor = IDC_ARROW;
    if (m_dragging) {
        cursor = IDC_SIZEWE;
    } else {
        GridRow* row = row_of(item_at(point.x, point.y));
        const GridZone zone = grid_zone(point.x, tree_client_width(), m_name_width, m_button_width,
                                        row && row->button() != RowButton::none);
        if (zone == GridZone::splitter)
            cursor = IDC_SIZEWE;
        else if (zone == GridZone::value && row && row->editable())
            cursor = IDC_IBEAM;
    }
    SetCursor(LoadCursorW(nullptr, cursor));
    return true;
}

// ---- Drawing ----------------------------------------------------------------------

LRESULT PropTree::on_custom_draw(NMTVCUSTOMDRAW& draw)
{
    switch (draw.nmcd.dwDrawStage) {
    case CDDS_PREPAINT:
        return CDRF_NOTIFYITEMDRAW;
    case CDDS_ITEMPREPAINT:
        draw_item_background(draw, reinterpret_cast<const GridRow*>(draw.nmcd.lItemlParam));
        return CDRF_NOTIFYPOSTPAINT;
    case CDDS_ITEMPOSTPAINT:
        draw_item_value(draw, reinterpret_cast<const GridRow*>(draw.nmcd.lItemlParam));
        return CDRF_DODEFAULT;
    }
    return CDRF_DODEFAULT;
}

void PropTree::draw_item_background(NMTVCUSTOMDRAW& draw, const GridRow*)
{
    HDC dc = draw.nmcd.hdc;
    const RECT& line = draw.nmcd.rc;
    if (draw.iLevel == 0) {
        // A header bar across the whole row.
        fill(dc, line, m_colours.face);
        draw.clrTextBk = m_colours.face;
        draw.clrText = m_colours.header_text;
        return;
    }
    fill(dc, RECT{line.left, line.top, line.left + draw.iLevel * m_indent, line.bottom}, m_colours.face);
    const bool selected = (draw.nmcd.uItemState & CDIS_SELECTED) != 0;
    draw.clrTextBk = selected ? m_colours.highlight : m_colours.window;
    draw.clrText = selected ? m_colours.highlight_text : m_colours.window_text;
}

void PropTree::draw_item_value(const NMTVCUSTOMDRAW& draw, const GridRow* row)
{
    HDC dc = draw.nmcd.hdc;
    const RECT& line = draw.nmcd.rc;
    const auto item = reinterpret_cast<HTREEITEM>(draw.nmcd.dwItemSpec);
    SavedDc saved(dc);
    const bool header = draw.iLevel == 0;
    if (!header) {
        // Covers whatever of a long name ran into the value column.
        fill(dc, RECT{m_name_width, line.top, line.right, line.bottom}, m_colours.window);
        const int middle = m_name_width + splitter_width / 2;
        fill(dc, RECT{middle, line.top, middle + 1, line.bottom}, m_colours.face);
        fill(dc, RECT{line.left + draw.iLevel * m_indent, line.bottom - 1, line.right, line.bottom}, m_colours.face);
    }
    if (!row)
        return;
    const bool has_button = row->button() != RowButton::none;
    RECT text{m_name_width + splitter_width, line.top, line.right - (has_button ? m_button_width : 0),
              header ? line.bottom : line.bottom - 1};
    const bool edited = row == m_active_row && m_editor && !m_editor_is_popup;
    if (!edited && !row->value_text().empty() && text.right > text.left) {
        const std::u16string& value = row->value_text();
        constexpr DWORD flags = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_LEFT;
        SelectObject(dc, m_font);
        if (HTHEME theme = m_tree_theme.get(); theme && !header) {
            DrawThemeText(theme, dc, TVP_TREEITEM, row->read_only() ? TREIS_DISABLED : TREIS_NORMAL, wide(value),
                          static_cast<int>(value.size()), flags, 0, &text);
        } else {
            SetBkMode(dc, TRANSPARENT);
            SetTextColor(dc, header            ? m_colours.header_text
                             : row->read_only() ? m_colours.gray_text
                                                : m_colours.window_text);
            DrawTextW(dc, wide(value), static_cast<int>(value.size()), &text, flags);
        }
    }
    if (!header && !edited && (draw.nmcd.uItemState & CDIS_FOCUS) && text.right > text.left) {
        SetTextColor(dc, m_colours.window_text);
        SetBkColor(dc, m_colours.window);
        DrawFocusRect(dc, &text);
    }
    if (has_button)
        draw_button(dc, RECT{line.right - m_button_width, line.top, line.right, line.bottom}, row->button(), item);
}

void PropTree::draw_button(HDC dc, const RECT& rect, RowButton kind, HTREEITEM item) const
{
    const bool hot = item && item == m_hot_item;
    const bool pressed = hot && item == m_pressed_item;
    RECT face = rect;
    if (kind == RowButton::close) {
        if (HTHEME theme = m_window_theme.get()) {
            const int state = pressed ? CBS_PUSHED : hot ? CBS_HOT : CBS_NORMAL;
            DrawThemeBackground(theme, dc, WP_CLOSEBUTTON, state, &face, nullptr);
        } else {
            DrawFrameControl(dc, &face, DFC_CAPTION,
                             DFCS_CAPTIONCLOSE | (pressed ? DFCS_PUSHED : 0) | (hot ? DFCS_HOT : 0));
        }
        return;
    }
    if (HTHEME theme = m_button_theme.get()) {
        const int state = pressed ? PBS_PRESSED : hot ? PBS_HOT : PBS_NORMAL;
        DrawThemeBackground(theme, dc, BP_PUSHBUTTON, state, &face, nullptr);
    } else {
        DrawFrameControl(dc, &face, DFC_BUTTON, DFCS_BUTTONPUSH | (pressed ? DFCS_PUSHED : 0) | (hot ? DFCS_HOT : 0));
    }
    std::array<POINT, 3> triangle = triangle_points(rect, kind);
    SelectObject(dc, GetStockObject(BLACK_BRUSH));
    SelectObject(dc, GetStockObject(BLACK_PEN));
    Polygon(dc, triangle.data(), static_cast<int>(triangle.size()));
}

} // namespace Editor
