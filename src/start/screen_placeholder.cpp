#include "start/screen_placeholder.h"

#include "app/d2d_calls.h"
#include "app/dwrite_calls.h"
#include "ui/ansi_text.h"
#include "ui/file_selector_brushes.h"
#include "ui/text_format.h"

namespace Start {

ScreenPlaceholder::ScreenPlaceholder(Gfx::GraphicsContext* graphics, const std::string& path,
                                     const std::string& display_name, const std::wstring& summary)
    : m_text(Ui::ansi_to_wide(display_name) + L"\n" + Ui::ansi_to_wide(path) + L"\n\n" + summary +
             L"\nThe screen view is not part of this build yet.")
{
    IDWriteFactory* factory = graphics->dwrite_factory.Get();
    Microsoft::WRL::ComPtr<IDWriteTextFormat> format =
        Ui::create_system_text_format(factory, 12.0f, DWRITE_FONT_WEIGHT_NORMAL);
    App::set_text_alignment(format.Get(), DWRITE_TEXT_ALIGNMENT_CENTER);
    App::set_paragraph_alignment(format.Get(), DWRITE_PARAGRAPH_ALIGNMENT_CENTER);
    m_layout = Ui::create_text_layout(m_text, factory, format.Get());
}

Ui::HitResult ScreenPlaceholder::hit_test(float x, float y)
{
    return covers(x, y) ? Ui::HitResult::yes : Ui::HitResult::no;
}

void ScreenPlaceholder::on_resized()
{
    App::set_max_width(m_layout.Get(), m_width);
    App::set_max_height(m_layout.Get(), m_height);
    Element::on_resized();
}

void ScreenPlaceholder::draw(ID2D1RenderTarget* target)
{
    if (!m_brush)
        m_brush = App::create_solid_color_brush(target, Ui::rgb(102, 112, 131));
    target->DrawTextLayout(D2D1::Point2F(0.0f, 0.0f), m_layout.Get(), m_brush.Get());
}

} // namespace Start
