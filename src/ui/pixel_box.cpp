#include "ui/pixel_box.h"

#include <algorithm>
#include <cmath>

namespace Ui {

PixelBox outward_pixel_box(float x0, float y0, float x1, float y1)
{
    PixelBox box{std::floor(std::min(x0, x1)), std::floor(std::min(y0, y1)), std::ceil(std::max(x0, x1)),
                 std::ceil(std::max(y0, y1))};
    box.right = std::max(box.right, box.left + 1.0f);
    box.bottom = std::max(box.bottom, box.top + 1.0f);
    return box;
}

} // namespace Ui
