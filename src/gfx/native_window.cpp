#include "gfx/native_window.h"

#include "app/error_report.h"
#include "app/win32_error.h"

#include <exception>

namespace Gfx {
namespace {

NativeWindow* g_ring_head = nullptr; // user-interface thread only

constexpr UINT band_flags = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE;

} // namespace

NativeWindow::NativeWindow()
{
    if (!g_ring_head) {
        m_ring_next = m_ring_prev = this;
        g_ring_head = this;
    } else {
        // At the tail: just before the head.
        m_ring_next = g_ring_head;
        m_ring_prev = g_ring_head->m_ring_prev;
        m_ring_prev->m_ring_next = this;
        g_ring_head->m_ring_prev = this;
    }
}

NativeWindow::~NativeWindow()
{
    if (m_ring_next == this) {
        g_ring_head = nullptr;
    } else {
        m_ring_prev->m_ring_next = m_ring_next;
        m_ring_next->m_ring_prev = m_ring_prev;
        if (g_ring_head == this)
            g_ring_head = m_ring_next;
    }
    if (HWND hwnd = m_hwnd) {
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        m_hwnd = nullptr;
        DestroyWindow(hwnd);
    }
}

NativeWindow* NativeWindow::ring_head()
{
    return g_ring_head;
}

void NativeWindow::create(int client_width, DWORD ex_style, const wchar_t* title, DWORD style, int x, int y,
                          int client_height, HWND parent)
{
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW description{};
    description.cbSize = sizeof(description);
    description.lpfnWndProc = window_procedure;
    description.hInstance = instance;
    describe_class(description);
    // Registered again for every window; the repeated registration simply fails.
    RegisterClassExW(&description);

    int width = client_width;
    int height = client_height;
    if (client_width != CW_USEDEFAULT) {
        RECT rect{0, 0, client_width, client_height};
        AdjustWindowRectEx(&rect, style, FALSE, ex_style);
        width = rect.right - rect.left;
        height = rect.bottom - rect.top;
    }
    m_creating = true;
    HWND hwnd = CreateWindowExW(ex_style, description.lpszClassName, title, style, x, y, width, height, parent,
                                nullptr, instance, this);
    m_creating = false;
    if (!hwnd) {
        DWORD error = GetLastError();
        // Destroyed during creation: the handle is gone, the object stays the caller's.
        m_hwnd = nullptr;
        SetLastError(error);
        App::throw_last_error("CreateWindowEx");
    }
    m_hwnd = hwnd;
}

void NativeWindow::adjust_topmost_band(bool activating)
{
    NativeWindow* window = g_ring_head;
    if (!window)
        return;
    do {
        if (HWND hwnd = window->m_hwnd) {
            if (activating) {
                if (window->m_restore_topmost) {
                    SetWindowPos(hwnd, HWND_TOPMOST, 0, 0, 0, 0, band_flags);
                    window->m_restore_topmost = false;
                }
            } else if (GetWindowLongPtrW(hwnd, GWL_EXSTYLE) & WS_EX_TOPMOST) {
                SetWindowPos(hwnd, HWND_NOTOPMOST, 0, 0, 0, 0, band_flags);
                window->m_restore_topmost = true;
            }
        }
        window = window->m_ring_next;
    } while (window != g_ring_head);
}

void NativeWindow::after_last_message()
{
    SetWindowLongPtrW(m_hwnd, GWLP_USERDATA, 0);
    m_hwnd = nullptr;
    if (!m_creating)
        delete this;
}

LRESULT CALLBACK NativeWindow::window_procedure(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam)
{
    if (message == WM_NCCREATE) {
        auto* window = static_cast<NativeWindow*>(reinterpret_cast<CREATESTRUCTW*>(lparam)->lpCreateParams);
        window->m_hwnd = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(window));
        return DefWindowProcW(hwnd, message, wparam, lparam);
    }
    auto* window = reinterpret_cast<NativeWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!window)
        return DefWindowProcW(hwnd, message, wparam, lparam);

    LRESULT result = 0;
    try {
        if (message == WM_NCACTIVATE)
            adjust_topmost_band(wparam != 0);
        result = window->handle_message(message, wparam, lparam);
    } catch (const std::exception& failure) {
        App::report_window_error(hwnd, failure);
        result = DefWindowProcW(hwnd, message, wparam, lparam);
    }
    // Also after a failure: a window whose handle is gone must not stay in the ring.
    if (message == WM_NCDESTROY)
        window->after_last_message();
    return result;
}

} // namespace Gfx
