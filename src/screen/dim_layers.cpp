#include "screen/dim_layers.h"

#include "app/com_call.h"
#include "gfx/graphics_context.h"

#include <d2d1.h>
#include <d2d1helper.h>
#include <wincodec.h>
#include <wrl/client.h>

#include <cstdint>

namespace Screen {

namespace {

std::optional<bool> g_answer;

bool probe(Gfx::GraphicsContext* graphics)
{
    using Microsoft::WRL::ComPtr;
    if (!graphics || !graphics->wic_factory || !graphics->d2d_factory)
        return true;
    ComPtr<IWICBitmap> bitmap;
    ComPtr<ID2D1RenderTarget> target;
    ComPtr<ID2D1SolidColorBrush> black;
    ComPtr<ID2D1Layer> layer;
    if (FAILED(graphics->wic_factory->CreateBitmap(1, 1, GUID_WICPixelFormat32bppPBGRA, WICBitmapCacheOnLoad, &bitmap)) ||
        FAILED(graphics->d2d_factory->CreateWicBitmapRenderTarget(bitmap.Get(), D2D1::RenderTargetProperties(), &target)) ||
        FAILED(target->CreateSolidColorBrush(D2D1::ColorF(0.0f, 0.0f, 0.0f, 1.0f), &black)) ||
        FAILED(target->CreateLayer(nullptr, &layer)))
        return true;
    // Black through a layer of opacity 0 on white: white where layers work.
    target->BeginDraw();
    target->Clear(D2D1::ColorF(1.0f, 1.0f, 1.0f, 1.0f));
    target->PushLayer(D2D1::LayerParameters(D2D1::InfiniteRect(), nullptr, D2D1_ANTIALIAS_MODE_PER_PRIMITIVE,
                                            D2D1::IdentityMatrix(), 0.0f),
                      layer.Get());
    target->FillRectangle(D2D1::RectF(0.0f, 0.0f, 1.0f, 1.0f), black.Get());
    target->PopLayer();
    if (FAILED(target->EndDraw()))
        return true;
    std::uint32_t pixel = 0;
    WICRect all{0, 0, 1, 1};
    if (FAILED(bitmap->CopyPixels(&all, 4, 4, reinterpret_cast<BYTE*>(&pixel))))
        return true;
    return (pixel & 0xFF) > 0x80;
}

} // namespace

bool layers_apply_opacity(Gfx::GraphicsContext* graphics)
{
    if (!g_answer)
        g_answer = probe(graphics);
    return *g_answer;
}

void set_layers_apply_opacity(std::optional<bool> answer)
{
    g_answer = answer;
}

} // namespace Screen
