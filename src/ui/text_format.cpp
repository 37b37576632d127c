#include "ui/text_format.h"

#include "app/dwrite_calls.h"

#include <limits>
#include <vector>

namespace Ui {

using Microsoft::WRL::ComPtr;

float system_font_size(LONG lf_height, float nominal_size)
{
    if (lf_height > 0)
        return static_cast<float>(lf_height) * nominal_size / 12.0f;
    if (lf_height < 0)
        return static_cast<float>(-lf_height) * nominal_size / 12.0f * 96.0f / 72.0f;
    return nominal_size * 96.0f / 72.0f;
}

namespace {

// `dips` null: the nominal `size` scaled by the message font's height.
ComPtr<IDWriteTextFormat> message_font_format(IDWriteFactory* dwrite_factory, float size, const float* dips,
                                              DWRITE_FONT_WEIGHT weight)
{
    // 504 bytes: the structure with the padded-border field that Vista added.
    static_assert(sizeof(NONCLIENTMETRICSW) == 504, "NONCLIENTMETRICSW without iPaddedBorderWidth");
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof(metrics);
    // On failure the zeroed font stands: lfHeight 0 takes the default size.
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0);
    const LOGFONTW& message_font = metrics.lfMessageFont;

    ComPtr<IDWriteGdiInterop> interop = App::get_gdi_interop(dwrite_factory);
    ComPtr<IDWriteFont> font = App::create_font_from_logfont(interop.Get(), message_font);
    ComPtr<IDWriteFontFamily> family = App::get_font_family(font.Get());
    ComPtr<IDWriteLocalizedStrings> names = App::get_family_names(family.Get());

    std::vector<WCHAR> family_name(App::get_string_length(names.Get(), 0) + 1);
    App::get_string(names.Get(), 0, family_name.data(), static_cast<UINT32>(family_name.size()));
    std::vector<WCHAR> locale(App::get_locale_name_length(names.Get(), 0) + 1);
    App::get_locale_name(names.Get(), 0, locale.data(), static_cast<UINT32>(locale.size()));

    return App::create_text_format(dwrite_factory, family_name.data(), nullptr, weight, font->GetStyle(),
                                   font->GetStretch(), dips ? *dips : system_font_size(message_font.lfHeight, size),
                                   locale.data());
}

} // namespace

ComPtr<IDWriteTextFormat> create_system_text_format(IDWriteFactory* dwrite_factory, float size,
                                                    DWRITE_FONT_WEIGHT weight)
{
    return message_font_format(dwrite_factory, size, nullptr, weight);
}

ComPtr<IDWriteTextFormat> create_system_face_format(IDWriteFactory* dwrite_factory, float dips,
                                                    DWRITE_FONT_WEIGHT weight)
{
    return message_font_format(dwrite_factory, dips, &dips, weight);
}

ComPtr<IDWriteTextLayout> create_text_layout(std::wstring_view text, IDWriteFactory* dwrite_factory,
                                             IDWriteTextFormat* format)
{
    const float unbounded = std::numeric_limits<float>::infinity();
    // An empty view may carry no pointer at all; DirectWrite wants a string.
    const WCHAR* characters = text.empty() ? L"" : text.data();
    return App::create_text_layout(dwrite_factory, characters, static_cast<UINT32>(text.size()), format, unbounded,
                                   unbounded);
}

Microsoft::WRL::ComPtr<IDWriteTextLayout> create_line_layout(std::wstring_view text, IDWriteFactory* dwrite_factory,
                                                             IDWriteTextFormat* format, float height)
{
    Microsoft::WRL::ComPtr<IDWriteTextLayout> layout = create_text_layout(text, dwrite_factory, format);
    App::set_word_wrapping(layout.Get(), DWRITE_WORD_WRAPPING_NO_WRAP);
    App::set_paragraph_alignment(layout.Get(), DWRITE_PARAGRAPH_ALIGNMENT_CENTER);
    App::set_max_height(layout.Get(), height);
    return layout;
}

} // namespace Ui
