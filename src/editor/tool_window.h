#pragma once
// The base of the editor's floating tool windows: a layered, topmost tool window owned
// by the editor's window (it minimises and closes with it), nearly opaque while the
// mouse is over it and half transparent otherwise, that remembers its position and
// client size in a frame of its kind for the whole run. Sizes are kept in DIPs and
// scaled by the display's DPI.

#include "editor/tool_window_placement.h"
#include "gfx/native_window.h"

namespace Editor {

// Layered opacity with the mouse over the window, and elsewhere.
constexpr BYTE hovered_alpha = 240;
constexpr BYTE resting_alpha = 128;

class ToolWindow : public Gfx::NativeWindow {
public:
    const RememberedFrame& frame() const { return *m_frame; }
    // Device pixels per inch of the window's display.
    float dpi() const { return m_dpi; }
    // `dips` in the window's device pixels, rounded up.
    int pixels(std::int32_t dips) const;

protected:
    explicit ToolWindow(RememberedFrame& frame) : m_frame(&frame) {}

    // Places the window on first use (`fraction` of the free width in from the owner's
    // left edge, centred vertically), then creates it at the remembered frame with the
    // tool-window styles, owned by `owner`, half transparent.
    void create_floating(const wchar_t* title, float fraction, HWND owner);

    // Messages the base does not take; the default window procedure by default.
    virtual LRESULT window_message(UINT message, WPARAM wparam, LPARAM lparam);
    // After every change of the client size.
    virtual void on_resized(int width, int height) {}
    // The part of the client width that is the window's own, which the frame remembers
    // (a docked side window is not).
    virtual int own_client_width(int width) const { return width; }

    LRESULT handle_message(UINT message, WPARAM wparam, LPARAM lparam) final;

private:
    RememberedFrame* m_frame;
    float m_dpi = 96.0f;
};

// The display's DPI, as the editor's window is laid out by.
float display_dpi();

// The client size of `hwnd`.
SIZE client_size(HWND hwnd);

} // namespace Editor
