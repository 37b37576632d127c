#include "support/win/test_graphics.h"

#include <objbase.h>

namespace TestSupport {

Gfx::GraphicsContext& test_graphics()
{
    static Gfx::GraphicsContext* graphics = [] {
        CoInitialize(nullptr);
        // Never released: windows of a failed test may still point at it at exit.
        auto* made = new Gfx::GraphicsContext;
        Gfx::create_graphics_context(*made);
        return made;
    }();
    return *graphics;
}

} // namespace TestSupport
