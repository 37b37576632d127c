// tvse-tool texture FILE.module PATH OUT.png: one texture exactly as the editor gets it
// from the mod's resource set (the same candidate files, the same placeholder when
// that is what the cache returns), converted on the graphics device and written as a
// PNG with straight alpha, as image tools expect.

#include "tool/command.h"

#include "render/device_resources.h"
#include "render/offscreen_device_target.h"
#include "tool/graphics_session.h"
#include "tool/png_file.h"

namespace {

using Microsoft::WRL::ComPtr;

int run(const Tool::Arguments& arguments)
{
    if (arguments.narrow.size() != 3)
        return Tool::fail("usage: tvse-tool texture FILE.module PATH OUT.png");
    Tool::GraphicsSession session(arguments.narrow[0]);
    Render::ResourceSet* resources = session.resources();
    if (!resources || !resources->device())
        return Tool::fail("The mod has no rendering resources");
    // Targets on the context's device, as a window's is; the first only asks the size.
    Render::OffscreenDeviceTarget probe(session.graphics(), 1, 1);
    D2D1_SIZE_U size = resources->device()->texture(probe.target(), arguments.narrow[1])->GetPixelSize();
    Render::OffscreenDeviceTarget target(session.graphics(), size.width, size.height);
    ComPtr<ID2D1Bitmap> bitmap = resources->device()->texture(target.target(), arguments.narrow[1]);
    target.draw(bitmap.Get());
    const std::u16string out = arguments.text[2];
    Tool::write_png(session.graphics().wic_factory.Get(), std::wstring(out.begin(), out.end()), size.width, size.height,
                    target.read_pixels());
    return 0;
}

const Tool::Command command("texture", "texture FILE.module PATH OUT.png", run);

} // namespace
