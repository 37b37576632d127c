#include "editor/tool_atlas.h"

#include "app/d2d_calls.h"
#include "fs/resource_image.h"

namespace Editor {

using Microsoft::WRL::ComPtr;

namespace {

ComPtr<ID2D1Bitmap> load_picture(ID2D1RenderTarget* target, IWICImagingFactory* wic_factory, const char* name)
{
    ComPtr<IWICStream> stream = Images::open_png_resource(wic_factory, name);
    ComPtr<IWICBitmapSource> source = Images::decode_image(wic_factory, stream.Get());
    return App::create_bitmap_from_wic_bitmap(target, source.Get());
}

} // namespace

ComPtr<ID2D1Bitmap> compose_tool_atlas(ID2D1RenderTarget* target, IWICImagingFactory* wic_factory)
{
    ComPtr<ID2D1Bitmap> toolbar = load_picture(target, wic_factory, "TOOLBAR");
    ComPtr<ID2D1Bitmap> widget_types = load_picture(target, wic_factory, "WIDGET_TYPES");

    const D2D1_SIZE_F size = toolbar->GetSize();
    // No pixel format asked: premultiplied alpha, even over a window's opaque target.
    ComPtr<ID2D1BitmapRenderTarget> atlas_target = App::create_compatible_render_target(target, size);
    atlas_target->BeginDraw();
    // A new target's pixels are not defined: the empty cells must stay transparent.
    atlas_target->Clear(D2D1::ColorF(0.0f, 0.0f, 0.0f, 0.0f));
    atlas_target->DrawBitmap(toolbar.Get(), D2D1::RectF(0.0f, 0.0f, size.width, size.height), 1.0f,
                             D2D1_BITMAP_INTERPOLATION_MODE_LINEAR, nullptr);
    const D2D1_SIZE_F types_size = widget_types->GetSize();
    atlas_target->DrawBitmap(widget_types.Get(), D2D1::RectF(0.0f, 16.0f, types_size.width, 32.0f), 1.0f,
                             D2D1_BITMAP_INTERPOLATION_MODE_LINEAR, nullptr);
    // Source-over: the widget icon stays visible around the badge.
    for (float x = 0.0f; x <= 240.0f; x += 16.0f) {
        atlas_target->DrawBitmap(toolbar.Get(), D2D1::RectF(x, 16.0f, x + 16.0f, 32.0f), 1.0f,
                                 D2D1_BITMAP_INTERPOLATION_MODE_LINEAR, &tool_atlas_badge_cell);
    }
    App::end_draw(atlas_target.Get());
    return App::get_bitmap(atlas_target.Get());
}

} // namespace Editor
