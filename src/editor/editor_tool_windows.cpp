#include "editor/editor_tool_windows.h"

#include "editor/editor_workspace.h"
#include "editor/outline_window.h"
#include "editor/properties_window.h"

namespace Editor {

EditorToolWindows::EditorToolWindows(EditorWorkspace& editor, HWND owner) : m_editor(editor), m_owner(owner)
{
    m_properties = Gfx::WindowLink<PropertiesWindow>(PropertiesWindow::open(editor, owner));
    try {
        m_outline = Gfx::WindowLink<OutlineWindow>(OutlineWindow::open(editor, owner));
    } catch (...) {
        delete m_properties.get();
        throw;
    }
}

EditorToolWindows::~EditorToolWindows()
{
    // Deleting a window object destroys its window without letting its last messages
    // reach the half-destroyed object.
    delete m_outline.get();
    delete m_properties.get();
}

void EditorToolWindows::show()
{
    if (!m_properties.get())
        m_properties = Gfx::WindowLink<PropertiesWindow>(PropertiesWindow::open(m_editor, m_owner));
    if (!m_outline.get())
        m_outline = Gfx::WindowLink<OutlineWindow>(OutlineWindow::open(m_editor, m_owner));
    for (HWND window : {m_properties.get()->hwnd(), m_outline.get()->hwnd()}) {
        if (IsWindowVisible(window))
            SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
}

void EditorToolWindows::begin_rename()
{
    if (OutlineWindow* outline = m_outline.get())
        outline->begin_rename();
}

} // namespace Editor
