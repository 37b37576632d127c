#include "editor/tool_window.h"

#include "app/mouse_entry_tracker.h"

namespace Editor {

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
            const WindowPosition at = place_over(active.left, active.top, active.right, active.bottom,
                                                 m_frame->width, m_frame->height, fraction);
            m_frame->x = at.x;
            m_frame->y = at.y;
        }
    }
    create(m_frame->width, WS_EX_LAYERED | WS_EX_TOOLWINDOW | WS_EX_WINDOWEDGE | WS_EX_TOPMOST, title,
           WS_POPUP | WS_CAPTION | WS_THICKFRAME, m_frame->x, m_frame->y, m_frame->height, nullptr);
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
