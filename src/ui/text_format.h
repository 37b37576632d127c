#pragma once
// The program's own interface text is set in the user's message-box font, read when a
// format is made, and measured and drawn through DirectWrite text layouts.

#include <dwrite.h>
#include <windows.h>
#include <wrl/client.h>

#include <string_view>

namespace Ui {

// Font size in DIPs for a nominal size, scaled from the message font's lfHeight:
// positive heights are cell heights in pixels (no point conversion), negative ones
// character heights, 0 the default. Nominal 12 reproduces the system font's own size.
float system_font_size(LONG lf_height, float nominal_size);

// A text format in the message font's family, style and stretch, with its locale, at
// the nominal `size` (see system_font_size) and `weight`. Raises COMException naming
// the failed DirectWrite call.
Microsoft::WRL::ComPtr<IDWriteTextFormat> create_system_text_format(IDWriteFactory* dwrite_factory, float size,
                                                                   DWRITE_FONT_WEIGHT weight);
// The same face at exactly `dips`, whatever the message font's own size: a stand-in
// for another face, which must keep that face's size.
Microsoft::WRL::ComPtr<IDWriteTextFormat> create_system_face_format(IDWriteFactory* dwrite_factory, float dips,
                                                                   DWRITE_FONT_WEIGHT weight);

// A layout of the whole of `text`, unbounded in both directions; callers narrow it.
// Raises COMException "IDWriteFactory::CreateTextLayout".
Microsoft::WRL::ComPtr<IDWriteTextLayout> create_text_layout(std::wstring_view text, IDWriteFactory* dwrite_factory,
                                                             IDWriteTextFormat* format);

// A layout of `text` on one line (no wrapping), centred vertically in `height`: the
// tool strip's texts.
Microsoft::WRL::ComPtr<IDWriteTextLayout> create_line_layout(std::wstring_view text, IDWriteFactory* dwrite_factory,
                                                             IDWriteTextFormat* format, float height);

} // namespace Ui
