#pragma once
// One thin overlay scroll bar of a ScrollView: the scroll position along one axis, the
// content's extent and the visible length, and the thumb that shows and drags them.
// It is drawn only while the content is larger than the view and the mouse is over
// the view.

#include "ui/element.h"

#include <d2d1.h>
#include <wrl/client.h>

namespace Ui {

class ScrollView;

class ScrollViewBar : public Element {
public:
    enum class Axis { horizontal, vertical };

    // Extent 1, viewport 2, position 0: hidden until its owner sets an extent.
    ScrollViewBar(ScrollView& view, Axis axis);

    bool visible() const { return m_visible; }
    double position() const { return m_position; }
    double extent() const { return m_extent; }
    float viewport() const { return m_viewport; }
    float units_per_dip() const { return m_units_per_dip; }
    D2D1_POINT_2F axis() const { return m_axis; }
    D2D1_POINT_2F thumb_centre() const { return m_thumb_centre; }
    float thumb_half() const { return m_thumb_half; }

    // `position` limited to [0, max(0, extent - viewport)].
    double clamp(double position) const;

    // The owner's changes: visibility, clamped position and thumb follow. True when the
    // position changed.
    bool set_viewport(float viewport);
    bool set_extent(double extent);

    // Moves the position by `delta` as far as the range allows and returns what is
    // left over. Non-finite deltas are refused whole (a NaN position would stick).
    double move_by(double delta);

    // A thumb drag step: move_by, and the view follows.
    double drag_by(double delta);

    Element* element_at(float x, float y) override;
    HitResult hit_test(float x, float y) override;
    std::unique_ptr<DragTracker> begin_drag(float x, float y, MouseButton button) override;
    void draw(ID2D1RenderTarget* target) override;

private:
    bool update_range();
    void update_thumb();

    ScrollView* m_view;
    bool m_visible = false;
    double m_position = 0.0;
    double m_extent = 1.0;
    float m_viewport = 2.0f;
    float m_units_per_dip = 0.0f;
    D2D1_POINT_2F m_axis;
    D2D1_POINT_2F m_thumb_centre{0.0f, 0.0f};
    float m_thumb_half = 0.0f;
    Microsoft::WRL::ComPtr<ID2D1StrokeStyle> m_stroke;
    Microsoft::WRL::ComPtr<ID2D1SolidColorBrush> m_brush;
};

// The ends of the thumb's track along the bar: 4 DIPs in from either end.
constexpr float scroll_track_margin = 4.0f;
// Stroke width of the thumb, which is also its shortest length.
constexpr float scroll_thumb_width = 8.0f;
// Distance of a bar's centre line from the view's right or bottom edge.
constexpr float scroll_bar_inset = 6.0f;

} // namespace Ui
