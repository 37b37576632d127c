#pragma once
// One button of the tool strip: a 16 x 16 icon cut from the workspace's tool atlas.
// An active button highlights under the pointer and acts on a click; the chosen one is
// drawn pressed. An inactive button is drawn faded and takes no input, though it still
// covers its area.

#include "ui/clickable_element.h"

#include <d2d1.h>
#include <wrl/client.h>

#include <functional>

namespace Ui {

struct ToolStripBrushes;

class ToolButton : public ClickableElement {
public:
    static constexpr float size = 22.0f;       // square, in DIPs
    static constexpr float icon_inset = 3.0f;  // from the edge to the 16 x 16 icon
    static constexpr float faded_opacity = 0.35f;

    // `atlas` is the slot in which the workspace keeps its atlas, empty until the first
    // draw composes it; `cell` the icon's rectangle in it. `brushes` are the strip's.
    ToolButton(const Microsoft::WRL::ComPtr<ID2D1Bitmap>& atlas, const D2D1_RECT_F& cell,
               ToolStripBrushes& brushes, std::function<void()> on_click);

    bool active() const { return m_active; }
    void set_active(bool active);
    bool chosen() const { return m_chosen; }
    void set_chosen(bool chosen);
    const D2D1_RECT_F& cell() const { return m_cell; }

    Element* element_at(float x, float y) override;
    CursorKind cursor_at(float x, float y) override;
    std::unique_ptr<DragTracker> begin_drag(float x, float y, MouseButton button) override;
    void draw(ID2D1RenderTarget* target) override;

protected:
    void clicked() override;
    // The rounded frame of the button's state: chosen, held, hovered or none.
    void draw_frame(ID2D1RenderTarget* target);
    ToolStripBrushes& brushes() const { return *m_brushes; }

private:
    const Microsoft::WRL::ComPtr<ID2D1Bitmap>* m_atlas; // the slot, not the bitmap
    D2D1_RECT_F m_cell;
    ToolStripBrushes* m_brushes;
    std::function<void()> m_on_click;
    bool m_active = true;
    bool m_chosen = false;
};

} // namespace Ui
