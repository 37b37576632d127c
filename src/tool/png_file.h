#pragma once
// Writing pixels read back from the graphics device as a PNG file, with straight alpha
// as image tools expect.

#include <wincodec.h>

#include <cstdint>
#include <string>
#include <vector>

namespace Tool {

// `pixels`: premultiplied 0xAARRGGBB, row by row from the top. Raises COMException.
void write_png(IWICImagingFactory* factory, const std::wstring& path, std::uint32_t width, std::uint32_t height,
               std::vector<std::uint32_t> pixels);

} // namespace Tool
