#include "support/win/test_window.h"

#include "support/win/message_pump.h"
#include "support/win/test_graphics.h"

namespace TestSupport {

TestWindow::TestWindow(Gfx::GraphicsContext* graphics) : TopLevelWindow(graphics ? graphics : &test_graphics()) {}

TestWindow::~TestWindow()
{
    if (destroyed)
        *destroyed = true;
}

void TestWindow::draw(ID2D1RenderTarget* target)
{
    ++paint_count;
    TopLevelWindow::draw(target);
    if (on_draw)
        on_draw(*this);
}

void TestWindow::on_resized()
{
    ++resized_count;
    TopLevelWindow::on_resized();
}

LRESULT TestWindow::handle_message(UINT message, WPARAM wparam, LPARAM lparam)
{
    if (on_message)
        on_message(message);
    return TopLevelWindow::handle_message(message, wparam, lparam);
}

D2D1_SIZE_F TestWindow::desktop_dpi() const
{
    if (forced_dpi > 0.0f)
        return {forced_dpi, forced_dpi};
    return TopLevelWindow::desktop_dpi();
}

OpenedWindow::OpenedWindow(TestWindow* window, float width, float height, const std::wstring& title)
    : m_window(window), m_hwnd(nullptr)
{
    try {
        window->open(title, width, height);
    } catch (...) {
        delete window;
        throw;
    }
    m_hwnd = window->hwnd();
}

OpenedWindow::~OpenedWindow()
{
    if (IsWindow(m_hwnd))
        DestroyWindow(m_hwnd);
    take_quit_message();
}

} // namespace TestSupport
