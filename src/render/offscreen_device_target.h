#pragma once
// A Direct2D render target on the graphics context's own device, drawn off screen and
// read back: what a window's target is to textures (shared bitmaps work on it), for
// tvse-tool and tests, which have no window.

#include "gfx/graphics_context.h"
#include "ui/element.h"

#include <d2d1.h>
#include <d3d10_1.h>
#include <wrl/client.h>

#include <cstdint>
#include <functional>
#include <vector>

namespace Render {

class OffscreenDeviceTarget {
public:
    // Raises COMException.
    OffscreenDeviceTarget(const Gfx::GraphicsContext& graphics, std::uint32_t width, std::uint32_t height);

    ID2D1RenderTarget* target() const { return m_target.Get(); }
    std::uint32_t width() const { return m_width; }
    std::uint32_t height() const { return m_height; }

    // Clears to transparent and draws `bitmap` at (0, 0), one texel a pixel.
    void draw(ID2D1Bitmap* bitmap);
    // Clears to `background` and draws `element` at its own transform, as a window draws
    // its children.
    void draw(Ui::Element& element, const D2D1_COLOR_F& background);
    // Clears to `background` and runs `paint` with the target under `transform`.
    void draw(const std::function<void(ID2D1RenderTarget*)>& paint, const D2D1_COLOR_F& background,
              const D2D1_MATRIX_3X2_F& transform);

    // The target's pixels, premultiplied B8G8R8A8 (0xAARRGGBB), row by row from the top.
    std::vector<std::uint32_t> read_pixels() const;

private:
    const Gfx::GraphicsContext& m_graphics;
    std::uint32_t m_width;
    std::uint32_t m_height;
    Microsoft::WRL::ComPtr<ID3D10Texture2D> m_texture;
    Microsoft::WRL::ComPtr<ID2D1RenderTarget> m_target;
};

// Premultiplied 0xAARRGGBB to straight alpha, as image files expect.
std::uint32_t unpremultiply(std::uint32_t pixel);

} // namespace Render
