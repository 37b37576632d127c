// tvse-tool render FILE.module SCREENPATH OUT.png [WIDTHxHEIGHT]: the screen drawn with
// the editor's own code into an offscreen target of that many device-independent pixels
// (1024 x 768 unless given), written as a PNG with straight alpha. A screen that does
// not load prints the document's message to stderr.

#include "tool/command.h"

#include "platform/text_encoding.h"
#include "render/offscreen_device_target.h"
#include "screen/screen_document.h"
#include "tool/graphics_session.h"
#include "tool/png_file.h"

#include <cstdio>

namespace {

// "1024x768"; false for anything else, or a side outside 1 to 16384.
bool parse_size(const std::string& text, std::uint32_t& width, std::uint32_t& height)
{
    unsigned w = 0, h = 0;
    char end = 0;
    if (std::sscanf(text.c_str(), "%ux%u%c", &w, &h, &end) != 2)
        return false;
    if (w < 1 || h < 1 || w > 16384 || h > 16384)
        return false;
    width = w;
    height = h;
    return true;
}

std::string utf8(const std::string& narrow) { return Platform::utf16_to_utf8(Platform::ansi_to_utf16(narrow)); }

int run(const Tool::Arguments& arguments)
{
    const char* usage = "usage: tvse-tool render FILE.module SCREENPATH OUT.png [WIDTHxHEIGHT]";
    if (arguments.narrow.size() != 3 && arguments.narrow.size() != 4)
        return Tool::fail(usage);
    std::uint32_t width = 1024, height = 768;
    if (arguments.narrow.size() == 4 && !parse_size(arguments.narrow[3], width, height))
        return Tool::fail(usage);

    Tool::GraphicsSession session(arguments.narrow[0]);
    std::unique_ptr<Screen::ScreenDocument> document;
    try {
        document = std::make_unique<Screen::ScreenDocument>(&session.graphics(), session.mod(), arguments.narrow[1]);
    } catch (const std::exception& failure) {
        return Tool::fail(utf8(failure.what()));
    }
    Render::OffscreenDeviceTarget target(session.graphics(), width, height);
    document->set_bounds(0.0f, 0.0f, static_cast<float>(width), static_cast<float>(height));
    target.draw([&](ID2D1RenderTarget* drawn) { document->draw_once(drawn); }, D2D1::ColorF(1.0f, 1.0f, 1.0f, 1.0f),
                document->transform());
    const std::u16string out = arguments.text[2];
    Tool::write_png(session.graphics().wic_factory.Get(), std::wstring(out.begin(), out.end()), width, height,
                    target.read_pixels());
    document.reset(); // before the mod and the device it draws with
    return 0;
}

const Tool::Command command("render", "render FILE.module SCREENPATH OUT.png [WIDTHxHEIGHT]", run);

} // namespace
