#pragma once
// One-call wrappers of the Direct2D methods the program uses.

#include "app/com_call.h"

#include <d2d1.h>
#include <dxgi.h>
#include <wrl/client.h>

namespace App {

inline Microsoft::WRL::ComPtr<ID2D1StrokeStyle> create_stroke_style(ID2D1Factory* factory,
                                                                    const D2D1_STROKE_STYLE_PROPERTIES& properties,
                                                                    const FLOAT* dashes, UINT32 dash_count)
{
    Microsoft::WRL::ComPtr<ID2D1StrokeStyle> style;
    check(factory->CreateStrokeStyle(&properties, dashes, dash_count, &style), "ID2D1Factory::CreateStrokeStyle");
    return style;
}

inline Microsoft::WRL::ComPtr<ID2D1RenderTarget> create_dxgi_surface_render_target(
    ID2D1Factory* factory, IDXGISurface* surface, const D2D1_RENDER_TARGET_PROPERTIES& properties)
{
    Microsoft::WRL::ComPtr<ID2D1RenderTarget> target;
    check(factory->CreateDxgiSurfaceRenderTarget(surface, &properties, &target),
          "ID2D1Factory::CreateDxgiSurfaceRenderTarget");
    return target;
}

inline Microsoft::WRL::ComPtr<ID2D1SolidColorBrush> create_solid_color_brush(ID2D1RenderTarget* target,
                                                                            const D2D1_COLOR_F& colour)
{
    Microsoft::WRL::ComPtr<ID2D1SolidColorBrush> brush;
    check(target->CreateSolidColorBrush(colour, &brush), "ID2D1RenderTarget::CreateSolidColorBrush");
    return brush;
}

inline Microsoft::WRL::ComPtr<ID2D1GradientStopCollection> create_gradient_stop_collection(
    ID2D1RenderTarget* target, const D2D1_GRADIENT_STOP* stops, UINT32 count)
{
    Microsoft::WRL::ComPtr<ID2D1GradientStopCollection> collection;
    check(target->CreateGradientStopCollection(stops, count, D2D1_GAMMA_2_2, D2D1_EXTEND_MODE_CLAMP, &collection),
          "ID2D1RenderTarget::CreateGradientStopCollection");
    return collection;
}

inline Microsoft::WRL::ComPtr<ID2D1LinearGradientBrush> create_linear_gradient_brush(
    ID2D1RenderTarget* target, const D2D1_LINEAR_GRADIENT_BRUSH_PROPERTIES& properties,
    ID2D1GradientStopCollection* stops)
{
    Microsoft::WRL::ComPtr<ID2D1LinearGradientBrush> brush;
    check(target->CreateLinearGradientBrush(properties, stops, &brush), "ID2D1RenderTarget::CreateLinearGradientBrush");
    return brush;
}

inline Microsoft::WRL::ComPtr<ID2D1Layer> create_layer(ID2D1RenderTarget* target)
{
    Microsoft::WRL::ComPtr<ID2D1Layer> layer;
    check(target->CreateLayer(nullptr, &layer), "ID2D1RenderTarget::CreateLayer");
    return layer;
}

inline Microsoft::WRL::ComPtr<ID2D1BitmapRenderTarget> create_compatible_render_target(ID2D1RenderTarget* target,
                                                                                      const D2D1_SIZE_F& size)
{
    Microsoft::WRL::ComPtr<ID2D1BitmapRenderTarget> compatible;
    check(target->CreateCompatibleRenderTarget(size, &compatible), "ID2D1RenderTarget::CreateCompatibleRenderTarget");
    return compatible;
}

inline Microsoft::WRL::ComPtr<ID2D1Bitmap> get_bitmap(ID2D1BitmapRenderTarget* target)
{
    Microsoft::WRL::ComPtr<ID2D1Bitmap> bitmap;
    check(target->GetBitmap(&bitmap), "ID2D1BitmapRenderTarget::GetBitmap");
    return bitmap;
}

inline Microsoft::WRL::ComPtr<ID2D1Bitmap> create_bitmap(ID2D1RenderTarget* target, D2D1_SIZE_U size,
                                                        const void* data, UINT32 pitch,
                                                        const D2D1_BITMAP_PROPERTIES& properties)
{
    Microsoft::WRL::ComPtr<ID2D1Bitmap> bitmap;
    check(target->CreateBitmap(size, data, pitch, properties, &bitmap), "ID2D1RenderTarget::CreateBitmap");
    return bitmap;
}

inline Microsoft::WRL::ComPtr<ID2D1Bitmap> create_bitmap_from_wic_bitmap(ID2D1RenderTarget* target,
                                                                        IWICBitmapSource* source)
{
    Microsoft::WRL::ComPtr<ID2D1Bitmap> bitmap;
    check(target->CreateBitmapFromWicBitmap(source, nullptr, &bitmap), "ID2D1RenderTarget::CreateBitmapFromWicBitmap");
    return bitmap;
}

inline Microsoft::WRL::ComPtr<ID2D1Bitmap> create_shared_bitmap(ID2D1RenderTarget* target, REFIID riid, void* data,
                                                               const D2D1_BITMAP_PROPERTIES& properties)
{
    Microsoft::WRL::ComPtr<ID2D1Bitmap> bitmap;
    check(target->CreateSharedBitmap(riid, data, &properties, &bitmap), "ID2D1RenderTarget::CreateSharedBitmap");
    return bitmap;
}

// Callers that treat D2DERR_RECREATE_TARGET as an event test the raw result first.
inline void end_draw(ID2D1RenderTarget* target)
{
    check(target->EndDraw(), "ID2D1RenderTarget::EndDraw");
}

} // namespace App
