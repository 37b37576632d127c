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

inline Microsoft::WRL::ComPtr<IDWriteFont> create_font_from_logfont(IDWriteGdiInterop* interop,
                                                                   const LOGFONTW& logfont)
{
    Microsoft::WRL::ComPtr<IDWriteFont> font;
    check(interop->CreateFontFromLOGFONT(&logfont, &font), "IDWriteGdiInterop::CreateFontFromLOGFONT");
    return font;
}

inline Microsoft::WRL::ComPtr<IDWriteFontFamily> get_font_family(IDWriteFont* font)
{
    Microsoft::WRL::ComPtr<IDWriteFontFamily> family;
    check(font->GetFontFamily(&family), "IDWriteFont::GetFontFamily");
    return family;
}

inline Microsoft::WRL::ComPtr<IDWriteLocalizedStrings> get_family_names(IDWriteFontFamily* family)
{
    Microsoft::WRL::ComPtr<IDWriteLocalizedStrings> names;
    check(family->GetFamilyNames(&names), "IDWriteFontFamily::GetFamilyNames");
    return names;
}

inline UINT32 get_string_length(IDWriteLocalizedStrings* strings, UINT32 index)
{
    UINT32 length = 0;
    check(strings->GetStringLength(index, &length), "IDWriteLocalizedStrings::GetStringLength");
    return length;
}

inline void get_string(IDWriteLocalizedStrings* strings, UINT32 index, WCHAR* buffer, UINT32 size)
{
    check(strings->GetString(index, buffer, size), "IDWriteLocalizedStrings::GetString");
}

inline UINT32 get_locale_name_length(IDWriteLocalizedStrings* strings, UINT32 index)
{
    UINT32 length = 0;
    check(strings->GetLocaleNameLength(index, &length), "IDWriteLocalizedStrings::GetLocaleNameLength");
    return length;
}

inline void get_locale_name(IDWriteLocalizedStrings* strings, UINT32 index, WCHAR* buffer, UINT32 size)
{
    check(strings->GetLocaleName(index, buffer, size), "IDWriteLocalizedStrings::GetLocaleName");
}

inline void set_max_width(IDWriteTextLayout* layout, FLOAT width)
{
    check(layout->SetMaxWidth(width), "IDWriteTextLayout::SetMaxWidth");
}

inline void set_max_height(IDWriteTextLayout* layout, FLOAT height)
{
    check(layout->SetMaxHeight(height), "IDWriteTextLayout::SetMaxHeight");
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

inline void register_font_file_loader(IDWriteFactory* factory, IDWriteFontFileLoader* loader)
{
    check(factory->RegisterFontFileLoader(loader), "IDWriteFactory::RegisterFontFileLoader");
}

inline void unregister_font_file_loader(IDWriteFactory* factory, IDWriteFontFileLoader* loader)
{
    check(factory->UnregisterFontFileLoader(loader), "IDWriteFactory::UnregisterFontFileLoader");
}

inline void register_font_collection_loader(IDWriteFactory* factory, IDWriteFontCollectionLoader* loader)
{
    check(factory->RegisterFontCollectionLoader(loader), "IDWriteFactory::RegisterFontCollectionLoader");
}

inline void unregister_font_collection_loader(IDWriteFactory* factory, IDWriteFontCollectionLoader* loader)
{
    check(factory->UnregisterFontCollectionLoader(loader), "IDWriteFactory::UnregisterFontCollectionLoader");
}

inline Microsoft::WRL::ComPtr<IDWriteFontCollection> create_custom_font_collection(
    IDWriteFactory* factory, IDWriteFontCollectionLoader* loader, const void* key, UINT32 key_size)
{
    Microsoft::WRL::ComPtr<IDWriteFontCollection> collection;
    check(factory->CreateCustomFontCollection(loader, key, key_size, &collection),
          "IDWriteFactory::CreateCustomFontCollection");
    return collection;
}

inline Microsoft::WRL::ComPtr<IDWriteFontFamily> get_font_family(IDWriteFontCollection* collection, UINT32 index)
{
    Microsoft::WRL::ComPtr<IDWriteFontFamily> family;
    check(collection->GetFontFamily(index, &family), "IDWriteFontCollection::GetFontFamily");
    return family;
}

inline Microsoft::WRL::ComPtr<IDWriteFont> get_font(IDWriteFontList* list, UINT32 index)
{
    Microsoft::WRL::ComPtr<IDWriteFont> font;
    check(list->GetFont(index, &font), "IDWriteFontList::GetFont");
    return font;
}

inline Microsoft::WRL::ComPtr<IDWriteLocalizedStrings> get_face_names(IDWriteFont* font)
{
    Microsoft::WRL::ComPtr<IDWriteLocalizedStrings> names;
    check(font->GetFaceNames(&names), "IDWriteFont::GetFaceNames");
    return names;
}

} // namespace App
