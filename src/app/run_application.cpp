#include "app/run_application.h"

#include "app/message_loop.h"
#include "gfx/graphics_context.h"
#include "start/start_window.h"

int run_application()
{
    // Outlives every window; released backwards on every way out.
    Gfx::GraphicsContext graphics;
    Gfx::create_graphics_context(graphics);
    Start::open_start_window(graphics);
    return App::run_message_loop();
}
