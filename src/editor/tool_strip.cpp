#include "editor/tool_strip.h"

#include "app/dwrite_calls.h"
#include "ui/text_format.h"
#include "ui/text_tool_button.h"
#include "ui/tool_button.h"

#include <algorithm>
#include <cmath>

namespace Editor {

using Ui::TextToolButton;
using Ui::ToolButton;

namespace {

constexpr float label_left = 6.0f;
constexpr float label_gap = 4.0f;    // label to the first button
constexpr float button_gap = 2.0f;   // between buttons of one group
constexpr float group_gap = 11.0f;   // between the groups, with the separator in the middle
constexpr float icon_size = 16.0f;

D2D1_RECT_F atlas_cell(float x, float y)
{
    return D2D1::RectF(x, y, x + icon_size, y + icon_size);
}

} // namespace

ToolStrip::ToolStrip(IDWriteFactory* dwrite_factory, const Microsoft::WRL::ComPtr<ID2D1Bitmap>& atlas)
    : m_factory(dwrite_factory)
{
    m_height = strip_height;
    m_format = Ui::create_system_text_format(dwrite_factory, 10.0f, DWRITE_FONT_WEIGHT_NORMAL);
    m_label = Ui::create_line_layout(L"Tool: ", dwrite_factory, m_format.Get(), strip_height);
    const float label_width = App::get_metrics(m_label.Get()).widthIncludingTrailingWhitespace;

    float x = std::ceil(label_left + label_width + label_gap);
    m_select = add_button(atlas, atlas_cell(0.0f, 0.0f), x, [this] { set_tool(Tool::select); });
    x += ToolButton::size + button_gap;
    m_edit = add_button(atlas, atlas_cell(16.0f, 0.0f), x, [this] { set_tool(Tool::edit); });
    x += ToolButton::size;
    const auto separate = [&] {
        m_separators.push_back(x + std::floor(group_gap / 2.0f));
        x += group_gap;
    };
    separate();
    for (int i = 0; i < add_widget_count; ++i) {
        ToolButton* button = add_button(atlas, atlas_cell(16.0f * static_cast<float>(i), 16.0f), x, nullptr);
        button->set_active(false); // adding widgets comes later
        m_add_widget.push_back(button);
        x += ToolButton::size + button_gap;
    }
    x -= button_gap;
    separate();
    m_undo = add_button(atlas, atlas_cell(96.0f, 0.0f), x, action(&Actions::undo));
    x += ToolButton::size + button_gap;
    m_redo = add_button(atlas, atlas_cell(112.0f, 0.0f), x, action(&Actions::redo));
    x += ToolButton::size + button_gap;
    m_copy = add_button(atlas, atlas_cell(128.0f, 0.0f), x, action(&Actions::copy));
    x += ToolButton::size;
    separate();
    m_tool_windows = add_button(atlas, atlas_cell(144.0f, 0.0f), x, action(&Actions::show_tool_windows));
    x += ToolButton::size;
    separate();
    set_history(false, false);
    m_resolution_left = x;
    auto resolution = std::make_unique<TextToolButton>(dwrite_factory, m_format.Get(), m_brushes,
                                                       action(&Actions::choose_resolution));
    m_resolution = insert(std::move(resolution), last_child());
    m_select->set_chosen(true);
    set_resolution_text(L"Fit window");
}

std::function<void()> ToolStrip::action(std::function<void()> Actions::*member)
{
    return [this, member] {
        // Copied first: the action may replace the strip's actions, or the strip.
        const std::function<void()> run = m_actions.*member;
        if (run)
            run();
    };
}

void ToolStrip::set_history(bool can_undo, bool can_redo)
{
    m_undo->set_active(can_undo);
    m_redo->set_active(can_redo);
}

void ToolStrip::set_resolution_text(const std::wstring& text)
{
    m_resolution->set_text(text);
    place_resolution_button();
}

void ToolStrip::place_resolution_button()
{
    m_resolution->set_bounds(m_resolution_left, std::floor((strip_height - ToolButton::size) / 2.0f),
                             m_resolution->width(), ToolButton::size);
    m_status_left = m_resolution_left + m_resolution->width() + group_gap;
    if (m_width < m_status_left)
        m_width = m_status_left;
    on_resized();
    invalidate();
}

void ToolStrip::set_status(const std::wstring& text)
{
    std::wstring line = text;
    for (wchar_t& c : line) {
        if (c == L'\r' || c == L'\n' || c == L'\t')
            c = L' ';
    }
    if (line == m_status_text)
        return;
    m_status_text = line;
    m_status.Reset();
    if (!line.empty()) {
        m_status = Ui::create_line_layout(line, m_factory.Get(), m_format.Get(), strip_height);
        Microsoft::WRL::ComPtr<IDWriteInlineObject> ellipsis;
        if (SUCCEEDED(m_factory->CreateEllipsisTrimmingSign(m_status.Get(), &ellipsis))) {
            const DWRITE_TRIMMING trimming{DWRITE_TRIMMING_GRANULARITY_CHARACTER, 0, 0};
            m_status->SetTrimming(&trimming, ellipsis.Get());
        }
        on_resized();
    }
    invalidate();
}

void ToolStrip::on_resized()
{
    if (m_status)
        App::set_max_width(m_status.Get(), std::max(0.0f, m_width - m_status_left - label_left));
}

ToolButton* ToolStrip::add_button(const Microsoft::WRL::ComPtr<ID2D1Bitmap>& atlas, const D2D1_RECT_F& cell, float x,
                                  std::function<void()> on_click)
{
    auto button = std::make_unique<ToolButton>(atlas, cell, m_brushes, std::move(on_click));
    button->set_bounds(x, std::floor((strip_height - ToolButton::size) / 2.0f), ToolButton::size, ToolButton::size);
    return insert(std::move(button), last_child());
}

void ToolStrip::set_tool(Tool tool)
{
    if (m_tool == tool)
        return;
    m_tool = tool;
    m_select->set_chosen(tool == Tool::select);
    m_edit->set_chosen(tool == Tool::edit);
}

Ui::HitResult ToolStrip::hit_test(float x, float y)
{
    return covers(x, y) ? Ui::HitResult::yes : Ui::HitResult::no;
}

void ToolStrip::draw(ID2D1RenderTarget* target)
{
    if (!m_brushes.created())
        m_brushes.create(target);
    m_brushes.background->SetStartPoint(D2D1::Point2F(0.0f, 0.0f));
    m_brushes.background->SetEndPoint(D2D1::Point2F(0.0f, m_height));
    target->FillRectangle(D2D1::RectF(0.0f, 0.0f, m_width, m_height), m_brushes.background.Get());
    target->DrawLine(D2D1::Point2F(0.0f, m_height - 0.5f), D2D1::Point2F(m_width, m_height - 0.5f),
                     m_brushes.rule.Get(), 1.0f);
    for (float x : m_separators)
        target->DrawLine(D2D1::Point2F(x + 0.5f, 4.0f), D2D1::Point2F(x + 0.5f, m_height - 4.0f), m_brushes.rule.Get(),
                         1.0f);
    target->DrawTextLayout(D2D1::Point2F(label_left, 0.0f), m_label.Get(), m_brushes.text.Get());
    if (m_status && m_width > m_status_left)
        target->DrawTextLayout(D2D1::Point2F(m_status_left, 0.0f), m_status.Get(), m_brushes.alert.Get());
    ContainerElement::draw(target);
}

void ToolStrip::on_target_dropped()
{
    m_brushes.release();
    ContainerElement::on_target_dropped();
}

} // namespace Editor
