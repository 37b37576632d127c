#pragma once
// The base of every program window that owns a Win32 handle: it owns the handle,
// routes messages to handle_message, turns a failure in any message into the
// per-window warning box, and keeps all windows in one ring. After WM_NCDESTROY the
// window procedure deletes the object.

#include <windows.h>

#include <memory>

namespace Gfx {

class NativeWindow {
public:
    NativeWindow();
    // Destroys a still existing window without letting its last messages reach the
    // half-destroyed object.
    virtual ~NativeWindow();
    NativeWindow(const NativeWindow&) = delete;
    NativeWindow& operator=(const NativeWindow&) = delete;

    // Registers the class (describe_class) and creates the window with a client area
    // of client_width x client_height pixels; CW_USEDEFAULT as the width lets the
    // system choose the size. Raises COMException "CreateWindowEx". Until it returns,
    // the caller owns the object even if the window dies during creation.
    void create(int client_width, DWORD ex_style, const wchar_t* title, DWORD style, int x, int y,
                int client_height, HWND parent);

    HWND hwnd() const { return m_hwnd; }

    // Expires when the object is destroyed: whoever keeps a pointer to a window that
    // deletes itself (after its last message) keeps this too and checks it first.
    std::weak_ptr<const void> lifetime() const { return m_lifetime; }

    // The ring of live windows, in creation order from the head; null when empty.
    static NativeWindow* ring_head();
    NativeWindow* ring_next() const { return m_ring_next; }

    static LRESULT CALLBACK window_procedure(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);

protected:
    virtual LRESULT handle_message(UINT message, WPARAM wparam, LPARAM lparam) = 0;
    // Fills in at least the class style and name before registration.
    virtual void describe_class(WNDCLASSEXW& description) = 0;

    HWND m_hwnd = nullptr;
    // Taken out of the topmost band while the program is inactive.
    bool m_restore_topmost = false;

private:
    static void adjust_topmost_band(bool activating);
    void after_last_message();

    NativeWindow* m_ring_next = nullptr;
    NativeWindow* m_ring_prev = nullptr;
    bool m_creating = false;
    std::shared_ptr<const void> m_lifetime = std::make_shared<int>(0);
};

// A pointer to a window that may delete itself: null once it has.
template <typename Window>
class WindowLink {
public:
    WindowLink() = default;
    explicit WindowLink(Window* window) : m_window(window), m_lifetime(window ? window->lifetime() : std::weak_ptr<const void>()) {}
    Window* get() const { return m_lifetime.expired() ? nullptr : m_window; }

private:
    Window* m_window = nullptr;
    std::weak_ptr<const void> m_lifetime;
};

} // namespace Gfx
