#include "editor/tool_window.h"

#include "app/mouse_entry_tracker.h"
#include "platform/wine_host.h"

namespace Editor {
namespace {

constexpr DWORD floating_ex_style = WS_EX_LAYERED | WS_EX_TOOLWINDOW | WS_EX_WINDOWEDGE | WS_EX_TOPMOST;
constexpr DWORD floating_style = WS_POPUP | WS_CAPTION | WS_THICKFRAME;

// Wine (8, on X without a compositor) leaves a window made after a Direct2D window has
// presented black wherever it lies over that window. There the tool windows go into
// the free space beside the editor when the screen has room: the outline (placed near
// the editor's left) at its near end, the grid (placed near its right) at the far end.
bool beside_under_wine(const RECT& active, std::int32_t width, RECT& area)
{
    if (!Platform::running_under_wine())
        return false;
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    if (!GetMonitorInfoW(MonitorFromRect(&active, MONITOR_DEFAULTTONEAREST), &monitor) ||
        monitor.rcWork.right - active.right < width)
        return false;
    // The rule places the client width; the frame must fit on the screen too.
    RECT frame{0, 0, width, 0};
    AdjustWindowRectEx(&frame, floating_style, FALSE, floating_ex_style);
    area = RECT{active.right, active.top, monitor.rcWork.right - (frame.right - frame.left - width), active.bottom};
    return true;
}

} // namespace

SIZE client_size(HWND hwnd)
{
    RECT rect{};
    GetClientRect(hwnd, &rect);
    return {rect.right - rect.left, rect.bottom - rect.top};
}

void ToolWindow::create_floating(const wchar_t* title, float fraction)
{
    if (m_frame->x == unplaced) {
        RECT active{};
        HWND owner = GetActiveWindow();
        if (owner && GetWindowRect(owner, &active)) {
            RECT area = active;
            if (beside_under_wine(active, m_frame->width, area))
                fraction = fraction < 0.5f ? 0.0f : 1.0f;
            const WindowPosition at = place_over(area.left, area.top, area.right, area.bottom, m_frame->width,
                                                 m_frame->height, fraction);
            m_frame->x = at.x;
            m_frame->y = at.y;
        }
    }
    create(m_frame->width, floating_ex_style, title, floating_style, m_frame->x, m_frame->y, m_frame->height, nullptr);
    SetLayeredWindowAttributes(m_hwnd, 0, resting_alpha, LWA_ALPHA);
    InvalidateRect(m_hwnd, nullptr, TRUE);
}

LRESULT ToolWindow::window_message(UINT message, WPARAM wparam, LPARAM lparam)
{
    return DefWindowProcW(m_hwnd, message, wparam, lparam);
}

LRESULT ToolWindow::handle_message(UINT message, WPARAM wparam, LPARAM lparam)
{
    switch (message) {
    case App::message_mouse_entered:
    case App::message_mouse_left:
        SetLayeredWindowAttributes(m_hwnd, 0, message == App::message_mouse_entered ? hovered_alpha : resting_alpha,
                                   LWA_ALPHA);
        RedrawWindow(m_hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
        return 0;
    case WM_WINDOWPOSCHANGED: {
        const auto* position = reinterpret_cast<const WINDOWPOS*>(lparam);
        if (!(position->flags & SWP_NOMOVE)) {
            m_frame->x = position->x;
            m_frame->y = position->y;
        }
        if (!(position->flags & SWP_NOSIZE)) {
            const SIZE size = client_size(m_hwnd);
            m_frame->width = size.cx;
            m_frame->height = size.cy;
            on_resized(size.cx, size.cy);
        }
        return 0;
    }
    default:
        return window_message(message, wparam, lparam);
    }
}

} // namespace Editor
