// Every screen of the sample installation drawn by the editor's own code: none fails,
// each with widgets puts something of its own on the checkerboard, and the kept image
// shows what drawing the screen afresh shows, also after hovers, drags and edits.

#include "render/offscreen_device_target.h"
#include "render/resource_set.h"
#include "screen/screen_document.h"
#include "screen/widget.h"
#include "ui/element_chain.h"

#include "mod/loaded_mod.h"
#include "support/win/test_graphics.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

namespace {

const D2D1_COLOR_F white = D2D1::ColorF(1.0f, 1.0f, 1.0f, 1.0f);

void load_sample(Mod::LoadedMod& mod)
{
    mod.set_resource_builder(Render::resource_set_builder());
    mod.load(&TestSupport::test_graphics(), std::string(TVSE_SAMPLE_DIR) + "\\Bastion.module");
    mod.wait_until_loaded(Platform::wait_forever);
}

// The screen drawn straight onto a target of its own, keeping nothing.
std::vector<std::uint32_t> fresh_pixels(Screen::ScreenDocument& document, Render::OffscreenDeviceTarget& target)
{
    target.draw([&](ID2D1RenderTarget* drawn) { document.draw_once(drawn); }, white, document.transform());
    return target.read_pixels();
}

// How many pixels differ, and the first that does.
::testing::AssertionResult same_pixels(const std::vector<std::uint32_t>& kept, const std::vector<std::uint32_t>& fresh,
                                       std::uint32_t width)
{
    std::size_t differing = 0, first = 0;
    for (std::size_t i = 0; i < kept.size() && i < fresh.size(); ++i) {
        if (kept[i] != fresh[i] && differing++ == 0)
            first = i;
    }
    if (differing == 0 && kept.size() == fresh.size())
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << differing << " pixels differ, the first at (" << first % width << ", "
                                         << first / width << "): kept " << std::hex << kept[first] << ", fresh "
                                         << fresh[first];
}

TEST(SampleDrawingTest, EveryScreenDraws)
{
    Mod::LoadedMod mod;
    load_sample(mod);
    std::vector<std::string> names;
    mod.files()->list("Art\\UI\\Screens\\", names);
    Render::OffscreenDeviceTarget target(TestSupport::test_graphics(), 256, 192);
    Render::OffscreenDeviceTarget fresh(TestSupport::test_graphics(), 256, 192);
    int drawn = 0;
    for (const std::string& name : names) {
        if (name.size() < 7 || name.compare(name.size() - 7, 7, ".screen") != 0)
            continue;
        const std::string path = "Art\\UI\\Screens\\" + name;
        Screen::ScreenDocument document(&TestSupport::test_graphics(), mod, path);
        document.set_bounds(0.0f, 0.0f, 256.0f, 192.0f);
        ASSERT_NO_THROW(target.draw(document, white)) << path;
        // More than the checkerboard's two shades where there are widgets: the screen drew
        // something (the placeholder screens of the sample have none).
        std::vector<std::uint32_t> pixels = target.read_pixels();
        EXPECT_TRUE(same_pixels(pixels, fresh_pixels(document, fresh), 256)) << path;
        std::set<std::uint32_t> colours(pixels.begin(), pixels.end());
        if (document.widget_count() > 0)
            EXPECT_GT(colours.size(), 2u) << path;
        ++drawn;
    }
    EXPECT_EQ(drawn, 52);
}

// A walk over the shown widgets of screens with buttons, texts and tooltips: each is
// hovered, every other one dragged a step, every third one's text edited and every
// fifth one hidden; after every step the kept image, drawn again only where something
// changed, equals the screen drawn afresh.
TEST(SampleDrawingTest, TheKeptImageEqualsAFreshDrawingAfterHoversDragsAndEdits)
{
    Mod::LoadedMod mod;
    load_sample(mod);
    constexpr std::uint32_t width = 320, height = 240;
    Render::OffscreenDeviceTarget kept(TestSupport::test_graphics(), width, height);
    Render::OffscreenDeviceTarget fresh(TestSupport::test_graphics(), width, height);
    for (const char* name : {"mainmenuscreen", "loadingscreen", "lobby2"}) {
        const std::string path = std::string("Art\\UI\\Screens\\") + name + ".screen";
        Screen::ScreenDocument document(&TestSupport::test_graphics(), mod, path);
        document.set_bounds(0.0f, 0.0f, static_cast<float>(width), static_cast<float>(height));
        kept.draw(document, white);
        Ui::ElementChain hover(Ui::ElementChain::Kind::hover, nullptr);
        int step = 0;
        for (Screen::Widget* widget : document.live_widgets()) {
            if (!widget->shown() || step >= 40)
                continue;
            ++step;
            hover.move_to(widget);
            if (step % 2 == 0)
                widget->set_bounds(widget->x() + 0.013f, widget->y() - 0.007f, widget->width(), widget->height());
            if (step % 3 == 0)
                widget->set_text("Kept " + std::to_string(step));
            if (step % 5 == 0)
                widget->set_visible(false);
            kept.draw(document, white);
            const std::vector<std::uint32_t> pixels = kept.read_pixels();
            ASSERT_TRUE(same_pixels(pixels, fresh_pixels(document, fresh), width))
                << name << ", step " << step << ", widget " << widget->name();
        }
        EXPECT_GT(step, 5) << name;
        hover.move_to(nullptr); // off the screen: the tooltip goes
        kept.draw(document, white);
        EXPECT_TRUE(same_pixels(kept.read_pixels(), fresh_pixels(document, fresh), width)) << name;
    }
}

} // namespace
