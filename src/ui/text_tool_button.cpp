#include "ui/text_tool_button.h"

#include "app/dwrite_calls.h"
#include "ui/text_format.h"
#include "ui/tool_strip_brushes.h"

#include <cmath>

namespace Ui {

namespace {

constexpr float text_inset = 6.0f; // from the frame to the text, both sides
constexpr float mark_width = 7.0f; // the drop-down triangle
constexpr float mark_gap = 5.0f;   // text to triangle

// Only its own cell of the atlas matters: a text button has none.
const Microsoft::WRL::ComPtr<ID2D1Bitmap> no_atlas;

} // namespace

TextToolButton::TextToolButton(IDWriteFactory* dwrite_factory, IDWriteTextFormat* format, ToolStripBrushes& brushes,
                               std::function<void()> on_click)
    : ToolButton(no_atlas, D2D1::RectF(), brushes, std::move(on_click)), m_factory(dwrite_factory), m_format(format)
{
}

void TextToolButton::set_text(const std::wstring& text)
{
    m_text = text;
    m_layout = create_line_layout(text, m_factory.Get(), m_format.Get(), size);
    const float text_width = App::get_metrics(m_layout.Get()).widthIncludingTrailingWhitespace;
    m_width = std::ceil(text_inset + text_width + mark_gap + mark_width + text_inset);
    invalidate();
}

void TextToolButton::draw(ID2D1RenderTarget* target)
{
    draw_frame(target);
    if (!m_layout)
        return;
    target->DrawTextLayout(D2D1::Point2F(text_inset, 0.0f), m_layout.Get(), brushes().text.Get());
    // A small downward triangle at the right, centred on the text's line.
    const float right = m_width - text_inset;
    const float middle = std::floor(m_height / 2.0f);
    for (float row = 0.0f; row < 4.0f; ++row) {
        const float half = (mark_width - 1.0f) / 2.0f - row;
        target->FillRectangle(D2D1::RectF(right - mark_width / 2.0f - half - 0.5f, middle - 1.0f + row,
                                          right - mark_width / 2.0f + half + 0.5f, middle + row),
                              brushes().text.Get());
    }
}

} // namespace Ui
