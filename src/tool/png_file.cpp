// Writes a PNG through WIC: straight alpha, 32-bit BGRA.

#include "tool/png_file.h"

#include "app/com_call.h"
#include "render/offscreen_device_target.h"

#include <wrl/client.h>

namespace Tool {

using Microsoft::WRL::ComPtr;

void write_png(IWICImagingFactory* factory, const std::wstring& path, std::uint32_t width, std::uint32_t height,
               std::vector<std::uint32_t> pixels)
{
    for (std::uint32_t& pixel : pixels)
        pixel = Render::unpremultiply(pixel);
    ComPtr<IWICStream> stream;
    App::check(factory->CreateStream(&stream), "IWICImagingFactory::CreateStream");
    App::check(stream->InitializeFromFilename(path.c_str(), GENERIC_WRITE), "IWICStream::InitializeFromFilename");
    ComPtr<IWICBitmapEncoder> encoder;
    App::check(factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, &encoder), "IWICImagingFactory::CreateEncoder");
    App::check(encoder->Initialize(stream.Get(), WICBitmapEncoderNoCache), "IWICBitmapEncoder::Initialize");
    ComPtr<IWICBitmapFrameEncode> frame;
    App::check(encoder->CreateNewFrame(&frame, nullptr), "IWICBitmapEncoder::CreateNewFrame");
    App::check(frame->Initialize(nullptr), "IWICBitmapFrameEncode::Initialize");
    App::check(frame->SetSize(width, height), "IWICBitmapFrameEncode::SetSize");
    WICPixelFormatGUID format = GUID_WICPixelFormat32bppBGRA;
    App::check(frame->SetPixelFormat(&format), "IWICBitmapFrameEncode::SetPixelFormat");
    App::check(frame->WritePixels(height, width * 4, static_cast<UINT>(pixels.size() * 4),
                                  reinterpret_cast<BYTE*>(pixels.data())),
               "IWICBitmapFrameEncode::WritePixels");
    App::check(frame->Commit(), "IWICBitmapFrameEncode::Commit");
    App::check(encoder->Commit(), "IWICBitmapEncoder::Commit");
}

} // namespace Tool
