#pragma once
// Where a floating tool window goes and what it remembers: each kind of tool window
// keeps one frame for the whole run, so a reopened window returns where it was left.

#include <cstdint>

namespace Editor {

// CW_USEDEFAULT, spelt without Windows headers: "not placed yet".
constexpr std::int32_t unplaced = static_cast<std::int32_t>(0x80000000u);

// Position (device pixels of the screen) and client size (DIPs); x is `unplaced` until
// the window is first placed.
struct RememberedFrame {
    std::int32_t x = unplaced;
    std::int32_t y = unplaced;
    std::int32_t width = 0;
    std::int32_t height = 0;
};

// Device pixels that cover `dips` at `dpi`, rounded up, and back to DIPs rounded down:
// a frame taken back and forth at 96 DPI or more keeps its size.
std::int32_t pixels_of_dips(std::int32_t dips, float dpi);
std::int32_t dips_of_pixels(std::int32_t pixels, float dpi);

struct WindowPosition {
    std::int32_t x;
    std::int32_t y;
};

// A tool window of `width` x `height` placed over the window (left, top, right, bottom):
// `fraction` of the free width in from its left edge, centred vertically. Computed in
// single precision and truncated, as x = left - trunc((right - left - width) * -fraction).
WindowPosition place_over(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom,
                          std::int32_t width, std::int32_t height, float fraction);

} // namespace Editor
