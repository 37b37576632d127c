#pragma once
// PNG files written by tvse-tool, read back with WIC as any Windows program would.

#include <gtest/gtest.h>

#include <objbase.h>
#include <wincodec.h>
#include <wrl/client.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace PngReader {

using Microsoft::WRL::ComPtr;

struct Rgba {
    int r, g, b, a;
};

// A PNG as straight-alpha pixels, rows from the top.
struct Png {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::vector<std::uint32_t> pixels; // 0xAARRGGBB

    Rgba at(std::uint32_t x, std::uint32_t y) const
    {
        const std::uint32_t p = pixels[static_cast<std::size_t>(y) * width + x];
        return {static_cast<int>((p >> 16) & 0xFF), static_cast<int>((p >> 8) & 0xFF), static_cast<int>(p & 0xFF),
                static_cast<int>(p >> 24)};
    }
    // Mean brightness (r + g + b) of row `y`.
    double row_brightness(std::uint32_t y) const
    {
        double sum = 0;
        for (std::uint32_t x = 0; x < width; ++x) {
            const Rgba c = at(x, y);
            sum += c.r + c.g + c.b;
        }
        return sum / width;
    }
};

// Decodes with WIC, as any Windows program reading the file would; fails the test on error.
inline Png read_png(const std::string& path)
{
    Png png;
    static const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    EXPECT_TRUE(SUCCEEDED(com)) << std::hex << com;
    ComPtr<IWICImagingFactory> factory;
    HRESULT hr = CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                  IID_PPV_ARGS(factory.GetAddressOf()));
    if (FAILED(hr)) {
        ADD_FAILURE() << "WIC factory: " << std::hex << hr;
        return png;
    }
    ComPtr<IWICBitmapDecoder> decoder;
    const std::wstring wide = std::filesystem::path(path).wstring();
    hr = factory->CreateDecoderFromFilename(wide.c_str(), nullptr, GENERIC_READ, WICDecodeMetadataCacheOnDemand,
                                            &decoder);
    if (FAILED(hr)) {
        ADD_FAILURE() << "cannot decode " << path << ": " << std::hex << hr;
        return png;
    }
    GUID container{};
    EXPECT_HRESULT_SUCCEEDED(decoder->GetContainerFormat(&container));
    EXPECT_TRUE(IsEqualGUID(container, GUID_ContainerFormatPng)) << path << " is not a PNG";
    ComPtr<IWICBitmapFrameDecode> frame;
    ComPtr<IWICBitmapSource> converted;
    if (FAILED(decoder->GetFrame(0, &frame)) ||
        FAILED(WICConvertBitmapSource(GUID_WICPixelFormat32bppBGRA, frame.Get(), &converted))) {
        ADD_FAILURE() << "cannot read the pixels of " << path;
        return png;
    }
    UINT width = 0, height = 0;
    EXPECT_HRESULT_SUCCEEDED(converted->GetSize(&width, &height));
    png.width = width;
    png.height = height;
    png.pixels.resize(static_cast<std::size_t>(width) * height);
    EXPECT_HRESULT_SUCCEEDED(converted->CopyPixels(nullptr, width * 4, static_cast<UINT>(png.pixels.size() * 4),
                                                   reinterpret_cast<BYTE*>(png.pixels.data())));
    return png;
}

} // namespace PngReader
