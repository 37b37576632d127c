#pragma once
// The eight handles of the edit tool around the selected widget, and what dragging one
// does to the widget's rectangle. Handles are squares of whole device pixels centred
// on the corners and edge middles of the selection's frame, so that drawing and
// hit-testing agree pixel for pixel.

#include "ui/pixel_box.h"

#include <array>

namespace Editor {

using Ui::PixelBox;

// Edges a handle moves (or'ed): a corner moves two.
namespace Edge {
constexpr int left = 1;
constexpr int top = 2;
constexpr int right = 4;
constexpr int bottom = 8;
} // namespace Edge

// Clockwise from the top-left corner.
constexpr std::array<int, 8> handle_edges = {
    Edge::left | Edge::top,     Edge::top,   Edge::right | Edge::top, Edge::right,
    Edge::right | Edge::bottom, Edge::bottom, Edge::left | Edge::bottom, Edge::left,
};

struct WidgetRectangle {
    float x, y, width, height;
};

constexpr float handle_size = 7.0f; // device pixels, odd: centred on a pixel
constexpr float handle_slop = 2.0f; // device pixels around a handle that still hit it

// The square of the handle that moves `edges`, around the frame `frame` (the outer
// edges of the frame's pixels, as the emphasis frame is drawn).
PixelBox handle_box(const PixelBox& frame, int edges);

// The edges of the handle at device pixel (x, y), or 0. A small frame's handles
// overlap: the corners win, then the first in clockwise order.
int handle_at(const PixelBox& frame, float x, float y);

// `start` with the named edges moved by (dx, dy), in its own units. An edge dragged
// past the opposite one stops there: sizes never go below 0.
WidgetRectangle resized(const WidgetRectangle& start, int edges, float dx, float dy);

} // namespace Editor
