#pragma once
// The strip across the top of the editor workspace: the label "Tool: ", the select and
// edit tools (one of them chosen), and the add-widget tools, inactive for now. Every
// button draws its icon from the workspace's tool atlas.

#include "ui/container_element.h"
#include "ui/tool_strip_brushes.h"

#include <d2d1.h>
#include <dwrite.h>
#include <wrl/client.h>

#include <functional>
#include <string>
#include <vector>

namespace Ui {

class ToolButton;

enum class Tool { select, edit };

class ToolStrip : public ContainerElement {
public:
    static constexpr float strip_height = 24.0f;
    // Add-widget buttons: one per widget-type icon of the atlas's lower row, from the left.
    static constexpr int add_widget_count = 13;

    // `atlas`: the workspace's atlas slot (empty until its first draw).
    ToolStrip(IDWriteFactory* dwrite_factory, const Microsoft::WRL::ComPtr<ID2D1Bitmap>& atlas);

    Tool current_tool() const { return m_tool; }
    // Marks the tool's button chosen and the other not; repaints when it changes.
    void set_tool(Tool tool);

    // A line after the buttons, up to the strip's right edge (shortened with an ellipsis
    // there); empty clears it. Line breaks become spaces.
    void set_status(const std::wstring& text);
    const std::wstring& status() const { return m_status_text; }
    IDWriteTextLayout* status_layout() const { return m_status.Get(); }

    ToolButton* select_button() const { return m_select; }
    ToolButton* edit_button() const { return m_edit; }
    const std::vector<ToolButton*>& add_widget_buttons() const { return m_add_widget; }
    IDWriteTextLayout* label() const { return m_label.Get(); }

    // Solid: its whole rectangle is hit, buttons or not.
    HitResult hit_test(float x, float y) override;
    void on_resized() override;
    void draw(ID2D1RenderTarget* target) override;
    void on_target_dropped() override;

private:
    ToolButton* add_button(const Microsoft::WRL::ComPtr<ID2D1Bitmap>& atlas, const D2D1_RECT_F& cell, float x,
                           std::function<void()> on_click);

    Microsoft::WRL::ComPtr<IDWriteTextLayout> m_label;
    ToolStripBrushes m_brushes;
    Tool m_tool = Tool::select;
    ToolButton* m_select = nullptr;
    ToolButton* m_edit = nullptr;
    std::vector<ToolButton*> m_add_widget;
    float m_separator_x = 0.0f; // the rule between the two groups of buttons
    float m_status_left = 0.0f; // where the status line starts, after the last button
    Microsoft::WRL::ComPtr<IDWriteFactory> m_factory;
    Microsoft::WRL::ComPtr<IDWriteTextFormat> m_format;
    std::wstring m_status_text;
    Microsoft::WRL::ComPtr<IDWriteTextLayout> m_status; // null while there is no status
};

} // namespace Ui
