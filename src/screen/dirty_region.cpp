#include "screen/dirty_region.h"

#include <algorithm>
#include <cmath>

namespace Screen {

bool box_empty(const Ui::PixelBox& box)
{
    // Written so that NaN is empty.
    return !(box.right > box.left && box.bottom > box.top);
}

bool boxes_overlap(const Ui::PixelBox& a, const Ui::PixelBox& b)
{
    return !box_empty(a) && !box_empty(b) && a.left < b.right && b.left < a.right && a.top < b.bottom &&
           b.top < a.bottom;
}

Ui::PixelBox box_union(const Ui::PixelBox& a, const Ui::PixelBox& b)
{
    if (box_empty(a))
        return box_empty(b) ? no_box : b;
    if (box_empty(b))
        return a;
    return {std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
            std::max(a.bottom, b.bottom)};
}

Ui::PixelBox box_intersection(const Ui::PixelBox& a, const Ui::PixelBox& b)
{
    const Ui::PixelBox box{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
                           std::min(a.bottom, b.bottom)};
    return box_empty(box) ? no_box : box;
}

Ui::PixelBox inflated(const Ui::PixelBox& box, float pixels)
{
    if (box_empty(box))
        return no_box;
    return {box.left - pixels, box.top - pixels, box.right + pixels, box.bottom + pixels};
}

Ui::PixelBox device_box(const D2D1_MATRIX_3X2_F& m, float scale, float left, float top, float right, float bottom,
                        float margin)
{
    const float xs[] = {left, right, left, right};
    const float ys[] = {top, top, bottom, bottom};
    float x0 = 0.0f, y0 = 0.0f, x1 = 0.0f, y1 = 0.0f;
    for (int i = 0; i < 4; ++i) {
        const float x = (xs[i] * m.m11 + ys[i] * m.m21 + m.dx) * scale;
        const float y = (xs[i] * m.m12 + ys[i] * m.m22 + m.dy) * scale;
        x0 = i == 0 ? x : std::min(x0, x);
        x1 = i == 0 ? x : std::max(x1, x);
        y0 = i == 0 ? y : std::min(y0, y);
        y1 = i == 0 ? y : std::max(y1, y);
    }
    // Far outside any image: a float past 2^24 no longer holds whole pixels.
    constexpr float limit = 1.0e7f;
    if (!(std::isfinite(x0) && std::isfinite(y0) && std::isfinite(x1) && std::isfinite(y1)))
        return no_box;
    x0 = std::clamp(x0, -limit, limit);
    x1 = std::clamp(x1, -limit, limit);
    y0 = std::clamp(y0, -limit, limit);
    y1 = std::clamp(y1, -limit, limit);
    return {std::floor(x0) - margin, std::floor(y0) - margin, std::ceil(x1) + margin, std::ceil(y1) + margin};
}

namespace {

// Overlapping or sharing an edge: one rectangle draws both at no extra cost.
bool touching(const Ui::PixelBox& a, const Ui::PixelBox& b)
{
    return a.left <= b.right && b.left <= a.right && a.top <= b.bottom && b.top <= a.bottom;
}

} // namespace

void DirtyRegion::add(const Ui::PixelBox& box)
{
    if (box_empty(box))
        return;
    Ui::PixelBox merged = box;
    // A merged box may now touch boxes it did not before: merge until none does.
    for (bool again = true; again;) {
        again = false;
        for (std::size_t i = 0; i < m_boxes.size(); ++i) {
            if (touching(m_boxes[i], merged)) {
                merged = box_union(merged, m_boxes[i]);
                m_boxes.erase(m_boxes.begin() + static_cast<std::ptrdiff_t>(i));
                again = true;
                break;
            }
        }
    }
    m_boxes.push_back(merged);
    if (m_boxes.size() > max_rectangles) {
        Ui::PixelBox all = no_box;
        for (const Ui::PixelBox& each : m_boxes)
            all = box_union(all, each);
        m_boxes.assign(1, all);
    }
}

std::vector<Ui::PixelBox> DirtyRegion::within(const Ui::PixelBox& bounds) const
{
    std::vector<Ui::PixelBox> clipped;
    for (const Ui::PixelBox& box : m_boxes) {
        const Ui::PixelBox part = box_intersection(box, bounds);
        if (!box_empty(part))
            clipped.push_back(part);
    }
    return clipped;
}

} // namespace Screen
