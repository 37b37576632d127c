#pragma once
// The program's main window: the module list, which opening a module replaces by that
// module's screen list. Keys go to the editor of an open screen first. Closing the
// window ends the process at once.

#include "gfx/graphics_context.h"
#include "gfx/top_level_window.h"

namespace Editor {
class EditorWorkspace;
}

namespace Start {

class ModuleSelector;

class StartWindow : public Gfx::TopLevelWindow {
public:
    // Builds the module list of every installation folder; the window is not open yet.
    explicit StartWindow(Gfx::GraphicsContext* graphics);
    ~StartWindow() override;

    ModuleSelector* modules() const { return m_modules; }
    // The editor of the open screen, or null while a list is shown.
    Editor::EditorWorkspace* shown_editor() const;

    // Fits the module list to the client area.
    void on_resized() override;

protected:
    LRESULT handle_message(UINT message, WPARAM wparam, LPARAM lparam) override;

private:
    ModuleSelector* m_modules = nullptr; // the only child
};

// Initialises the common controls and opens the start window, 800 x 600 DIPs, titled
// "Tarvok Screen Editor". The window owns itself once open.
void open_start_window(Gfx::GraphicsContext& graphics);

} // namespace Start
