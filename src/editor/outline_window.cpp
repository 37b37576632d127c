#include "editor/outline_window.h"

#include "app/wic_calls.h"
#include "editor/editor_workspace.h"
#include "editor/widget_icon.h"
#include "editor/window_text.h"
#include "fs/resource_image.h"
#include "gfx/graphics_context.h"
#include "platform/text_encoding.h"
#include "screen/screen_document.h"
#include "screen/widget.h"

#include <uxtheme.h>
#include <windowsx.h>

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace Editor {
namespace {

constexpr wchar_t class_name[] = L"Widgets";
constexpr int check_box_id = 1;
constexpr int tree_id = 2;

// A 32-bit top-down DIB section holding `pixels` (width x height, 4 bytes each).
HBITMAP dib_from_pixels(const std::vector<std::uint8_t>& pixels, int width, int height)
{
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap)
        std::memcpy(bits, pixels.data(), pixels.size());
    return bitmap;
}

// Wine answers BCM_GETIDEALSIZE with 0 x 0: the box's text in its font, with room for
// the check mark.
SIZE measured_box_size(HWND box)
{
    HDC dc = GetDC(box);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(box, WM_GETFONT, 0, 0)));
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    SIZE text{};
    GetTextExtentPoint32W(dc, L"Emphasize Selection", 19, &text);
    SelectObject(dc, old);
    ReleaseDC(box, dc);
    const int mark = GetSystemMetrics(SM_CXMENUCHECK);
    return SIZE{text.cx + mark + 8, std::max<LONG>(metrics.tmHeight, mark) + 6};
}

} // namespace

RememberedFrame& OutlineWindow::remembered_frame()
{
    static RememberedFrame frame{unplaced, unplaced, 200, 300};
    return frame;
}

OutlineWindow::OutlineWindow(EditorWorkspace& editor)
    : ToolWindow(remembered_frame()), m_editor(editor), m_session(editor.session())
{
}

OutlineWindow::~OutlineWindow()
{
    m_subscription.reset();
    if (m_images)
        ImageList_Destroy(m_images);
}

OutlineWindow* OutlineWindow::open(EditorWorkspace& editor, HWND owner)
{
    auto window = std::unique_ptr<OutlineWindow>(new OutlineWindow(editor));
    window->create_floating(L"Outline", 0.15f, owner);
    window->build(editor.window_name());
    // From here on the window owns itself.
    return window.release();
}

void OutlineWindow::describe_class(WNDCLASSEXW& description)
{
    description.lpszClassName = class_name;
    description.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    description.hCursor = LoadCursorW(nullptr, IDC_ARROW);
}

void OutlineWindow::build(const std::string& screen_name)
{
    m_subscription = m_session.subscribe(*this);

    HINSTANCE instance = GetModuleHandleW(nullptr);
    const SIZE client = client_size(m_hwnd);
    m_check_box = CreateWindowExW(0, L"BUTTON", L"Emphasize Selection", WS_CHILD | WS_VISIBLE | BS_AUTOCHECKBOX | BS_VCENTER,
                                  0, 0, 0, 0, m_hwnd, reinterpret_cast<HMENU>(check_box_id), instance, nullptr);
    m_tree = CreateWindowExW(0, WC_TREEVIEWW, L"",
                             WS_CHILD | WS_VISIBLE | TVS_HASBUTTONS | TVS_EDITLABELS | TVS_SHOWSELALWAYS | TVS_TRACKSELECT,
                             0, 0, 0, 0, m_hwnd, reinterpret_cast<HMENU>(tree_id), instance, nullptr);
    if (!m_check_box || !m_tree)
        throw std::runtime_error("Cannot create the outline's controls");
    SendMessageW(m_check_box, WM_SETFONT, SendMessageW(m_tree, WM_GETFONT, 0, 0), TRUE);
    m_box_size = SIZE{};
    if (!SendMessageW(m_check_box, BCM_GETIDEALSIZE, 0, reinterpret_cast<LPARAM>(&m_box_size)) || m_box_size.cy <= 0)
        m_box_size = measured_box_size(m_check_box);
    if (EditorSession::emphasize_selection())
        SendMessageW(m_check_box, BM_SETCHECK, BST_CHECKED, 0);
    SetWindowTheme(m_tree, L"explorer", nullptr);
    const LPARAM extended = TVS_EX_NOINDENTSTATE | TVS_EX_AUTOHSCROLL;
    SendMessageW(m_tree, TVM_SETEXTENDEDSTYLE, extended, extended);
    on_resized(client.cx, client.cy);
    load_icons();
    fill_tree(screen_name);
    UpdateWindow(m_hwnd);
    ShowWindow(m_hwnd, SW_SHOWNOACTIVATE);
}

void OutlineWindow::document_replaced()
{
    // Deleting the selected item moves the tree's selection, which must not reach the
    // editor: the items still carry the old document's widgets.
    m_emptying = true;
    SendMessageW(m_tree, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
    m_emptying = false;
    fill_tree(m_editor.window_name());
}

void OutlineWindow::fill_tree(const std::string& screen_name)
{
    // The screen first, expanded, then its two top-level widgets in the document's order.
    HTREEITEM root = insert_item(TVI_ROOT, TVI_FIRST, screen_name, screen_icon, true, nullptr);
    Screen::ScreenDocument& document = m_session.document();
    for (std::size_t i = 0; i < document.child_count(); ++i) {
        if (auto* widget = dynamic_cast<Screen::Widget*>(document.child(i)))
            insert_widget(root, widget);
    }
    if (Screen::Widget* selected = m_session.selection())
        selection_changed(selected);
}

void OutlineWindow::load_icons()
{
    // Without the list the tree simply shows no icons; the picture failing to load
    // raises, as every missing resource does.
    IWICImagingFactory* wic = m_editor.graphics()->wic_factory.Get();
    auto source = Images::decode_image(wic, Images::open_png_resource(wic, "WIDGET_TYPES").Get());
    UINT width = 0, height = 0;
    App::get_size(source.Get(), &width, &height);
    auto [picture, bits] = Images::make_dib_section(source.Get());
    const std::vector<std::uint8_t> strip =
        outline_icon_strip(static_cast<const std::uint8_t*>(bits), std::size_t{width} * 4, static_cast<int>(width),
                           static_cast<int>(height));
    DeleteObject(picture);
    if (strip.empty())
        return;
    m_images = ImageList_Create(icon_size, icon_size, ILC_COLOR32, 2 * icon_count, 0);
    if (!m_images)
        return;
    if (HBITMAP cells = dib_from_pixels(strip, 2 * icon_count * icon_size, icon_size)) {
        ImageList_Add(m_images, cells, nullptr);
        DeleteObject(cells);
    }
    SendMessageW(m_tree, TVM_SETIMAGELIST, TVSIL_NORMAL, reinterpret_cast<LPARAM>(m_images));
}

HTREEITEM OutlineWindow::insert_item(HTREEITEM parent, HTREEITEM after, const std::string& name, int image,
                                     bool expanded, Screen::Widget* widget)
{
    const std::u16string text = Platform::ansi_to_utf16(name);
    TVINSERTSTRUCTW insert{};
    insert.hParent = parent;
    insert.hInsertAfter = after;
    insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_STATE | TVIF_PARAM;
    insert.item.pszText = const_cast<wchar_t*>(wide(text));
    insert.item.iImage = insert.item.iSelectedImage = image;
    insert.item.stateMask = TVIS_EXPANDED;
    insert.item.state = expanded ? TVIS_EXPANDED : 0;
    insert.item.lParam = reinterpret_cast<LPARAM>(widget);
    return reinterpret_cast<HTREEITEM>(SendMessageW(m_tree, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
}

void OutlineWindow::insert_widget(HTREEITEM parent, Screen::Widget* widget)
{
    // Built faded when not shown; later the fading follows visibility.
    HTREEITEM item = insert_item(parent, TVI_LAST, widget->name(), outline_image(*widget, !widget->shown()),
                                 widget->shown(), widget);
    if (const std::vector<Screen::Widget*>* children = widget->child_widgets()) {
        // Kept backwards; the outline lists them as the script does.
        for (auto child = children->rbegin(); child != children->rend(); ++child)
            insert_widget(item, *child);
    }
}

void OutlineWindow::on_resized(int width, int height)
{
    if (!m_tree)
        return;
    const int box = m_box_size.cy;
    MoveWindow(m_tree, 0, 0, width, height - box, TRUE);
    MoveWindow(m_check_box, 2, height - box, width - 2, box, TRUE);
}

HTREEITEM OutlineWindow::item_of(const Screen::Widget* widget) const
{
    // Depth first from the first root item.
    HTREEITEM item = reinterpret_cast<HTREEITEM>(SendMessageW(m_tree, TVM_GETNEXTITEM, TVGN_ROOT, 0));
    while (item) {
        TVITEMW data{};
        data.mask = TVIF_PARAM;
        data.hItem = item;
        SendMessageW(m_tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&data));
        if (reinterpret_cast<const Screen::Widget*>(data.lParam) == widget)
            return item;
        HTREEITEM next = reinterpret_cast<HTREEITEM>(SendMessageW(m_tree, TVM_GETNEXTITEM, TVGN_CHILD,
                                                                  reinterpret_cast<LPARAM>(item)));
        for (HTREEITEM up = item; !next && up;) {
            next = reinterpret_cast<HTREEITEM>(SendMessageW(m_tree, TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(up)));
            if (!next)
                up = reinterpret_cast<HTREEITEM>(SendMessageW(m_tree, TVM_GETNEXTITEM, TVGN_PARENT, reinterpret_cast<LPARAM>(up)));
        }
        item = next;
    }
    return nullptr;
}

Screen::Widget* OutlineWindow::widget_of(HTREEITEM item) const
{
    if (!item)
        return nullptr;
    TVITEMW data{};
    data.mask = TVIF_PARAM;
    data.hItem = item;
    if (!SendMessageW(m_tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&data)))
        return nullptr;
    // Items only ever carry widgets of this document, but one may have gone since.
    return m_session.document().live_widget(reinterpret_cast<void*>(data.lParam));
}

void OutlineWindow::set_image(HTREEITEM item, int image)
{
    TVITEMW data{};
    data.mask = TVIF_IMAGE | TVIF_SELECTEDIMAGE;
    data.hItem = item;
    data.iImage = data.iSelectedImage = image;
    SendMessageW(m_tree, TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&data));
}

LRESULT OutlineWindow::window_message(UINT message, WPARAM wparam, LPARAM lparam)
{
    switch (message) {
    case WM_NOTIFY: {
        const auto* header = reinterpret_cast<const NMHDR*>(lparam);
        if (header->hwndFrom == m_tree) {
            if (header->code == TVN_SELCHANGEDW)
                tree_selection_changed(*reinterpret_cast<const NMTREEVIEWW*>(lparam));
            else if (header->code == NM_DBLCLK)
                double_clicked();
            else if (header->code == TVN_KEYDOWN)
                return key_pressed(reinterpret_cast<const NMTVKEYDOWN*>(lparam)->wVKey) ? 1 : 0;
            else if (header->code == TVN_BEGINLABELEDITW)
                return label_edit_allowed(reinterpret_cast<const NMTVDISPINFOW*>(lparam)->item.hItem) ? FALSE : TRUE;
            else if (header->code == TVN_ENDLABELEDITW)
                label_edited(*reinterpret_cast<const NMTVDISPINFOW*>(lparam));
            return 0; // the tree's own double-click handling flips the expansion
        }
        if (header->hwndFrom == m_check_box && header->code == NM_CUSTOMDRAW) {
            const auto* draw = reinterpret_cast<const NMCUSTOMDRAW*>(lparam);
            // No stray background on the translucent window.
            if (draw->dwDrawStage == CDDS_PREERASE)
                FillRect(draw->hdc, &draw->rc, GetSysColorBrush(COLOR_WINDOW));
            return CDRF_DODEFAULT;
        }
        break;
    }
    case WM_COMMAND:
        if (reinterpret_cast<HWND>(lparam) == m_check_box && HIWORD(wparam) == BN_CLICKED) {
            emphasis_clicked();
            return 0;
        }
        break;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
        SetBkColor(reinterpret_cast<HDC>(wparam), GetSysColor(COLOR_WINDOW));
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW));
    }
    return ToolWindow::window_message(message, wparam, lparam);
}

void OutlineWindow::tree_selection_changed(const NMTREEVIEWW& change)
{
    if (m_emptying)
        return;
    Screen::Widget* widget = widget_of(change.itemNew.hItem);
    m_session.select(widget);
}

void OutlineWindow::double_clicked()
{
    TVHITTESTINFO hit{};
    GetCursorPos(&hit.pt);
    ScreenToClient(m_tree, &hit.pt);
    HTREEITEM item = reinterpret_cast<HTREEITEM>(SendMessageW(m_tree, TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
    Screen::Widget* widget = widget_of(item);
    if (!widget)
        return;
    bool visible = !widget->is_visible();
    if (SendMessageW(m_tree, TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(item))) {
        // Expansion follows visibility: the tree flips it right after this.
        const UINT state = static_cast<UINT>(SendMessageW(m_tree, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(item), TVIS_EXPANDED));
        visible = !(state & TVIS_EXPANDED);
    }
    if (m_session.attempt([&] { widget->set_visible(visible); }))
        set_image(item, outline_image(*widget, !visible));
    widget->invalidate();
}

bool OutlineWindow::key_pressed(WORD key)
{
    if (key == VK_F2 && !(GetKeyState(VK_CONTROL) < 0) && !(GetKeyState(VK_SHIFT) < 0)) {
        begin_rename();
        return true;
    }
    // The editor's keys act on it from here too; the arrows stay the tree's.
    return m_editor.handle_tool_window_key(key, GetKeyState(VK_CONTROL) < 0, GetKeyState(VK_SHIFT) < 0);
}

void OutlineWindow::begin_rename()
{
    HTREEITEM item = item_of(m_session.selection());
    if (!item || !m_session.selection())
        return;
    SendMessageW(m_tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
    SetFocus(m_tree);
    SendMessageW(m_tree, TVM_EDITLABELW, 0, reinterpret_cast<LPARAM>(item));
}

bool OutlineWindow::label_edit_allowed(HTREEITEM item) const
{
    return widget_of(item) != nullptr;
}

void OutlineWindow::label_edited(const NMTVDISPINFOW& edit)
{
    // Null text: the edit was cancelled. The item's text follows the widget's name
    // through the session, so the tree keeps its own text either way.
    Screen::Widget* widget = widget_of(edit.item.hItem);
    if (!widget || !edit.item.pszText)
        return;
    m_session.rename(*widget, Platform::utf16_to_ansi(std::u16string_view(
                                  reinterpret_cast<const char16_t*>(edit.item.pszText))));
}

void OutlineWindow::emphasis_clicked()
{
    const bool checked = SendMessageW(m_check_box, BM_GETCHECK, 0, 0) == BST_CHECKED;
    m_session.set_emphasize_selection(checked);
}

void OutlineWindow::property_changed(Screen::Widget* widget, int property)
{
    if (property != Screen::Property::visible && property != Screen::Property::name)
        return;
    HTREEITEM item = item_of(widget);
    if (!item)
        return;
    if (property == Screen::Property::visible) {
        set_image(item, outline_image(*widget, !widget->is_visible()));
        return;
    }
    const std::u16string text = Platform::ansi_to_utf16(widget->name());
    TVITEMW data{};
    data.mask = TVIF_TEXT;
    data.hItem = item;
    data.pszText = const_cast<wchar_t*>(wide(text));
    SendMessageW(m_tree, TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&data));
}

void OutlineWindow::selection_changed(Screen::Widget* widget)
{
    HTREEITEM current = reinterpret_cast<HTREEITEM>(SendMessageW(m_tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
    if (current && widget_of(current) == widget)
        return;
    if (HTREEITEM item = item_of(widget))
        SendMessageW(m_tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
}

} // namespace Editor
