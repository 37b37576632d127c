#include "editor/properties_window.h"

#include "editor/editor_workspace.h"
#include "editor/prop_tree.h"
#include "editor/ucs_choice.h"
#include "editor/widget_rows.h"
#include "screen/button_widgets.h"
#include "screen/screen_document.h"
#include "screen/widget.h"
#include "platform/text_encoding.h"

#include <algorithm>

namespace Editor {
namespace {

constexpr wchar_t class_name[] = L"Properties";

} // namespace

RememberedFrame& PropertiesWindow::remembered_frame()
{
    static RememberedFrame frame{unplaced, unplaced, 250, 300};
    return frame;
}

PropertiesWindow::PropertiesWindow(EditorWorkspace& editor)
    : ToolWindow(remembered_frame()), m_editor(editor), m_session(editor.session())
{
}

PropertiesWindow::~PropertiesWindow()
{
    m_subscription.reset();
}

PropertiesWindow* PropertiesWindow::open(EditorWorkspace& editor, HWND owner)
{
    auto window = std::unique_ptr<PropertiesWindow>(new PropertiesWindow(editor));
    window->create_floating(L"Properties", 0.85f, owner);
    window->build();
    return window.release();
}

void PropertiesWindow::describe_class(WNDCLASSEXW& description)
{
    description.lpszClassName = class_name;
    description.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    description.hCursor = LoadCursorW(nullptr, IDC_ARROW);
}

void PropertiesWindow::build()
{
    const SIZE client = client_size(m_hwnd);
    m_grid = PropTree::create(m_hwnd, 0, 0, client.cx, client.cy);
    m_grid->set_name_column_width(pixels(m_grid->name_column_width()));
    m_grid->set_key_handler([this](UINT key) {
        return m_editor.handle_tool_window_key(key, GetKeyState(VK_CONTROL) < 0, GetKeyState(VK_SHIFT) < 0);
    });
    m_grid->set_revert_handler([this](std::uint64_t run) { return m_session.revert_run(run); });
    show_widget(m_session.selection());
    m_subscription = m_session.subscribe(*this);
}

Screen::Widget* PropertiesWindow::widget() const
{
    return m_session.document().live_widget(m_widget);
}

void PropertiesWindow::property_changed(Screen::Widget* widget, int)
{
    if (widget && widget == PropertiesWindow::widget())
        m_grid->refresh_rows();
}

void PropertiesWindow::texts_changed()
{
    if (UcsChoice* chooser = m_chooser.get())
        chooser->texts_changed();
}

void PropertiesWindow::show_widget(Screen::Widget* widget)
{
    m_grid->clear();
    m_docked_row = nullptr; // the rows are gone; a docked chooser stays
    m_widget = widget;
    if (!widget) {
        ShowWindow(m_hwnd, SW_HIDE);
        return;
    }
    // Each row goes in as the first child of its parent: built bottom to top.
    HTREEITEM group = m_grid->insert_group(u"Widget");
    m_grid->insert_row(group, u"Tooltip Text", std::make_unique<TextRow>(*widget, TextRow::Field::tooltip,
                                                                        [this](TextRow& row) { return open_chooser(row); }));
    m_grid->insert_row(group, u"Tooltip Widget", std::make_unique<TooltipWidgetRow>(m_session, *widget));
    m_grid->insert_row(group, u"Text", std::make_unique<TextRow>(*widget, TextRow::Field::text,
                                                                [this](TextRow& row) { return open_chooser(row); }));
    HTREEITEM rectangle = m_grid->insert_row(group, u"Rectangle", std::make_unique<RectangleRow>(*widget));
    m_grid->insert_row(rectangle, u"Height", std::make_unique<SizeRow>(*widget, 3));
    m_grid->insert_row(rectangle, u"Width", std::make_unique<SizeRow>(*widget, 2));
    m_grid->insert_row(rectangle, u"Y", std::make_unique<PositionRow>(*widget, 1));
    m_grid->insert_row(rectangle, u"X", std::make_unique<PositionRow>(*widget, 0));
    m_grid->insert_row(group, u"Style", std::make_unique<StyleRow>(*widget));
    if (auto* button = dynamic_cast<Screen::ButtonWidget*>(widget))
        m_grid->insert_row(group, u"Preview State", std::make_unique<PreviewStateRow>(*button));
    m_grid->insert_row(group, u"Display", std::make_unique<DisplayRow>(*widget));
    m_grid->insert_row(group, u"Name", std::make_unique<NameRow>(m_session, *widget));
    m_grid->insert_row(group, u"Type",
                       read_only_row(widget->type() ? Platform::ansi_to_utf16(*widget->type()) : std::u16string()));
    m_grid->expand(group, true);
    m_grid->expand(rectangle, false);
    ShowWindow(m_hwnd, SW_SHOWNOACTIVATE);
}

HWND PropertiesWindow::open_chooser(TextRow& row)
{
    const Mod::LoadedMod* mod = m_session.document().mod();
    if (!mod)
        return nullptr;
    // The button of the row whose chooser is open closes it again.
    if (m_docked && m_docked_row == &row) {
        dock(nullptr);
        return nullptr;
    }
    const SIZE client = client_size(m_hwnd);
    UcsChoice* chooser = UcsChoice::create(m_hwnd, *mod, client.cx, 0, pixels(chooser_width), client.cy);
    // Picks go to the row of the same name in whatever the grid shows by then.
    const bool tooltip = m_grid->row(u"Tooltip Text") == &row;
    chooser->set_pick_callback([this, tooltip](const std::u16string& reference) {
        if (GridRow* target = m_grid->row(tooltip ? u"Tooltip Text" : u"Text"))
            target->commit(reference);
    });
    dock(chooser->hwnd());
    m_docked_row = &row;
    m_chooser = Gfx::WindowLink<UcsChoice>(chooser);
    chooser->preselect(row.value_text());
    return chooser->hwnd();
}

void PropertiesWindow::widen(int delta)
{
    RECT window{};
    GetWindowRect(m_hwnd, &window);
    const int width = window.right - window.left + delta;
    int x = window.left;
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    if (delta > 0 && GetMonitorInfoW(MonitorFromWindow(m_hwnd, MONITOR_DEFAULTTONEAREST), &monitor) &&
        x + width > monitor.rcWork.right) {
        // Widened past the screen's edge, the chooser would open out of sight: the
        // window moves left as far as it must, and back when the chooser goes.
        x = std::max(static_cast<int>(monitor.rcWork.left), static_cast<int>(monitor.rcWork.right) - width);
        m_left_before_docking = window.left;
    } else if (delta < 0 && m_left_before_docking) {
        x = *m_left_before_docking;
        m_left_before_docking.reset();
    }
    SetWindowPos(m_hwnd, nullptr, x, window.top, width, window.bottom - window.top,
                 SWP_NOZORDER | SWP_NOACTIVATE | (x == window.left ? SWP_NOMOVE : 0));
}

void PropertiesWindow::dock(HWND window)
{
    if (m_docked) {
        HWND old = m_docked;
        const int width = m_docked_width;
        // Forgotten first, so that its destruction does not shrink the window again.
        m_docked = nullptr;
        m_docked_width = 0;
        DestroyWindow(old);
        widen(-width);
    }
    if (!window)
        return;
    RECT rect{};
    GetWindowRect(window, &rect);
    const SIZE client = client_size(m_hwnd);
    m_docked = window;
    m_docked_width = rect.right - rect.left;
    SetWindowPos(window, nullptr, client.cx, 0, m_docked_width, client.cy, SWP_NOZORDER | SWP_NOACTIVATE);
    widen(m_docked_width);
}

void PropertiesWindow::on_resized(int width, int height)
{
    if (!m_grid)
        return;
    if (m_docked) {
        RECT grid{};
        GetWindowRect(m_grid->hwnd(), &grid);
        const int grid_width = grid.right - grid.left;
        MoveWindow(m_grid->hwnd(), 0, 0, grid_width, height, TRUE);
        MoveWindow(m_docked, grid_width, 0, width - grid_width > 0 ? width - grid_width : 0, height, TRUE);
    } else {
        MoveWindow(m_grid->hwnd(), 0, 0, width, height, TRUE);
    }
}

LRESULT PropertiesWindow::window_message(UINT message, WPARAM wparam, LPARAM lparam)
{
    if (message == WM_DESTROY)
        m_closing = true;
    if (message == WM_PARENTNOTIFY && LOWORD(wparam) == WM_DESTROY && m_docked && !m_closing &&
        reinterpret_cast<HWND>(lparam) == m_docked) {
        const int width = m_docked_width;
        m_docked = nullptr;
        m_docked_width = 0;
        widen(-width);
        return 0;
    }
    return ToolWindow::window_message(message, wparam, lparam);
}

} // namespace Editor
