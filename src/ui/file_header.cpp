#include "ui/file_header.h"

#include "app/dwrite_calls.h"
#include "ui/ansi_text.h"
#include "ui/file_selector.h"
#include "ui/text_format.h"

#include <cmath>

namespace Ui {

FileHeader::FileHeader(FileSelector& selector, const std::string& path) : m_selector(&selector)
{
    m_text = create_text_layout(ansi_to_wide(path), selector.graphics()->dwrite_factory.Get(),
                                selector.heading_format());
    App::set_text_alignment(m_text.Get(), DWRITE_TEXT_ALIGNMENT_CENTER);
    App::set_word_wrapping(m_text.Get(), DWRITE_WORD_WRAPPING_NO_WRAP);
    m_natural_height = std::ceil(1.5f * App::get_metrics(m_text.Get()).height);
    m_height = m_natural_height;
}

void FileHeader::on_resized()
{
    // Centred across the whole width, and vertically by the heading format.
    App::set_max_width(m_text.Get(), m_width);
    App::set_max_height(m_text.Get(), m_height);
    Element::on_resized();
}

void FileHeader::clicked()
{
    // Going back destroys this header: nothing of it may be touched afterwards.
    m_selector->go_back();
}

void FileHeader::draw(ID2D1RenderTarget* target)
{
    const FileSelectorBrushes& brushes = m_selector->brushes(target);
    bool hovered = (m_hover_state & chain_inside) != 0;
    D2D1_RECT_F area = D2D1::RectF(0.5f, 0.5f, m_width - 0.5f, m_height - 0.5f);
    if (hovered) {
        span_vertically(brushes.highlight.Get(), m_height);
        target->FillRectangle(area, brushes.highlight.Get());
        target->DrawRectangle(area, brushes.highlight_outline.Get(), 1.0f);
    } else {
        span_vertically(brushes.header_background.Get(), m_height);
        target->FillRectangle(area, brushes.header_background.Get());
    }
    target->DrawTextLayout(D2D1::Point2F(0.0f, 0.0f), m_text.Get(),
                           hovered ? brushes.hover_text.Get() : brushes.header_text.Get(),
                           D2D1_DRAW_TEXT_OPTIONS_NO_SNAP);
}

} // namespace Ui
