#pragma once
// Tells top-level windows when the mouse enters and leaves them: WM_USER to the window
// entered and WM_USER + 1 to the window left, sent once per change of the top-level
// window under the mouse, before the mouse message itself is dispatched.

#include <windows.h>

namespace App {

constexpr UINT message_mouse_entered = WM_USER;
constexpr UINT message_mouse_left = WM_USER + 1;

class MouseEntryTracker {
public:
    // Looks at every message the loop reads; only mouse moves matter.
    void on_message(const MSG& message);

    HWND tracked() const { return m_tracked; }

private:
    HWND m_tracked = nullptr;
};

} // namespace App
