#include "editor/resize_handles.h"

#include <algorithm>
#include <cmath>

namespace Editor {

PixelBox handle_box(const PixelBox& frame, int edges)
{
    // The frame's line is the pixel inside its outer edge; a handle centres on it.
    const float half = std::floor(handle_size / 2.0f);
    float cx = std::floor((frame.left + frame.right) / 2.0f);
    float cy = std::floor((frame.top + frame.bottom) / 2.0f);
    if (edges & Edge::left)
        cx = frame.left;
    else if (edges & Edge::right)
        cx = frame.right - 1.0f;
    if (edges & Edge::top)
        cy = frame.top;
    else if (edges & Edge::bottom)
        cy = frame.bottom - 1.0f;
    return {cx - half, cy - half, cx - half + handle_size, cy - half + handle_size};
}

int handle_at(const PixelBox& frame, float x, float y)
{
    const auto hits = [&](int edges) {
        const PixelBox box = handle_box(frame, edges);
        return x >= box.left - handle_slop && x < box.right + handle_slop && y >= box.top - handle_slop &&
               y < box.bottom + handle_slop;
    };
    for (int pass = 0; pass < 2; ++pass) {
        for (int edges : handle_edges) {
            const bool corner = (edges & (Edge::left | Edge::right)) && (edges & (Edge::top | Edge::bottom));
            if (corner == (pass == 0) && hits(edges))
                return edges;
        }
    }
    return 0;
}

WidgetRectangle resized(const WidgetRectangle& start, int edges, float dx, float dy)
{
    float left = start.x, top = start.y;
    float right = start.x + start.width, bottom = start.y + start.height;
    if (edges & Edge::left)
        left = std::min(left + dx, right);
    if (edges & Edge::right)
        right = std::max(right + dx, left);
    if (edges & Edge::top)
        top = std::min(top + dy, bottom);
    if (edges & Edge::bottom)
        bottom = std::max(bottom + dy, top);
    return {left, top, right - left, bottom - top};
}

} // namespace Editor
