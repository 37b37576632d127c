#pragma once
// The floating tool windows that open with an editor workspace: the property grid and
// the outline. Closing the workspace closes those the user has not closed already.

#include "ui/editor_workspace.h"

#include "gfx/native_window.h"

namespace Editor {

class OutlineWindow;
class PropertiesWindow;

class EditorToolWindows : public Ui::EditorWorkspace::ToolWindows {
public:
    explicit EditorToolWindows(Ui::EditorWorkspace& editor);
    ~EditorToolWindows() override;

    // Both windows, where still open, follow the new document.
    void document_replaced() override;

    // Null once the window has been closed.
    OutlineWindow* outline() const { return m_outline.get(); }
    PropertiesWindow* properties() const { return m_properties.get(); }

    // What the program hands the workspace, so that every opened screen gets its windows.
    static Ui::EditorWorkspace::ToolWindowFactory factory();

private:
    Gfx::WindowLink<PropertiesWindow> m_properties;
    Gfx::WindowLink<OutlineWindow> m_outline;
};

} // namespace Editor
