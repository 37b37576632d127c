#pragma once
// One-call wrappers of the DirectWrite methods the program uses.

#include "app/com_call.h"

#include <dwrite.h>
#include <wrl/client.h>

namespace App {

inline Microsoft::WRL::ComPtr<IDWriteRenderingParams> create_monitor_rendering_params(IDWriteFactory* factory,
                                                                                     HMONITOR monitor)
{
    Microsoft::WRL::ComPtr<IDWriteRenderingParams> params;
    check(factory->CreateMonitorRenderingParams(monitor, &params), "IDWriteFactory::CreateMonitorRenderingParams");
    return params;
}

inline Microsoft::WRL::ComPtr<IDWriteRenderingParams> create_custom_rendering_params(
    IDWriteFactory* factory, FLOAT gamma, FLOAT enhanced_contrast, FLOAT cleartype_level,
    DWRITE_PIXEL_GEOMETRY pixel_geometry, DWRITE_RENDERING_MODE rendering_mode)
{
    Microsoft::WRL::ComPtr<IDWriteRenderingParams> params;
    check(factory->CreateCustomRenderingParams(gamma, enhanced_contrast, cleartype_level, pixel_geometry,
                                               rendering_mode, &params),
          "IDWriteFactory::CreateCustomRenderingParams");
    return params;
}

inline Microsoft::WRL::ComPtr<IDWriteTextFormat> create_text_format(IDWriteFactory* factory, const WCHAR* family,
                                                                   IDWriteFontCollection* collection,
                                                                   DWRITE_FONT_WEIGHT weight,
                                                                   DWRITE_FONT_STYLE style,
                                                                   DWRITE_FONT_STRETCH stretch, FLOAT size,
                                                                   const WCHAR* locale)
{
    Microsoft::WRL::ComPtr<IDWriteTextFormat> format;
    check(factory->CreateTextFormat(family, collection, weight, style, stretch, size, locale, &format),
          "IDWriteFactory::CreateTextFormat");
    return format;
}

inline Microsoft::WRL::ComPtr<IDWriteTextLayout> create_text_layout(IDWriteFactory* factory, const WCHAR* text,
                                                                   UINT32 length, IDWriteTextFormat* format,
                                                                   FLOAT max_width, FLOAT max_height)
{
    Microsoft::WRL::ComPtr<IDWriteTextLayout> layout;
    check(factory->CreateTextLayout(text, length, format, max_width, max_height, &layout),
          "IDWriteFactory::CreateTextLayout");
    return layout;
}

inline Microsoft::WRL::ComPtr<IDWriteGdiInterop> get_gdi_interop(IDWriteFactory* factory)
{
    Microsoft::WRL::ComPtr<IDWriteGdiInterop> interop;
    check(factory->GetGdiInterop(&interop), "IDWriteFactory::GetGdiInterop");
    return interop;
}

inline void set_text_alignment(IDWriteTextFormat* format, DWRITE_TEXT_ALIGNMENT alignment)
{
    check(format->SetTextAlignment(alignment), "IDWriteTextFormat::SetTextAlignment");
}

inline void set_paragraph_alignment(IDWriteTextFormat* format, DWRITE_PARAGRAPH_ALIGNMENT alignment)
{
    check(format->SetParagraphAlignment(alignment), "IDWriteTextFormat::SetParagraphAlignment");
}

inline void set_word_wrapping(IDWriteTextFormat* format, DWRITE_WORD_WRAPPING wrapping)
{
    check(format->SetWordWrapping(wrapping), "IDWriteTextFormat::SetWordWrapping");
}

inline DWRITE_TEXT_METRICS get_metrics(IDWriteTextLayout* layout)
{
    DWRITE_TEXT_METRICS metrics{};
    check(layout->GetMetrics(&metrics), "IDWriteTextLayout::GetMetrics");
    return metrics;
}

} // namespace App
