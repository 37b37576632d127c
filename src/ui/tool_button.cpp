#include "ui/tool_button.h"

#include "ui/tool_strip_brushes.h"

#include <memory>

namespace Ui {

ToolButton::ToolButton(const Microsoft::WRL::ComPtr<ID2D1Bitmap>& atlas, const D2D1_RECT_F& cell,
                       ToolStripBrushes& brushes, std::function<void()> on_click)
    : m_atlas(std::addressof(atlas)), m_cell(cell), m_brushes(&brushes), m_on_click(std::move(on_click))
{
    m_width = size;
    m_height = size;
}

void ToolButton::set_active(bool active)
{
    if (m_active != active) {
        m_active = active;
        invalidate();
    }
}

void ToolButton::set_chosen(bool chosen)
{
    if (m_chosen != chosen) {
        m_chosen = chosen;
        invalidate();
    }
}

Element* ToolButton::element_at(float x, float y)
{
    return m_active ? ClickableElement::element_at(x, y) : nullptr;
}

CursorKind ToolButton::cursor_at(float x, float y)
{
    return m_active ? ClickableElement::cursor_at(x, y) : CursorKind::arrow;
}

std::unique_ptr<DragTracker> ToolButton::begin_drag(float x, float y, MouseButton button)
{
    return m_active ? ClickableElement::begin_drag(x, y, button) : nullptr;
}

void ToolButton::clicked()
{
    if (m_on_click)
        m_on_click();
}

void ToolButton::draw(ID2D1RenderTarget* target)
{
    draw_frame(target);
    // The atlas exists once the workspace has drawn; a button drawn before has no icon.
    if (ID2D1Bitmap* atlas = m_atlas->Get()) {
        const float icon_width = m_cell.right - m_cell.left;
        const float icon_height = m_cell.bottom - m_cell.top;
        const D2D1_RECT_F icon = D2D1::RectF(icon_inset, icon_inset, icon_inset + icon_width, icon_inset + icon_height);
        target->DrawBitmap(atlas, icon, m_active ? 1.0f : faded_opacity, D2D1_BITMAP_INTERPOLATION_MODE_LINEAR,
                           m_cell);
    }
}

void ToolButton::draw_frame(ID2D1RenderTarget* target)
{
    if (!m_brushes->created())
        m_brushes->create(target);
    const bool hovered = m_active && (m_hover_state & chain_inside) != 0;
    const bool held = hovered && (m_press_state & chain_inside) != 0;
    const D2D1_ROUNDED_RECT frame =
        D2D1::RoundedRect(D2D1::RectF(0.5f, 0.5f, m_width - 0.5f, m_height - 0.5f), 2.0f, 2.0f);
    if (m_chosen || held) {
        target->FillRoundedRectangle(frame, m_brushes->chosen_fill.Get());
        target->DrawRoundedRectangle(frame, m_brushes->chosen_outline.Get(), 1.0f);
    } else if (hovered) {
        target->FillRoundedRectangle(frame, m_brushes->hover_fill.Get());
        target->DrawRoundedRectangle(frame, m_brushes->hover_outline.Get(), 1.0f);
    }
}

} // namespace Ui
