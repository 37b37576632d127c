#pragma once
// The parts of a drawn image that must be drawn again, in whole device pixels: a few
// rectangles, merged where they overlap or touch, so that a change costs the drawing of
// what it covers and no more. Past a handful of rectangles they become their bounding
// box: walking the screen once per rectangle would cost more than the pixels saved.

#include "ui/d2d_types.h"
#include "ui/pixel_box.h"

#include <cstddef>
#include <vector>

namespace Screen {

class DirtyRegion {
public:
    static constexpr std::size_t max_rectangles = 8;

    // Empty boxes (and NaN) are ignored.
    void add(const Ui::PixelBox& box);
    void clear() { m_boxes.clear(); }
    bool empty() const { return m_boxes.empty(); }
    // The rectangles, none overlapping or touching another, each clipped to `bounds`
    // (those left empty dropped).
    std::vector<Ui::PixelBox> within(const Ui::PixelBox& bounds) const;
    const std::vector<Ui::PixelBox>& boxes() const { return m_boxes; }

private:
    std::vector<Ui::PixelBox> m_boxes;
};

// Box geometry on device pixels.
bool box_empty(const Ui::PixelBox& box);
// Whether the two share a pixel.
bool boxes_overlap(const Ui::PixelBox& a, const Ui::PixelBox& b);
// The smallest box holding both; an empty one adds nothing.
Ui::PixelBox box_union(const Ui::PixelBox& a, const Ui::PixelBox& b);
Ui::PixelBox box_intersection(const Ui::PixelBox& a, const Ui::PixelBox& b);
Ui::PixelBox inflated(const Ui::PixelBox& box, float pixels);
constexpr Ui::PixelBox no_box{0.0f, 0.0f, 0.0f, 0.0f};
// The local rectangle (left, top)-(right, bottom) mapped by `to_target` into DIPs and at
// `scale` device pixels a DIP: the whole pixels it touches, with `margin` pixels more on
// every side for antialiasing and filtering that reach past the edge. Not finite: no_box.
Ui::PixelBox device_box(const D2D1_MATRIX_3X2_F& to_target, float scale, float left, float top, float right,
                        float bottom, float margin = 2.0f);

} // namespace Screen
