#pragma once
// Whether Direct2D layers apply their opacity on this system. Some implementations
// accept PushLayer and ignore it; the screen then dims through an off-screen canvas
// instead, with the same result.

#include <optional>

namespace Gfx {
struct GraphicsContext;
}

namespace Screen {

// Probed once per process on a tiny software target.
bool layers_apply_opacity(Gfx::GraphicsContext* graphics);

// Tests force either way (nothing: probe again).
void set_layers_apply_opacity(std::optional<bool> answer);

} // namespace Screen
