// tvse-tool texture: sample textures of every storage kind written as PNG files, read
// back here with WIC, the missing texture's placeholder, and the command's failures.

#include "png_reader.h"
#include "tool_runner.h"

#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <objbase.h>
#include <wincodec.h>
#include <wrl/client.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

namespace {

using Microsoft::WRL::ComPtr;

const std::string sample_module = std::string(TVSE_SAMPLE_DIR) + "\\Bastion.module";

using PngReader::Png;
using PngReader::Rgba;
using PngReader::read_png;

// Runs the command into a fresh file and reads the result.
Png texture_png(const std::string& path, TempFolder& folder)
{
    const std::string out = folder.path("out.png");
    const ToolRun run = run_tool({"texture", sample_module, path, out});
    EXPECT_EQ(run.exit_code, 0) << path << ": " << run.err;
    EXPECT_TRUE(run.out.empty()) << "the image goes to the file only";
    if (run.exit_code != 0)
        return {};
    return read_png(out);
}

struct SampleTexture {
    const char* path;   // as screens name it
    const char* kind;   // storage, for the failure message
    std::uint32_t width;
    std::uint32_t height;
    bool opaque;             // every pixel alpha 255
    bool transparent_corner; // top-left pixel fully transparent
};

std::ostream& operator<<(std::ostream& out, const SampleTexture& texture)
{
    return out << texture.path << " (" << texture.kind << ")";
}

// One texture of each way the sample stores them (tools/README.md's texture table).
const SampleTexture sample_textures[] = {
    {"art/ui/textures/frontend/background_wall", "DDS DXT1", 256, 256, true, false},
    {"art/ui/textures/common/slider_back", "DDS DXT1 with pitch", 256, 32, false, false},
    {"art/ui/textures/common/ready_on", "DDS DXT1 1-bit alpha with mips", 64, 64, false, true},
    {"art/ui/textures/common/kick", "DDS DXT2", 64, 64, false, true},
    {"art/ui/textures/common/small_button_normal", "DDS DXT3", 128, 32, false, true},
    {"art/ui/textures/common/small_button_glow", "DDS DXT4", 128, 32, false, true},
    {"art/ui/textures/common/button_normal", "DDS DXT5", 256, 64, false, true},
    {"art/ui/textures/common/checkbox_off_disabled.tga", "DXT5 found as the .dds sibling", 64, 64, false, true},
    {"art/ui/textures/common/checkbox_on.tga", "TGA 32-bit", 64, 64, false, true},
    {"art/ui/textures/common/radio_on.tga", "TGA 32-bit with id and colour map", 64, 64, false, true},
    {"art/ui/textures/loading/bastion_keep", "TGA 24-bit with id", 256, 192, true, false},
    {"art/ui/textures/maps/border_road_preview", "TGA 24-bit with id and colour map", 128, 128, true, false},
    {"art/ui/textures/common/dialog_back", "RGT DXT1 deflated", 256, 256, true, false},
    {"art/ui/textures/common/slider_fill", "RGT DXT3 deflated", 256, 32, false, true},
    {"art/ui/textures/common/progress_fill", "RGT DXT5 stored", 256, 32, false, true},
    {"art/ui/textures/common/dropdown_arrow", "RGT image", 64, 64, false, true},
};

class TextureCommandSampleTest : public ::testing::TestWithParam<SampleTexture> {
protected:
    TempFolder m_folder;
};

TEST_P(TextureCommandSampleTest, WritesAPngOfTheTexturesSizeWithItsPixels)
{
    const SampleTexture& texture = GetParam();
    const Png png = texture_png(texture.path, m_folder);
    ASSERT_EQ(png.width, texture.width);
    ASSERT_EQ(png.height, texture.height);

    bool all_opaque = true;
    bool any_solid = false; // the glow's peak is a little below full alpha
    bool uniform = true;
    for (std::uint32_t pixel : png.pixels) {
        all_opaque = all_opaque && (pixel >> 24) == 0xFF;
        any_solid = any_solid || (pixel >> 24) >= 0xC0;
        uniform = uniform && pixel == png.pixels.front();
    }
    EXPECT_FALSE(uniform) << "a drawn texture, not a flat fill";
    EXPECT_TRUE(any_solid);
    EXPECT_FALSE(png.pixels.front() == 0xFFFF00FFu && png.pixels.back() == 0xFFFF00FFu) << "not the placeholder";
    if (texture.opaque) {
        EXPECT_TRUE(all_opaque);
    }
    if (texture.transparent_corner) {
        // Straight alpha: a fully transparent pixel carries no colour either.
        EXPECT_EQ(png.pixels.front(), 0u) << std::hex << png.pixels.front();
    }
    const Rgba centre = png.at(png.width / 2, png.height / 2);
    EXPECT_GT(centre.a, 0) << "the middle of every sample texture is drawn";
}

INSTANTIATE_TEST_SUITE_P(EveryStorage, TextureCommandSampleTest, ::testing::ValuesIn(sample_textures),
                         [](const ::testing::TestParamInfo<SampleTexture>& info) {
                             return "Texture" + std::to_string(info.index);
                         });

class TextureCommandTest : public ::testing::Test {
protected:
    TempFolder m_folder;
};

// 24-bit rows stored bottom-up and recombined from bytes: a flipped or channel-swapped
// picture puts dark ground at the top or turns the blue sky orange.
TEST_F(TextureCommandTest, TheLoadingPictureHasItsSkyAtTheTop)
{
    const Png png = texture_png("art/ui/textures/loading/bastion_keep", m_folder);
    ASSERT_EQ(png.height, 192u);
    EXPECT_GT(png.row_brightness(0), png.row_brightness(191) + 30);
    // The top of the dusk sky is deep blue; the very bottom of the ground is near black.
    const Rgba sky = png.at(200, 0);
    EXPECT_GT(sky.b, sky.r + 10) << sky.r << "," << sky.g << "," << sky.b;
    const Rgba ground = png.at(200, 191);
    EXPECT_LT(ground.r + ground.g + ground.b, 60);
    // Towards the horizon the sky glows orange.
    const Rgba glow = png.at(250, 100);
    EXPECT_GT(glow.r, glow.b + 60) << glow.r << "," << glow.g << "," << glow.b;
}

// Block rows are stored bottom-up as well: the glossy fill is lit from its top edge.
TEST_F(TextureCommandTest, ABlockCompressedTextureIsTheRightWayUp)
{
    const Png png = texture_png("art/ui/textures/common/progress_fill", m_folder);
    ASSERT_EQ(png.height, 32u);
    EXPECT_GT(png.row_brightness(5), png.row_brightness(27) + 60);
}

// Stored premultiplied (DXT4): a soft glow of one colour (230, 150, 60) fading out. Its
// half-transparent pixels come back with that colour, not darkened by their alpha as a
// second premultiplication would leave them.
TEST_F(TextureCommandTest, APremultipliedTextureComesOutWithStraightColour)
{
    const Png png = texture_png("art/ui/textures/common/small_button_glow", m_folder);
    ASSERT_EQ(png.width, 128u);
    double sum[3] = {0, 0, 0};
    int count = 0;
    for (std::uint32_t y = 0; y < png.height; ++y)
        for (std::uint32_t x = 0; x < png.width; ++x) {
            const Rgba c = png.at(x, y);
            if (c.a < 64 || c.a > 160)
                continue;
            sum[0] += c.r;
            sum[1] += c.g;
            sum[2] += c.b;
            ++count;
        }
    ASSERT_GT(count, 100) << "the glow fades over many pixels";
    EXPECT_NEAR(sum[0] / count, 230, 15);
    EXPECT_NEAR(sum[1] / count, 150, 15);
    EXPECT_NEAR(sum[2] / count, 60, 15);
}

// DXT2, the other premultiplied kind: the cross's opaque core keeps its red.
TEST_F(TextureCommandTest, APremultipliedTexturesOpaqueCoreKeepsItsColour)
{
    const Png png = texture_png("art/ui/textures/common/kick", m_folder);
    ASSERT_EQ(png.width, 64u);
    const Rgba centre = png.at(32, 32); // drawn (200, 70, 60) opaque
    EXPECT_EQ(centre.a, 255);
    EXPECT_NEAR(centre.r, 200, 12);
    EXPECT_NEAR(centre.g, 70, 12);
    EXPECT_NEAR(centre.b, 60, 12);
}

TEST_F(TextureCommandTest, AMissingTextureWritesTheMagentaPlaceholder)
{
    const Png png = texture_png("art/ui/textures/frontend/bastion_crest", m_folder);
    ASSERT_EQ(png.width, 256u);
    ASSERT_EQ(png.height, 256u);
    const Rgba corner = png.at(0, 0);
    EXPECT_EQ(corner.r, 255);
    EXPECT_EQ(corner.g, 0);
    EXPECT_EQ(corner.b, 255);
    EXPECT_EQ(corner.a, 255);
    bool has_text = false; // the reason is written in dark ink over the magenta
    for (std::uint32_t pixel : png.pixels)
        has_text = has_text || (pixel & 0xFFFFFF) != 0xFF00FF;
    EXPECT_TRUE(has_text);
}

TEST_F(TextureCommandTest, WrongArgumentsPrintTheUsage)
{
    for (const std::vector<std::string>& arguments :
         {std::vector<std::string>{"texture"}, std::vector<std::string>{"texture", sample_module, "art/x"},
          std::vector<std::string>{"texture", sample_module, "art/x", m_folder.path("a.png"), "extra"}}) {
        const ToolRun run = run_tool(arguments);
        EXPECT_EQ(run.exit_code, 1) << arguments.size();
        EXPECT_EQ(run.err.rfind("usage: tvse-tool texture FILE.module PATH OUT.png", 0), 0u) << run.err;
        EXPECT_TRUE(run.out.empty());
    }
    EXPECT_FALSE(std::filesystem::exists(m_folder.path("a.png")));
}

TEST_F(TextureCommandTest, AModuleThatCannotBeOpenedIsAnError)
{
    const std::string module = m_folder.path("Absent.module");
    const std::string out = m_folder.path("out.png");
    const ToolRun run = run_tool({"texture", module, "art/ui/textures/frontend/logo", out});
    EXPECT_EQ(run.exit_code, 1);
    EXPECT_EQ(lines_of(run.err), std::vector<std::string>{"Cannot open module file " + module});
    EXPECT_TRUE(run.out.empty());
    EXPECT_FALSE(std::filesystem::exists(out)) << "no file for a failed run";
}

} // namespace
