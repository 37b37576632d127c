#include "editor/editor_tool_windows.h"

#include "editor/outline_window.h"
#include "editor/properties_window.h"

namespace Editor {

EditorToolWindows::EditorToolWindows(Ui::EditorWorkspace& editor)
{
    m_properties = Gfx::WindowLink<PropertiesWindow>(PropertiesWindow::open(editor));
    try {
        m_outline = Gfx::WindowLink<OutlineWindow>(OutlineWindow::open(editor));
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

void EditorToolWindows::document_replaced()
{
    if (m_outline.get())
        m_outline.get()->document_replaced();
    if (m_properties.get())
        m_properties.get()->document_replaced();
}

Ui::EditorWorkspace::ToolWindowFactory EditorToolWindows::factory()
{
    return [](Ui::EditorWorkspace& editor) -> std::unique_ptr<Ui::EditorWorkspace::ToolWindows> {
        return std::make_unique<EditorToolWindows>(editor);
    };
}

} // namespace Editor
