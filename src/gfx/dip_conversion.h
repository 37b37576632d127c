#pragma once
// Device-independent pixels (96 per inch) and device pixels at a given DPI.

#include <cmath>
#include <climits>

namespace Gfx {

constexpr float dips_per_inch = 96.0f;

// Pixels that cover `dips` at `dpi`, rounded up; never negative.
inline int pixels_from_dips(float dips, float dpi)
{
    double pixels = std::ceil(static_cast<double>(dips) * dpi / dips_per_inch);
    if (!(pixels > 0.0))
        return 0;
    return pixels < INT_MAX ? static_cast<int>(pixels) : INT_MAX;
}

inline float dips_from_pixels(double pixels, float dpi)
{
    return static_cast<float>(pixels * dips_per_inch / dpi);
}

} // namespace Gfx
