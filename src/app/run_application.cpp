#include "app/run_application.h"

#include "app/message_loop.h"
#include "editor/editor_workspace.h"
#include "gfx/graphics_context.h"
#include "mod/loaded_mod.h"
#include "render/resource_set.h"
#include "start/start_window.h"

int run_application()
{
    // Outlives every window; released backwards on every way out.
    Gfx::GraphicsContext graphics;
    Gfx::create_graphics_context(graphics);
    // Every module opened from here on builds its rendering resources in the background.
    Mod::LoadedMod::set_default_resource_builder(Render::resource_set_builder());
    // Every opened screen gets its outline and property grid.
    Editor::EditorWorkspace::set_tool_windows_enabled(true);
    Start::open_start_window(graphics);
    return App::run_message_loop();
}
