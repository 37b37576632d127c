// Every screen of the sample installation drawn by the editor's own code: none fails,
// and each with widgets puts something of its own on the checkerboard.

#include "render/offscreen_device_target.h"
#include "render/resource_set.h"
#include "screen/screen_document.h"

#include "mod/loaded_mod.h"
#include "support/win/test_graphics.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

namespace {

TEST(SampleDrawingTest, EveryScreenDraws)
{
    Mod::LoadedMod mod;
    mod.set_resource_builder(Render::resource_set_builder());
    mod.load(&TestSupport::test_graphics(), std::string(TVSE_SAMPLE_DIR) + "\\Bastion.module");
    mod.wait_until_loaded(Platform::wait_forever);
    std::vector<std::string> names;
    mod.files()->list("Art\\UI\\Screens\\", names);
    Render::OffscreenDeviceTarget target(TestSupport::test_graphics(), 256, 192);
    int drawn = 0;
    for (const std::string& name : names) {
        if (name.size() < 7 || name.compare(name.size() - 7, 7, ".screen") != 0)
            continue;
        const std::string path = "Art\\UI\\Screens\\" + name;
        Screen::ScreenDocument document(&TestSupport::test_graphics(), mod, path);
        document.set_bounds(0.0f, 0.0f, 256.0f, 192.0f);
        ASSERT_NO_THROW(target.draw(document, D2D1::ColorF(1.0f, 1.0f, 1.0f, 1.0f))) << path;
        // More than the checkerboard's two shades where there are widgets: the screen drew
        // something (the placeholder screens of the sample have none).
        std::vector<std::uint32_t> pixels = target.read_pixels();
        std::set<std::uint32_t> colours(pixels.begin(), pixels.end());
        if (document.widget_count() > 0)
            EXPECT_GT(colours.size(), 2u) << path;
        ++drawn;
    }
    EXPECT_EQ(drawn, 52);
}

} // namespace
