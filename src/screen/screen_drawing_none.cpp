// Without Windows there is no render target: the screen model builds, loads and edits,
// and drawing is the element tree's walk with nothing at its leaves.

#include "screen/composite_widgets.h"
#include "screen/presentation_item.h"
#include "screen/screen_document.h"
#include "screen/widget.h"

namespace Screen {

std::size_t text_layouts_made()
{
    return 0;
}

void ScreenDocument::draw(ID2D1RenderTarget* target)
{
    ContainerElement::draw(target);
}

void ScreenDocument::draw_once(ID2D1RenderTarget* target)
{
    ContainerElement::draw(target);
}

void ScreenDocument::on_target_dropped()
{
    m_draw_cache.reset();
    ContainerElement::on_target_dropped();
}

ID2D1RenderTarget* ScreenDocument::leave_dim_layer(ID2D1RenderTarget* target)
{
    return target;
}

ID2D1RenderTarget* ScreenDocument::enter_dim_layer(ID2D1RenderTarget* target)
{
    return target;
}

void Widget::draw(ID2D1RenderTarget* target)
{
    if (shown())
        ContainerElement::draw(target);
}

void CustomWidget::draw(ID2D1RenderTarget*) {}

void CustomWidget::on_target_dropped()
{
    m_draw_cache.reset();
    Widget::on_target_dropped();
}

void ImageItem::draw(ID2D1RenderTarget*) {}
void TextItem::draw(ID2D1RenderTarget*) {}

Ui::PixelBox TextItem::drawn_box(const D2D1_MATRIX_3X2_F& to_target, float scale)
{
    return PresentationItem::drawn_box(to_target, scale);
}
void RectangleItem::draw(ID2D1RenderTarget*) {}
void SegmentItem::draw(ID2D1RenderTarget*) {}
void MovieItem::draw(ID2D1RenderTarget*) {}

} // namespace Screen
