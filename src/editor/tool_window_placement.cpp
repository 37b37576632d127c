#include "editor/tool_window_placement.h"

#include <cmath>

namespace Editor {
namespace {

// Truncated toward zero, saturated: an absurd rectangle must not overflow the cast.
std::int32_t truncated(float value)
{
    if (!(value == value))
        return 0;
    if (value >= 2147483520.0f)
        return 2147483520;
    if (value <= -2147483648.0f)
        return -2147483647 - 1;
    return static_cast<std::int32_t>(std::trunc(value));
}

std::int32_t offset(std::int32_t origin, std::int32_t extent, std::int32_t size, float fraction)
{
    const float free = static_cast<float>(static_cast<std::int64_t>(extent) - origin - size);
    const std::int64_t result = static_cast<std::int64_t>(origin) - truncated(free * -fraction);
    if (result > INT32_MAX)
        return INT32_MAX;
    if (result < INT32_MIN)
        return INT32_MIN;
    return static_cast<std::int32_t>(result);
}

} // namespace

std::int32_t pixels_of_dips(std::int32_t dips, float dpi)
{
    const double pixels = std::ceil(static_cast<double>(dips) * dpi / 96.0);
    return truncated(static_cast<float>(pixels));
}

std::int32_t dips_of_pixels(std::int32_t pixels, float dpi)
{
    if (!(dpi > 0.0f))
        return pixels;
    // Down, undoing the rounding up of pixels_of_dips (a little slack for the division).
    return truncated(static_cast<float>(std::floor(static_cast<double>(pixels) * 96.0 / dpi + 1e-6)));
}

WindowPosition place_over(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom,
                          std::int32_t width, std::int32_t height, float fraction)
{
    return {offset(left, right, width, fraction), offset(top, bottom, height, 0.5f)};
}

} // namespace Editor
