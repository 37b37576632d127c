// tvse-tool texture FILE.module PATH OUT.png: one texture exactly as the editor gets it
// from the mod's resource set (the same candidate files, the same placeholder when
// that is what the cache returns), converted on the graphics device and written as a
// PNG with straight alpha, as image tools expect.

#include "tool/command.h"

#include "app/com_call.h"
#include "gfx/graphics_context.h"
#include "mod/loaded_mod.h"
#include "platform/text_encoding.h"
#include "render/device_resources.h"
#include "render/offscreen_device_target.h"
#include "render/resource_set.h"

#include <objbase.h>
#include <wincodec.h>

namespace {

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

int run(const Tool::Arguments& arguments)
{
    if (arguments.narrow.size() != 3)
        return Tool::fail("usage: tvse-tool texture FILE.module PATH OUT.png");
    App::check(CoInitialize(nullptr), "CoInitialize");
    Gfx::GraphicsContext graphics;
    Gfx::create_graphics_context(graphics);
    int status = 0;
    {
        Mod::LoadedMod mod;
        mod.set_resource_builder(Render::resource_set_builder());
        mod.load(&graphics, arguments.narrow[0]);
        mod.wait_until_loaded(Platform::wait_forever);
        auto* resources = dynamic_cast<Render::ResourceSet*>(mod.resources());
        if (!resources || !resources->device()) {
            status = Tool::fail("The mod has no rendering resources");
        } else {
            // A target on the context's device, as a window's is.
            Render::OffscreenDeviceTarget probe(graphics, 1, 1);
            ComPtr<ID2D1Bitmap> bitmap = resources->device()->texture(probe.target(), arguments.narrow[1]);
            D2D1_SIZE_U size = bitmap->GetPixelSize();
            Render::OffscreenDeviceTarget target(graphics, size.width, size.height);
            ComPtr<ID2D1Bitmap> drawn = resources->device()->texture(target.target(), arguments.narrow[1]);
            target.draw(drawn.Get());
            const std::u16string out = arguments.text[2];
            write_png(graphics.wic_factory.Get(), std::wstring(out.begin(), out.end()), size.width, size.height,
                      target.read_pixels());
        }
    }
    graphics.release();
    CoUninitialize();
    return status;
}

const Tool::Command command("texture", "texture FILE.module PATH OUT.png", run);

} // namespace
