#include "start/start_window.h"

#include <windows.h>
#include <commctrl.h>

#include <memory>

namespace Start {

StartWindow::StartWindow(Gfx::GraphicsContext* graphics) : TopLevelWindow(graphics) {}

// Destroying the main window ends the process with exit code 0, without waiting for
// anything else (a module still loading in the background, say). An object whose
// window never opened is just deleted, so a failed open reaches the fatal box.
StartWindow::~StartWindow()
{
    if (hwnd())
        ExitProcess(0);
}

LRESULT StartWindow::handle_message(UINT message, WPARAM wparam, LPARAM lparam)
{
    LRESULT result = TopLevelWindow::handle_message(message, wparam, lparam);
    if (message == WM_NCDESTROY)
        ExitProcess(0);
    return result;
}

void open_start_window(Gfx::GraphicsContext& graphics)
{
    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof(controls);
    controls.dwICC = ICC_STANDARD_CLASSES | ICC_TREEVIEW_CLASSES;
    InitCommonControlsEx(&controls);

    auto window = std::make_unique<StartWindow>(&graphics);
    window->open(L"Tarvok Screen Editor", 800.0f, 600.0f);
    // From here on the window procedure deletes it after its last message.
    window.release();
}

} // namespace Start
