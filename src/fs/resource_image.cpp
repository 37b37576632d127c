#include "fs/resource_image.h"

#include "app/wic_calls.h"

#include <cstdint>
#include <limits>
#include <stdexcept>
#include <string>

namespace Images {

using Microsoft::WRL::ComPtr;

ComPtr<IWICStream> open_png_resource(IWICImagingFactory* factory, const char* name)
{
    HMODULE module = GetModuleHandleW(nullptr);
    HRSRC resource = FindResourceA(module, name, "PNG");
    HGLOBAL loaded = resource ? LoadResource(module, resource) : nullptr;
    void* bytes = loaded ? LockResource(loaded) : nullptr;
    if (!bytes)
        throw std::runtime_error(std::string("Could not load resource ") + name);

    ComPtr<IWICStream> stream = App::create_stream(factory);
    // The bytes stay mapped with the executable for the whole run; WIC only reads them.
    if (FAILED(stream->InitializeFromMemory(static_cast<BYTE*>(bytes), SizeofResource(module, resource))))
        throw std::runtime_error(std::string("Could not create stream around resource ") + name);
    return stream;
}

ComPtr<IWICBitmapSource> decode_image(IWICImagingFactory* factory, IWICStream* stream)
{
    ComPtr<IWICBitmapDecoder> decoder =
        App::create_decoder_from_stream(factory, stream, nullptr, WICDecodeMetadataCacheOnDemand);
    ComPtr<IWICBitmapFrameDecode> frame = App::get_frame(decoder.Get(), 0);
    ComPtr<IWICFormatConverter> converter = App::create_format_converter(factory);
    App::initialize_format_converter(converter.Get(), frame.Get(), GUID_WICPixelFormat32bppPBGRA,
                                     WICBitmapDitherTypeNone, nullptr, 0.0, WICBitmapPaletteTypeCustom);
    return converter;
}

std::pair<HBITMAP, void*> make_dib_section(IWICBitmapSource* source)
{
    UINT width = 0;
    UINT height = 0;
    App::get_size(source, &width, &height);
    if (width == 0 || height == 0)
        throw std::runtime_error("Empty source");
    // CopyPixels takes the buffer size as 32 bits, and the header wants signed sizes.
    const std::uint64_t stride = std::uint64_t{width} * 4;
    if (stride * height > std::numeric_limits<UINT>::max() ||
        height > static_cast<UINT>(std::numeric_limits<LONG>::max()))
        throw std::runtime_error("Couldn't create DIB section");

    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = static_cast<LONG>(width);
    info.bmiHeader.biHeight = -static_cast<LONG>(height); // negative: the first row is the top
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;

    HDC screen = GetDC(nullptr);
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    ReleaseDC(nullptr, screen);
    if (!bitmap)
        throw std::runtime_error("Couldn't create DIB section");

    const WICRect whole{0, 0, static_cast<INT>(width), static_cast<INT>(height)};
    try {
        App::copy_pixels(source, &whole, static_cast<UINT>(stride), static_cast<UINT>(stride * height),
                         static_cast<BYTE*>(bits));
    } catch (...) {
        DeleteObject(bitmap);
        throw;
    }
    return {bitmap, bits};
}

} // namespace Images
