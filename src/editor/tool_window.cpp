#include "editor/tool_window.h"

#include "app/mouse_entry_tracker.h"
#include "platform/wine_host.h"

namespace Editor {
namespace {

constexpr DWORD floating_ex_style = WS_EX_LAYERED | WS_EX_TOOLWINDOW | WS_EX_WINDOWEDGE | WS_EX_TOPMOST;
// With the system menu for the caption's close box: a closed tool window comes back by
// the tool strip's button or F4.
constexpr DWORD floating_style = WS_POPUP | WS_CAPTION | WS_THICKFRAME | WS_SYSMENU;

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

float display_dpi()
{
    // The process is aware of the system's DPI: every window has that one.
    float dpi = 96.0f;
    if (HDC screen = GetDC(nullptr)) {
        const int logical = GetDeviceCaps(screen, LOGPIXELSX);
        ReleaseDC(nullptr, screen);
        if (logical > 0)
            dpi = static_cast<float>(logical);
    }
    return dpi;
}

int ToolWindow::pixels(std::int32_t dips) const
{
    return pixels_of_dips(dips, m_dpi);
}

void ToolWindow::create_floating(const wchar_t* title, float fraction, HWND owner)
{
    m_dpi = display_dpi();
    const int width = pixels(m_frame->width);
    const int height = pixels(m_frame->height);
    if (m_frame->x == unplaced) {
        RECT active{};
        HWND over = owner ? owner : GetActiveWindow();
        if (over && GetWindowRect(over, &active)) {
            RECT area = active;
            if (beside_under_wine(active, width, area))
                fraction = fraction < 0.5f ? 0.0f : 1.0f;
            const WindowPosition at = place_over(area.left, area.top, area.right, area.bottom, width, height, fraction);
            m_frame->x = at.x;
            m_frame->y = at.y;
        }
    }
    create(width, floating_ex_style, title, floating_style, m_frame->x, m_frame->y, height, owner);
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
            m_frame->width = dips_of_pixels(own_client_width(size.cx), m_dpi);
            m_frame->height = dips_of_pixels(size.cy, m_dpi);
            on_resized(size.cx, size.cy);
        }
        return 0;
    }
    default:
        return window_message(message, wparam, lparam);
    }
}

} // namespace Editor
