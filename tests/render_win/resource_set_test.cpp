// The resource set as the program builds it: the sample's main module loaded in the
// background with a real graphics context, then textures and fonts asked for on this
// thread, as the user-interface thread does.

#include "render/device_resources.h"
#include "render/offscreen_device_target.h"
#include "render/resource_set.h"

#include "mod/loaded_mod.h"
#include "platform/background_work.h"
#include "support/win/test_graphics.h"
#include "ui/text_format.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

namespace {

using Microsoft::WRL::ComPtr;

const std::string sample_module = std::string(TVSE_SAMPLE_DIR) + "\\Bastion.module";

std::wstring family_of(IDWriteTextFormat* format)
{
    std::wstring name(format->GetFontFamilyNameLength() + 1, L'\0');
    EXPECT_HRESULT_SUCCEEDED(format->GetFontFamilyName(&name[0], static_cast<UINT32>(name.size())));
    name.resize(name.size() - 1);
    return name;
}

class ResourceSetTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_mod.set_resource_builder(Render::resource_set_builder());
        m_mod.load(&TestSupport::test_graphics(), sample_module);
        m_mod.wait_until_loaded(Platform::wait_forever);
        m_resources = dynamic_cast<Render::ResourceSet*>(m_mod.resources());
        ASSERT_NE(m_resources, nullptr) << "the builder's set is what the mod holds";
        ASSERT_NE(m_resources->device(), nullptr) << "a graphics context gives the device half";
    }

    Render::DeviceResources& device() { return *m_resources->device(); }

    Mod::LoadedMod m_mod;
    Render::ResourceSet* m_resources = nullptr;
};

TEST_F(ResourceSetTest, TheWinningColourTableIsLoaded)
{
    ASSERT_NE(m_resources->colours(), nullptr);
    EXPECT_EQ(m_resources->files(), std::static_pointer_cast<const Mod::FileSource>(m_mod.files()));
    // Every source's copy of the table has its own accent; BastionArt.sga's wins.
    const Screen::Colour accent = m_resources->colours()->resolve("accent");
    EXPECT_FLOAT_EQ(accent.r, 200 / 255.0f);
    EXPECT_FLOAT_EQ(accent.g, 40 / 255.0f);
    EXPECT_FLOAT_EQ(accent.b, 40 / 255.0f);
    EXPECT_FLOAT_EQ(accent.a, 1.0f);
}

struct SampleTexture {
    const char* path;
    const char* kind;
    std::uint32_t width;
    std::uint32_t height;
};

std::ostream& operator<<(std::ostream& out, const SampleTexture& texture)
{
    return out << texture.path << " (" << texture.kind << ")";
}

// One texture of each way the sample stores them, named as screens name them.
const SampleTexture sample_textures[] = {
    {"art\\ui\\textures\\frontend\\background_wall", "DDS DXT1", 256, 256},
    {"art\\ui\\textures\\common\\slider_back", "DDS DXT1 with pitch", 256, 32},
    {"art\\ui\\textures\\common\\ready_on", "DDS DXT1 with mips", 64, 64},
    {"art\\ui\\textures\\common\\kick", "DDS DXT2", 64, 64},
    {"art\\ui\\textures\\common\\scroll_thumb", "DDS DXT3", 32, 64},
    {"art\\ui\\textures\\common\\scroll_arrow", "DDS DXT4", 64, 64},
    {"art\\ui\\textures\\frontend\\logo", "DDS DXT5", 256, 128},
    {"art\\ui\\textures\\common\\checkbox_off_disabled.tga", "only the .dds sibling exists", 64, 64},
    {"art\\ui\\textures\\frontend\\vignette.tga", "TGA 32-bit", 128, 128},
    {"art\\ui\\textures\\common\\dialog_corner.tga", "TGA 32-bit with id and colour map", 64, 64},
    {"art\\ui\\textures\\loading\\bastion_keep", "TGA 24-bit with id", 256, 192},
    {"art\\ui\\textures\\maps\\border_road_preview", "TGA 24-bit with id and colour map", 128, 128},
    {"art\\ui\\textures\\common\\dialog_back", "RGT DXT1 deflated", 256, 256},
    {"art\\ui\\textures\\common\\slider_fill", "RGT DXT3 deflated", 256, 32},
    {"art\\ui\\textures\\common\\progress_fill", "RGT DXT5 stored", 256, 32},
    {"art\\ui\\textures\\common\\dropdown_arrow", "RGT image", 64, 64},
    {"ui:art/ui/textures/frontend/tab_selected", "prefix, forward slashes", 128, 32},
};

class ResourceSetTextureTest : public ResourceSetTest, public ::testing::WithParamInterface<SampleTexture> {};

TEST_P(ResourceSetTextureTest, ComesBackAtItsPixelSize)
{
    const SampleTexture& texture = GetParam();
    Render::OffscreenDeviceTarget target(TestSupport::test_graphics(), 256, 256);
    ComPtr<ID2D1Bitmap> bitmap = device().texture(target.target(), texture.path);
    ASSERT_TRUE(bitmap);
    const D2D1_SIZE_U size = bitmap->GetPixelSize();
    EXPECT_EQ(size.width, texture.width);
    EXPECT_EQ(size.height, texture.height);

    // Drawn on a target of the context's device: real pixels, not the magenta placeholder
    // a failed conversion would give (which is 256 x 256 and would fail above for most).
    target.draw(bitmap.Get());
    const std::vector<std::uint32_t> pixels = target.read_pixels();
    std::size_t drawn = 0;
    std::size_t magenta = 0;
    for (std::uint32_t y = 0; y < size.height; ++y)
        for (std::uint32_t x = 0; x < size.width; ++x) {
            const std::uint32_t pixel = pixels[static_cast<std::size_t>(y) * 256 + x];
            drawn += (pixel >> 24) != 0;
            magenta += pixel == 0xFFFF00FFu;
        }
    EXPECT_GT(drawn, 0u);
    EXPECT_LT(magenta, drawn / 2 + 1);
}

INSTANTIATE_TEST_SUITE_P(EveryStorage, ResourceSetTextureTest, ::testing::ValuesIn(sample_textures),
                         [](const ::testing::TestParamInfo<SampleTexture>& info) {
                             return "Texture" + std::to_string(info.index);
                         });

TEST_F(ResourceSetTest, TheMissingCrestIsTheMagentaPlaceholder)
{
    Render::OffscreenDeviceTarget target(TestSupport::test_graphics(), 256, 256);
    ComPtr<ID2D1Bitmap> bitmap = device().texture(target.target(), "art\\ui\\textures\\frontend\\bastion_crest");
    ASSERT_TRUE(bitmap);
    EXPECT_EQ(bitmap->GetPixelSize().width, 256u);
    EXPECT_EQ(bitmap->GetPixelSize().height, 256u);
    target.draw(bitmap.Get());
    const std::vector<std::uint32_t> pixels = target.read_pixels();
    EXPECT_EQ(pixels[0], 0xFFFF00FFu) << std::hex << pixels[0];
    EXPECT_EQ(pixels.back(), 0xFFFF00FFu) << std::hex << pixels.back();
    EXPECT_EQ(device().texture(target.target(), "art\\ui\\textures\\frontend\\bastion_crest"), bitmap)
        << "kept, not searched again";
}

// The sample's fonts are copied from the machine that generated it.
bool sample_has_dejavu()
{
    return std::filesystem::exists(std::string(TVSE_SAMPLE_DIR) + "/Engine/Data/font/DejaVuSans.ttf");
}

TEST_F(ResourceSetTest, AFontDescriptionGetsTheFamilyItsFileNames)
{
    if (!sample_has_dejavu())
        GTEST_SKIP() << "the sample was generated without DejaVu Sans";
    // gillsans_16.fnt: name = "DejaVu Sans Book" (the face's full name), sizeDefault = 16,
    // sizes 13, 16, 20 and 24 at widths 800, 1024, 1280 and 1600.
    const Render::FontEntry& entry = device().font("gillsans_16");
    ASSERT_TRUE(entry.format);
    EXPECT_EQ(family_of(entry.format.Get()), L"DejaVu Sans");
    EXPECT_EQ(entry.format->GetFontWeight(), DWRITE_FONT_WEIGHT_NORMAL);
    EXPECT_FLOAT_EQ(entry.format->GetFontSize(), 12.0f) << "16 points at 96 DPI";
    ComPtr<IDWriteFontCollection> collection;
    EXPECT_HRESULT_SUCCEEDED(entry.format->GetFontCollection(&collection));
    EXPECT_EQ(collection.Get(), device().font_collection().collection()) << "the mod's own font file";
    const std::vector<std::pair<float, float>> table{{800, 13 / 16.0f}, {1024, 1}, {1280, 1.25f}, {1600, 1.5f}};
    EXPECT_EQ(entry.size_table, table);

    const Render::FontEntry& bold = device().font("gillsans_bold_16");
    ASSERT_TRUE(bold.format);
    EXPECT_EQ(family_of(bold.format.Get()), L"DejaVu Sans");
    EXPECT_EQ(bold.format->GetFontWeight(), DWRITE_FONT_WEIGHT_BOLD);
}

TEST_F(ResourceSetTest, AFaceNoFontFileHasStillGivesAUsableFormat)
{
    // copperplate_11.fnt: name = "Copperplate Gothic", no sizeDefault (12), sizes 11 and
    // 14 at widths 1024 and 1280.
    const Render::FontEntry& entry = device().font("copperplate_11");
    ASSERT_TRUE(entry.format);
    IDWriteFactory* factory = TestSupport::test_graphics().dwrite_factory.Get();
    ComPtr<IDWriteTextFormat> system = Ui::create_system_text_format(factory, 12.0f, DWRITE_FONT_WEIGHT_NORMAL);
    EXPECT_EQ(family_of(entry.format.Get()), family_of(system.Get()));
    EXPECT_FLOAT_EQ(entry.format->GetFontSize(), 12.0f * 72.0f / 96.0f) << "the size the face would have";
    const std::vector<std::pair<float, float>> table{{1024, 11 / 12.0f}, {1280, 14 / 12.0f}};
    EXPECT_EQ(entry.size_table, table) << "the description's proportions are kept";

    // Usable: text laid out in it has a size.
    ComPtr<IDWriteTextLayout> layout = Ui::create_text_layout(L"Version 1.0", factory, entry.format.Get());
    DWRITE_TEXT_METRICS metrics{};
    ASSERT_HRESULT_SUCCEEDED(layout->GetMetrics(&metrics));
    EXPECT_GT(metrics.width, 10.0f);
    EXPECT_GT(metrics.height, 5.0f);
}

// Without a graphics context (tvse-tool's text commands) the set is built all the same,
// with its colours and no device half.
TEST(ResourceSetWithoutGraphics, HasColoursAndNoDevice)
{
    Mod::LoadedMod mod;
    mod.set_resource_builder(Render::resource_set_builder());
    mod.load(nullptr, sample_module);
    mod.wait_until_loaded(Platform::wait_forever);
    auto* resources = dynamic_cast<Render::ResourceSet*>(mod.resources());
    ASSERT_NE(resources, nullptr);
    EXPECT_NE(resources->colours(), nullptr);
    EXPECT_EQ(resources->device(), nullptr);
}

} // namespace
