#pragma once
// The program's main window. Closing it ends the process at once.

#include "gfx/graphics_context.h"
#include "gfx/top_level_window.h"

namespace Start {

class StartWindow : public Gfx::TopLevelWindow {
public:
    explicit StartWindow(Gfx::GraphicsContext* graphics);
    ~StartWindow() override;

protected:
    LRESULT handle_message(UINT message, WPARAM wparam, LPARAM lparam) override;
};

// Initialises the common controls and opens the start window, 800 x 600 DIPs, titled
// "Tarvok Screen Editor". The window owns itself once open.
void open_start_window(Gfx::GraphicsContext& graphics);

} // namespace Start
