#pragma once
// A TopLevelWindow for tests: counts paints, runs a hook while drawing, can pretend to
// run at another desktop DPI, and reports its destruction.

#include "gfx/top_level_window.h"

#include <functional>
#include <string>

namespace TestSupport {

class TestWindow : public Gfx::TopLevelWindow {
public:
    explicit TestWindow(Gfx::GraphicsContext* graphics = nullptr);
    ~TestWindow() override;

    void draw(ID2D1RenderTarget* target) override;
    void on_resized() override;
    LRESULT handle_message(UINT message, WPARAM wparam, LPARAM lparam) override;

    int paint_count = 0;
    int resized_count = 0;
    std::function<void(TestWindow&)> on_draw;
    std::function<void(UINT message)> on_message;
    bool* destroyed = nullptr;
    float forced_dpi = 0.0f; // 0: the desktop's

protected:
    D2D1_SIZE_F desktop_dpi() const override;
};

// Opens a TestWindow and destroys it when the guard goes, if it still exists then; any
// WM_QUIT the destruction posts is removed so that later tests start clean.
class OpenedWindow {
public:
    explicit OpenedWindow(TestWindow* window, float width = 400.0f, float height = 300.0f,
                          const std::wstring& title = L"test window");
    ~OpenedWindow();
    OpenedWindow(const OpenedWindow&) = delete;
    OpenedWindow& operator=(const OpenedWindow&) = delete;

    TestWindow* operator->() const { return m_window; }
    TestWindow& operator*() const { return *m_window; }
    HWND hwnd() const { return m_hwnd; }

private:
    TestWindow* m_window;
    HWND m_hwnd;
};

} // namespace TestSupport
