#pragma once
// Draws elements into a WIC bitmap and reads its pixels back, so that tests can check
// colours without a window.

#include "app/com_call.h"
#include "gfx/graphics_context.h"
#include "ui/element.h"

#include <d2d1.h>
#include <d2d1helper.h>
#include <wincodec.h>
#include <wrl/client.h>

#include <cstdint>
#include <cstdlib>
#include <ostream>
#include <vector>

namespace TestSupport {

struct Rgb {
    int r, g, b;
    bool close_to(const Rgb& other, int tolerance) const
    {
        return std::abs(r - other.r) <= tolerance && std::abs(g - other.g) <= tolerance &&
               std::abs(b - other.b) <= tolerance;
    }
};

inline std::ostream& operator<<(std::ostream& out, const Rgb& c)
{
    return out << "(" << c.r << ", " << c.g << ", " << c.b << ")";
}

class OffscreenTarget {
public:
    OffscreenTarget(Gfx::GraphicsContext& graphics, UINT width, UINT height) : m_width(width), m_height(height)
    {
        App::check(graphics.wic_factory->CreateBitmap(width, height, GUID_WICPixelFormat32bppPBGRA,
                                                      WICBitmapCacheOnLoad, &m_bitmap),
                   "IWICImagingFactory::CreateBitmap");
        D2D1_RENDER_TARGET_PROPERTIES properties = D2D1::RenderTargetProperties(
            D2D1_RENDER_TARGET_TYPE_DEFAULT, D2D1::PixelFormat(DXGI_FORMAT_B8G8R8A8_UNORM, D2D1_ALPHA_MODE_PREMULTIPLIED),
            96.0f, 96.0f);
        App::check(graphics.d2d_factory->CreateWicBitmapRenderTarget(m_bitmap.Get(), properties, &m_target),
                   "ID2D1Factory::CreateWicBitmapRenderTarget");
        m_target->SetAntialiasMode(D2D1_ANTIALIAS_MODE_PER_PRIMITIVE);
    }

    ID2D1RenderTarget* target() const { return m_target.Get(); }

    // White, then `element` at its own transform, as a window draws its children.
    void draw(Ui::Element& element)
    {
        m_target->BeginDraw();
        m_target->SetTransform(D2D1::Matrix3x2F::Identity());
        m_target->Clear(D2D1::ColorF(1.0f, 1.0f, 1.0f, 1.0f));
        m_target->SetTransform(element.transform());
        element.draw(m_target.Get());
        App::check(m_target->EndDraw(), "ID2D1RenderTarget::EndDraw");
        read_back();
    }

    Rgb pixel(UINT x, UINT y) const
    {
        std::uint32_t value = m_pixels[static_cast<std::size_t>(y) * m_width + x];
        return {static_cast<int>((value >> 16) & 0xFF), static_cast<int>((value >> 8) & 0xFF),
                static_cast<int>(value & 0xFF)};
    }

private:
    void read_back()
    {
        m_pixels.assign(static_cast<std::size_t>(m_width) * m_height, 0);
        WICRect all{0, 0, static_cast<INT>(m_width), static_cast<INT>(m_height)};
        App::check(m_bitmap->CopyPixels(&all, m_width * 4, static_cast<UINT>(m_pixels.size() * 4),
                                        reinterpret_cast<BYTE*>(m_pixels.data())),
                   "IWICBitmap::CopyPixels");
    }

    UINT m_width;
    UINT m_height;
    Microsoft::WRL::ComPtr<IWICBitmap> m_bitmap;
    Microsoft::WRL::ComPtr<ID2D1RenderTarget> m_target;
    std::vector<std::uint32_t> m_pixels;
};

// The point (x, y) of `element` in the coordinates of its root (a window's client DIPs).
inline D2D1_POINT_2F root_point(const Ui::Element& element, float x, float y)
{
    D2D1_POINT_2F point{x, y};
    for (const Ui::Element* e = &element; e && e->parent(); e = e->parent()) {
        D2D1_MATRIX_3X2_F m = e->transform();
        point = {m.m11 * point.x + m.m21 * point.y + m.dx, m.m12 * point.x + m.m22 * point.y + m.dy};
    }
    return point;
}

} // namespace TestSupport
