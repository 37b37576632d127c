#include "start/start_window.h"

#include "start/installation_folders.h"
#include "start/module_selector.h"
#include "start/screen_selector.h"
#include "editor/editor_workspace.h"

#include <windows.h>
#include <commctrl.h>

#include <memory>

namespace Start {

StartWindow::StartWindow(Gfx::GraphicsContext* graphics) : TopLevelWindow(graphics)
{
    auto modules = std::make_unique<ModuleSelector>(graphics);
    find_installation_folders(*modules);
    m_modules = insert(std::move(modules), last_child());
    on_resized();
}

// Destroying the main window ends the process with exit code 0, without waiting for
// anything else (a module still loading in the background, say). An object whose
// window never opened is just deleted, so a failed open reaches the fatal box.
StartWindow::~StartWindow()
{
    if (hwnd())
        ExitProcess(0);
}

void StartWindow::on_resized()
{
    if (m_modules)
        m_modules->set_bounds(0.0f, 0.0f, width(), height());
    TopLevelWindow::on_resized();
}

LRESULT StartWindow::handle_message(UINT message, WPARAM wparam, LPARAM lparam)
{
    if (message == WM_KEYDOWN) {
        Editor::EditorWorkspace* editor = shown_editor();
        if (editor && editor->handle_key(static_cast<unsigned>(wparam), GetKeyState(VK_CONTROL) < 0,
                                         GetKeyState(VK_SHIFT) < 0, GetKeyState(VK_MENU) < 0))
            return 0;
    }
    // The Alt that dragged on the screen is no menu key when it is released.
    if (message == WM_SYSCOMMAND && (wparam & 0xFFF0) == SC_KEYMENU && lparam == 0) {
        Editor::EditorWorkspace* editor = shown_editor();
        if (editor && editor->take_alt_drag())
            return 0;
    }
    LRESULT result = TopLevelWindow::handle_message(message, wparam, lparam);
    if (message == WM_NCDESTROY)
        ExitProcess(0);
    return result;
}

Editor::EditorWorkspace* StartWindow::shown_editor() const
{
    auto* screens = dynamic_cast<ScreenSelector*>(m_modules ? m_modules->detail() : nullptr);
    return dynamic_cast<Editor::EditorWorkspace*>(screens ? screens->detail() : nullptr);
}

void open_start_window(Gfx::GraphicsContext& graphics)
{
    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof(controls);
    controls.dwICC = ICC_STANDARD_CLASSES | ICC_TREEVIEW_CLASSES;
    InitCommonControlsEx(&controls);

    // The list is built before the window opens: a failure then reaches the fatal box,
    // where a window already open would end the process quietly when it goes.
    auto window = std::make_unique<StartWindow>(&graphics);
    window->open(L"Tarvok Screen Editor", 800.0f, 600.0f);
    // From here on the window procedure deletes it after its last message.
    StartWindow* opened = window.release();
    opened->on_resized();
}

} // namespace Start
