#pragma once
// The base of the editor's floating tool windows: a layered, topmost tool window that
// is nearly opaque while the mouse is over it and half transparent otherwise, and that
// remembers its position and client size in a frame of its kind for the whole run.

#include "editor/tool_window_placement.h"
#include "gfx/native_window.h"

namespace Editor {

// Layered opacity with the mouse over the window, and elsewhere.
constexpr BYTE hovered_alpha = 240;
constexpr BYTE resting_alpha = 128;

class ToolWindow : public Gfx::NativeWindow {
public:
    const RememberedFrame& frame() const { return *m_frame; }

protected:
    explicit ToolWindow(RememberedFrame& frame) : m_frame(&frame) {}

    // Places the window on first use (`fraction` of the free width in from the active
    // window's left edge, centred vertically), then creates it at the remembered frame
    // with the tool-window styles, half transparent.
    void create_floating(const wchar_t* title, float fraction);

    // Messages the base does not take; the default window procedure by default.
    virtual LRESULT window_message(UINT message, WPARAM wparam, LPARAM lparam);
    // After every change of the client size.
    virtual void on_resized(int width, int height) {}

    LRESULT handle_message(UINT message, WPARAM wparam, LPARAM lparam) final;

private:
    RememberedFrame* m_frame;
};

// The client size of `hwnd`.
SIZE client_size(HWND hwnd);

} // namespace Editor
