#include "editor/tool_atlas.h"

#include "app/com_call.h"
#include "app/wic_calls.h"
#include "fs/resource_image.h"
#include "ui/container_element.h" // root_point in offscreen_target.h climbs containers

#include "support/win/test_graphics.h"
#include "ui/offscreen_target.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

using Microsoft::WRL::ComPtr;
using TestSupport::OffscreenTarget;
using TestSupport::Rgb;
using TestSupport::test_graphics;

namespace {

// Premultiplied pixel, 0-255 per channel.
struct Premultiplied {
    float r, g, b, a;
};

class Picture {
public:
    explicit Picture(const char* name)
    {
        IWICImagingFactory* wic = test_graphics().wic_factory.Get();
        ComPtr<IWICBitmapSource> source = Images::decode_image(wic, Images::open_png_resource(wic, name).Get());
        App::get_size(source.Get(), &width, &height);
        m_pixels.resize(static_cast<std::size_t>(width) * height);
        App::copy_pixels(source.Get(), nullptr, width * 4, static_cast<UINT>(m_pixels.size() * 4),
                         reinterpret_cast<BYTE*>(m_pixels.data()));
    }

    Premultiplied at(UINT x, UINT y) const
    {
        std::uint32_t p = m_pixels[static_cast<std::size_t>(y) * width + x];
        return {float((p >> 16) & 0xFF), float((p >> 8) & 0xFF), float(p & 0xFF), float(p >> 24)};
    }

    UINT width = 0;
    UINT height = 0;

private:
    std::vector<std::uint32_t> m_pixels;
};

Premultiplied over(const Premultiplied& top, const Premultiplied& bottom)
{
    float keep = 1.0f - top.a / 255.0f;
    return {top.r + bottom.r * keep, top.g + bottom.g * keep, top.b + bottom.b * keep, top.a + bottom.a * keep};
}

Rgb on_white(const Premultiplied& p)
{
    float keep = 255.0f - p.a;
    return {int(std::lround(p.r + keep)), int(std::lround(p.g + keep)), int(std::lround(p.b + keep))};
}

// What the atlas must hold at (x, y), worked out from the two pictures: the toolbar's
// upper row as it is; below, each widget-type icon with the toolbar's badge cell over it.
Premultiplied expected_atlas(const Picture& toolbar, const Picture& types, UINT x, UINT y)
{
    if (y < 16)
        return toolbar.at(x, y);
    return over(toolbar.at(48 + x % 16, y - 16), types.at(x, y - 16));
}

// Draws a bitmap at its own size at the origin.
class BitmapView : public Ui::Element {
public:
    explicit BitmapView(ID2D1Bitmap* bitmap) : m_bitmap(bitmap) {}
    void draw(ID2D1RenderTarget* target) override
    {
        D2D1_SIZE_F size = m_bitmap->GetSize();
        target->DrawBitmap(m_bitmap, D2D1::RectF(0, 0, size.width, size.height), 1.0f,
                           D2D1_BITMAP_INTERPOLATION_MODE_NEAREST_NEIGHBOR, nullptr);
    }

private:
    ID2D1Bitmap* m_bitmap;
};

// Every pixel of the atlas as drawn over white against the expectation; counts misses.
int count_mismatches(const OffscreenTarget& target, int tolerance, UINT first_row, UINT last_row)
{
    Picture toolbar("TOOLBAR");
    Picture types("WIDGET_TYPES");
    int misses = 0;
    for (UINT y = first_row; y < last_row; ++y) {
        for (UINT x = 0; x < 256; ++x) {
            Rgb want = on_white(expected_atlas(toolbar, types, x, y));
            Rgb got = target.pixel(x, y);
            if (!got.close_to(want, tolerance)) {
                if (misses < 5)
                    ADD_FAILURE() << "atlas pixel (" << x << ", " << y << "): " << got << ", expected " << want;
                ++misses;
            }
        }
    }
    return misses;
}

} // namespace

TEST(ToolAtlas, IsTheToolbarPictureOverTheWidgetIconsWithTheBadgeOnEach)
{
    OffscreenTarget target(test_graphics(), 256, 32);
    ComPtr<ID2D1Bitmap> atlas = Editor::compose_tool_atlas(target.target(), test_graphics().wic_factory.Get());
    ASSERT_NE(atlas, nullptr);
    EXPECT_EQ(atlas->GetSize().width, 256.0f);
    EXPECT_EQ(atlas->GetSize().height, 32.0f);

    BitmapView view(atlas.Get());
    target.draw(view);
    EXPECT_EQ(count_mismatches(target, 3, 0, 32), 0);
}

TEST(ToolAtlas, TheThirdAddWidgetCellShowsTheCheckBoxWithTheBadgeAtItsLowerLeft)
{
    OffscreenTarget target(test_graphics(), 256, 32);
    ComPtr<ID2D1Bitmap> atlas = Editor::compose_tool_atlas(target.target(), test_graphics().wic_factory.Get());
    BitmapView view(atlas.Get());
    target.draw(view);

    // Cell (32, 16)-(48, 32). The badge: dark green rim, white cross centred at (3, 12)
    // of the cell, green between its arms.
    EXPECT_TRUE(target.pixel(32 + 0, 16 + 12).close_to({26, 112, 36}, 3)) << target.pixel(32, 28);
    EXPECT_TRUE(target.pixel(32 + 3, 16 + 12).close_to({255, 255, 255}, 3)) << target.pixel(35, 28);
    EXPECT_TRUE(target.pixel(32 + 1, 16 + 10).close_to({58, 170, 62}, 3)) << target.pixel(33, 26);
    // The check box's tick pokes out of its upper right corner, untouched by the badge.
    EXPECT_TRUE(target.pixel(32 + 14, 16 + 3).close_to({58, 170, 62}, 3)) << target.pixel(46, 19);
    // The box's own outline on its right, and white inside it.
    EXPECT_TRUE(target.pixel(32 + 13, 16 + 12).close_to({36, 36, 40}, 3)) << target.pixel(45, 28);
    EXPECT_TRUE(target.pixel(32 + 10, 16 + 12).close_to({255, 255, 255}, 3)) << target.pixel(42, 28);
    // The toolbar's badge cell itself stays where it was, over nothing.
    EXPECT_TRUE(target.pixel(48 + 3, 12).close_to({255, 255, 255}, 3));
    EXPECT_TRUE(target.pixel(48 + 0, 12).close_to({26, 112, 36}, 3));
    EXPECT_TRUE(target.pixel(48 + 12, 3).close_to({255, 255, 255}, 0)) << "transparent: the white behind";
}

TEST(ToolAtlas, KeepsItsTransparencyOnATargetWithoutAlpha)
{
    // A window's target ignores alpha; the atlas made from it must not.
    Gfx::GraphicsContext& graphics = test_graphics();
    ComPtr<IWICBitmap> bitmap = App::create_bitmap(graphics.wic_factory.Get(), 256, 32, GUID_WICPixelFormat32bppBGR,
                                                   WICBitmapCacheOnLoad);
    D2D1_RENDER_TARGET_PROPERTIES properties = D2D1::RenderTargetProperties(
        D2D1_RENDER_TARGET_TYPE_DEFAULT, D2D1::PixelFormat(DXGI_FORMAT_B8G8R8A8_UNORM, D2D1_ALPHA_MODE_IGNORE), 96.0f,
        96.0f);
    ComPtr<ID2D1RenderTarget> target;
    App::check(graphics.d2d_factory->CreateWicBitmapRenderTarget(bitmap.Get(), properties, &target),
               "ID2D1Factory::CreateWicBitmapRenderTarget");

    ComPtr<ID2D1Bitmap> atlas = Editor::compose_tool_atlas(target.Get(), graphics.wic_factory.Get());
    target->BeginDraw();
    target->Clear(D2D1::ColorF(1.0f, 1.0f, 1.0f, 1.0f));
    target->DrawBitmap(atlas.Get(), D2D1::RectF(0, 0, 256, 32), 1.0f, D2D1_BITMAP_INTERPOLATION_MODE_NEAREST_NEIGHBOR,
                       nullptr);
    App::check(target->EndDraw(), "ID2D1RenderTarget::EndDraw");

    std::vector<std::uint32_t> pixels(256 * 32);
    App::copy_pixels(bitmap.Get(), nullptr, 256 * 4, static_cast<UINT>(pixels.size() * 4),
                     reinterpret_cast<BYTE*>(pixels.data()));
    auto rgb = [&](UINT x, UINT y) { return pixels[y * 256 + x] & 0xFFFFFF; };
    EXPECT_EQ(rgb(0, 0), 0xFFFFFFu) << "beside the arrow's tip";
    EXPECT_EQ(rgb(200, 8), 0xFFFFFFu) << "an empty cell of the upper row";
    EXPECT_EQ(rgb(96 + 4, 16 + 1), 0xFFFFFFu) << "above the button icon of the lower row";
    EXPECT_EQ(rgb(48 + 12, 3), 0xFFFFFFu) << "the badge cell away from the badge";
    EXPECT_EQ(rgb(3, 0), 0x242428u) << "the arrow's tip";
}
