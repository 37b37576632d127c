#pragma once
// The strip across the top of the editor workspace: the label "Tool: ", the select and
// edit tools (one of them chosen), the add-widget tools (inactive for now), undo, redo
// and copy, the tool windows, and the preview resolution's choice, then a status line.
// Icon buttons draw from the workspace's tool atlas.

#include "editor/editor_tool.h"
#include "ui/container_element.h"
#include "ui/tool_strip_brushes.h"

#include <d2d1.h>
#include <dwrite.h>
#include <wrl/client.h>

#include <functional>
#include <string>
#include <vector>

namespace Ui {
class TextToolButton;
class ToolButton;
} // namespace Editor

namespace Editor {

class ToolStrip : public Ui::ContainerElement {
public:
    static constexpr float strip_height = 24.0f;
    // Add-widget buttons: one per widget-type icon of the atlas's lower row, from the left.
    static constexpr int add_widget_count = 13;

    // What the buttons beside the tools do; the workspace sets them.
    struct Actions {
        std::function<void()> undo;
        std::function<void()> redo;
        std::function<void()> copy;
        std::function<void()> choose_resolution;
        std::function<void()> show_tool_windows;
    };

    // `atlas`: the workspace's atlas slot (empty until its first draw).
    ToolStrip(IDWriteFactory* dwrite_factory, const Microsoft::WRL::ComPtr<ID2D1Bitmap>& atlas);
    void set_actions(Actions actions) { m_actions = std::move(actions); }

    // Undo and redo are active only while there is something to undo or redo.
    void set_history(bool can_undo, bool can_redo);
    // The resolution button's text; the status line moves to follow its width.
    void set_resolution_text(const std::wstring& text);

    Tool current_tool() const { return m_tool; }
    // Marks the tool's button chosen and the other not; repaints when it changes.
    void set_tool(Tool tool);

    // A line after the buttons, up to the strip's right edge (shortened with an ellipsis
    // there); empty clears it. Line breaks become spaces.
    void set_status(const std::wstring& text);
    const std::wstring& status() const { return m_status_text; }
    IDWriteTextLayout* status_layout() const { return m_status.Get(); }

    Ui::ToolButton* select_button() const { return m_select; }
    Ui::ToolButton* edit_button() const { return m_edit; }
    Ui::ToolButton* undo_button() const { return m_undo; }
    Ui::ToolButton* redo_button() const { return m_redo; }
    Ui::ToolButton* copy_button() const { return m_copy; }
    Ui::ToolButton* tool_windows_button() const { return m_tool_windows; }
    Ui::TextToolButton* resolution_button() const { return m_resolution; }
    const std::vector<Ui::ToolButton*>& add_widget_buttons() const { return m_add_widget; }
    IDWriteTextLayout* label() const { return m_label.Get(); }

    // Solid: its whole rectangle is hit, buttons or not.
    Ui::HitResult hit_test(float x, float y) override;
    void on_resized() override;
    void draw(ID2D1RenderTarget* target) override;
    void on_target_dropped() override;

private:
    Ui::ToolButton* add_button(const Microsoft::WRL::ComPtr<ID2D1Bitmap>& atlas, const D2D1_RECT_F& cell, float x,
                               std::function<void()> on_click);
    // Runs the action when it is set.
    std::function<void()> action(std::function<void()> Actions::*member);
    // Places the resolution button after the others, then the status line after it.
    void place_resolution_button();

    Microsoft::WRL::ComPtr<IDWriteTextLayout> m_label;
    Ui::ToolStripBrushes m_brushes;
    Tool m_tool = Tool::select;
    Ui::ToolButton* m_select = nullptr;
    Ui::ToolButton* m_edit = nullptr;
    std::vector<Ui::ToolButton*> m_add_widget;
    Ui::ToolButton* m_undo = nullptr;
    Ui::ToolButton* m_redo = nullptr;
    Ui::ToolButton* m_copy = nullptr;
    Ui::ToolButton* m_tool_windows = nullptr;
    Ui::TextToolButton* m_resolution = nullptr;
    Actions m_actions;
    std::vector<float> m_separators; // the rules between groups of buttons
    float m_resolution_left = 0.0f;
    float m_status_left = 0.0f; // where the status line starts, after the last button
    Microsoft::WRL::ComPtr<IDWriteFactory> m_factory;
    Microsoft::WRL::ComPtr<IDWriteTextFormat> m_format;
    std::wstring m_status_text;
    Microsoft::WRL::ComPtr<IDWriteTextLayout> m_status; // null while there is no status
};

} // namespace Editor
