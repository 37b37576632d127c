#pragma once
// The top-level pixels of one decoded texture file as they are stored, described for
// the upload to the graphics device. The codes are the device's own format and alpha
// mode values, kept as plain numbers so that decoding needs no Windows header.

#include <cstdint>

namespace Render {

enum class PixelFormat : std::uint32_t {
    bc1 = 71,      // 8 bytes per 4 x 4 block
    bc2 = 74,      // 16 bytes per block
    bc3 = 77,      // 16 bytes per block
    b8g8r8a8 = 87, // 4 bytes per pixel
    r8 = 61,       // 1 byte per texel: 24-bit rows, recombined on the device
};

enum class AlphaMode : std::uint32_t {
    premultiplied = 1,
    straight = 2,
};

// The longest side of a texture that every device the program makes takes (feature
// levels 10.0 and 10.1); anything larger is refused before it is read.
constexpr std::uint32_t max_texture_side = 8192;

// Valid only during the call that receives it: `data` may point into a buffer that is
// freed right afterwards.
struct PixelSource {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    const std::uint8_t* data = nullptr; // first stored row (first row of blocks)
    std::uint32_t pitch = 0;            // bytes from one stored row (block row) to the next
    PixelFormat format = PixelFormat::b8g8r8a8;
    AlphaMode alpha_mode = AlphaMode::straight;
};

} // namespace Render
