#pragma once
// Rectangles on whole device pixels: how frames are drawn crisp and hit alike.

namespace Ui {

struct PixelBox {
    float left, top, right, bottom;
};

// The whole device pixels that cover the rectangle between two corners given in device
// pixels (in any order): left and top rounded down, right and bottom up, at least one
// pixel each way.
PixelBox outward_pixel_box(float x0, float y0, float x1, float y1);

} // namespace Ui
