#include "render/offscreen_device_target.h"

#include "app/com_call.h"
#include "app/d2d_calls.h"
#include "app/d3d10_calls.h"
#include "render/staging_copy.h"


namespace Render {

using Microsoft::WRL::ComPtr;

OffscreenDeviceTarget::OffscreenDeviceTarget(const Gfx::GraphicsContext& graphics, std::uint32_t width,
                                             std::uint32_t height)
    : m_graphics(graphics), m_width(width), m_height(height)
{
    D3D10_TEXTURE2D_DESC description = {};
    description.Width = width;
    description.Height = height;
    description.MipLevels = 1;
    description.ArraySize = 1;
    description.Format = DXGI_FORMAT_B8G8R8A8_UNORM;
    description.SampleDesc.Count = 1;
    description.Usage = D3D10_USAGE_DEFAULT;
    description.BindFlags = D3D10_BIND_RENDER_TARGET | D3D10_BIND_SHADER_RESOURCE;
    m_texture = App::create_texture_2d(graphics.device.Get(), description, nullptr);
    ComPtr<IDXGISurface> surface;
    App::check(m_texture.As(&surface), "ID3D10Texture2D::QueryInterface");
    D2D1_RENDER_TARGET_PROPERTIES properties = D2D1::RenderTargetProperties(
        D2D1_RENDER_TARGET_TYPE_DEFAULT, D2D1::PixelFormat(DXGI_FORMAT_B8G8R8A8_UNORM, D2D1_ALPHA_MODE_PREMULTIPLIED),
        96.0f, 96.0f);
    m_target = App::create_dxgi_surface_render_target(graphics.d2d_factory.Get(), surface.Get(), properties);
}

void OffscreenDeviceTarget::draw(ID2D1Bitmap* bitmap)
{
    m_target->BeginDraw();
    m_target->SetTransform(D2D1::Matrix3x2F::Identity());
    m_target->Clear(D2D1::ColorF(0.0f, 0.0f, 0.0f, 0.0f));
    if (bitmap) {
        D2D1_SIZE_U size = bitmap->GetPixelSize();
        D2D1_RECT_F rectangle = D2D1::RectF(0.0f, 0.0f, static_cast<float>(size.width), static_cast<float>(size.height));
        m_target->DrawBitmap(bitmap, rectangle, 1.0f, D2D1_BITMAP_INTERPOLATION_MODE_NEAREST_NEIGHBOR, rectangle);
    }
    App::end_draw(m_target.Get());
}

void OffscreenDeviceTarget::draw(Ui::Element& element, const D2D1_COLOR_F& background)
{
    draw([&](ID2D1RenderTarget* target) { element.draw(target); }, background, element.transform());
}

void OffscreenDeviceTarget::draw(const std::function<void(ID2D1RenderTarget*)>& paint, const D2D1_COLOR_F& background,
                                 const D2D1_MATRIX_3X2_F& transform)
{
    m_target->BeginDraw();
    m_target->SetTransform(D2D1::Matrix3x2F::Identity());
    m_target->Clear(background);
    m_target->SetTransform(transform);
    try {
        paint(m_target.Get());
    } catch (...) {
        m_target->EndDraw();
        throw;
    }
    App::end_draw(m_target.Get());
}

std::vector<std::uint32_t> OffscreenDeviceTarget::read_pixels() const
{
    return StagingCopy(m_graphics.device.Get(), m_texture.Get()).pixels();
}

std::uint32_t unpremultiply(std::uint32_t pixel)
{
    const std::uint32_t a = pixel >> 24;
    if (a == 0)
        return 0;
    if (a == 255)
        return pixel;
    auto channel = [a](std::uint32_t c) {
        std::uint32_t straight = (c * 255 + a / 2) / a;
        return straight > 255 ? 255u : straight;
    };
    return (a << 24) | (channel((pixel >> 16) & 0xFF) << 16) | (channel((pixel >> 8) & 0xFF) << 8) |
           channel(pixel & 0xFF);
}

} // namespace Render
