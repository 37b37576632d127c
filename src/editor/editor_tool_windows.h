#pragma once
// The floating tool windows of an editor workspace: the property grid and the outline,
// owned by the editor's window. The user may close either; showing them again opens
// those closed. Destroying the set closes those still open.

#include "gfx/native_window.h"

namespace Editor {

class EditorWorkspace;
class OutlineWindow;
class PropertiesWindow;

class EditorToolWindows {
public:
    // Opens both windows, owned by `owner` (the window the workspace is in).
    EditorToolWindows(EditorWorkspace& editor, HWND owner);
    ~EditorToolWindows();
    EditorToolWindows(const EditorToolWindows&) = delete;
    EditorToolWindows& operator=(const EditorToolWindows&) = delete;

    // Opens the windows that were closed, and brings those open forward (the Properties
    // window only while something is selected), without taking the focus.
    void show();
    // Starts editing the selection's name in the outline's tree.
    void begin_rename();

    // Null once the window has been closed.
    OutlineWindow* outline() const { return m_outline.get(); }
    PropertiesWindow* properties() const { return m_properties.get(); }

private:
    EditorWorkspace& m_editor;
    HWND m_owner;
    Gfx::WindowLink<PropertiesWindow> m_properties;
    Gfx::WindowLink<OutlineWindow> m_outline;
};

} // namespace Editor
