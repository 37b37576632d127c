#pragma once
// One real graphics context per test process (COM initialised first), as the program
// makes one at start-up.

#include "gfx/graphics_context.h"

namespace TestSupport {

Gfx::GraphicsContext& test_graphics();

} // namespace TestSupport
