// Texture conversion on the real device: orientation, 24-bit recombination, alpha
// premultiplication, block formats; and the bitmap made for a render target.

#include "render/image_converter.h"
#include "render/image_decoder.h"
#include "render/offscreen_device_target.h"
#include "render/staging_copy.h"

#include "app/d3d10_calls.h"
#include "mod/ucs_bytes.h"
#include "support/win/test_graphics.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

using Microsoft::WRL::ComPtr;

// A TGA file: 18-byte header, pixels as given (rows in stored order), footer.
std::string tga(int width, int height, int bits, const std::string& pixels)
{
    std::string file(18, '\0');
    file[2] = 2;
    file[12] = static_cast<char>(width);
    file[14] = static_cast<char>(height);
    file[16] = static_cast<char>(bits);
    file += pixels;
    file += std::string(8, '\0') + "TRUEVISION-XFILE." + std::string(1, '\0');
    return file;
}

std::string bgra(std::uint32_t argb)
{
    return {static_cast<char>(argb & 0xFF), static_cast<char>((argb >> 8) & 0xFF), static_cast<char>((argb >> 16) & 0xFF),
            static_cast<char>(argb >> 24)};
}

// A DDS of the given size and four-character code; 4 x 4 is one block.
std::string dds(const char* code, const std::string& blocks, int width = 4, int height = 4)
{
    std::string file(128, '\0');
    file.replace(0, 4, "DDS ");
    file[12] = static_cast<char>(height);
    file[16] = static_cast<char>(width);
    file[80] = 4; // DDPF_FOURCC
    file.replace(84, 4, code);
    return file + blocks;
}

// A BC1 block of one opaque colour (RGB565).
std::string bc1_block(std::uint16_t colour)
{
    return std::string{static_cast<char>(colour & 0xFF), static_cast<char>(colour >> 8)} + std::string(6, '\0');
}

// A BC2 block: every texel alpha `alpha4` (0-15) and colour 0 (RGB565 `colour`).
std::string bc2_block(int alpha4, std::uint16_t colour)
{
    std::string block(8, static_cast<char>(alpha4 | (alpha4 << 4)));
    block += static_cast<char>(colour & 0xFF);
    block += static_cast<char>(colour >> 8);
    block += std::string(2, '\0');  // colour 1: black
    block += std::string(4, '\0');  // every index 0: colour 0
    return block;
}

// The converted texture's pixels, read back on the converter's own device.
std::vector<std::uint32_t> read_back(Render::ImageConverter& converter, IDXGIResource* resource)
{
    ComPtr<ID3D10Texture2D> texture;
    EXPECT_HRESULT_SUCCEEDED(resource->QueryInterface(__uuidof(ID3D10Texture2D), reinterpret_cast<void**>(texture.GetAddressOf())));
    D3D10_TEXTURE2D_DESC description;
    texture->GetDesc(&description);
    EXPECT_EQ(description.Format, DXGI_FORMAT_B8G8R8A8_UNORM);
    EXPECT_EQ(description.MiscFlags & D3D10_RESOURCE_MISC_SHARED, static_cast<UINT>(D3D10_RESOURCE_MISC_SHARED));
    return Render::StagingCopy(converter.device(), texture.Get()).pixels();
}

class ImageConverterTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { converter = new Render::ImageConverter(TestSupport::test_graphics()); }
    static void TearDownTestSuite()
    {
        delete converter;
        converter = nullptr;
    }

    // Converts a file and returns its pixels, top row first.
    std::vector<std::uint32_t> convert(const std::string& file)
    {
        ComPtr<IDXGIResource> resource;
        Render::decode_image_file(blob_of(file), [&](const Render::PixelSource& source) {
            resource = converter->convert(source);
        });
        return read_back(*converter, resource.Get());
    }

    static Render::ImageConverter* converter;
};

Render::ImageConverter* ImageConverterTest::converter = nullptr;

TEST_F(ImageConverterTest, TheFirstStoredRowEndsAtTheBottom)
{
    // Stored rows: (red, green), then (blue, white).
    const std::string file = tga(2, 2, 32, bgra(0xFFFF0000) + bgra(0xFF00FF00) + bgra(0xFF0000FF) + bgra(0xFFFFFFFF));
    EXPECT_EQ(convert(file), (std::vector<std::uint32_t>{0xFF0000FF, 0xFFFFFFFF, 0xFFFF0000, 0xFF00FF00}));
}

TEST_F(ImageConverterTest, TwentyFourBitRowsBecomeOpaquePixels)
{
    // One row of two pixels: B G R bytes 0x10 0x20 0x30, then 0xFF 0x00 0x80.
    const std::string file = tga(2, 1, 24, std::string("\x10\x20\x30\xFF\x00\x80", 6));
    EXPECT_EQ(convert(file), (std::vector<std::uint32_t>{0xFF302010, 0xFF8000FF}));
}

TEST_F(ImageConverterTest, StraightAlphaIsPremultiplied)
{
    const std::string file = tga(1, 1, 32, bgra(0x80FF0000));
    std::vector<std::uint32_t> pixels = convert(file);
    ASSERT_EQ(pixels.size(), 1u);
    EXPECT_EQ(pixels[0] >> 24, 0x80u);
    EXPECT_NEAR(static_cast<int>((pixels[0] >> 16) & 0xFF), 128, 1);
    EXPECT_EQ(pixels[0] & 0xFFFF, 0u);
}

TEST_F(ImageConverterTest, PremultipliedBlocksAreWrittenUnchanged)
{
    // Colour 0x8800: red 17 of 31; alpha 8 of 15 (136).
    std::vector<std::uint32_t> premultiplied = convert(dds("DXT2", bc2_block(8, 0x8800)));
    std::vector<std::uint32_t> straight = convert(dds("DXT3", bc2_block(8, 0x8800)));
    ASSERT_EQ(premultiplied.size(), 16u);
    const int red = static_cast<int>((premultiplied[0] >> 16) & 0xFF);
    EXPECT_EQ(premultiplied[0] >> 24, 136u);
    EXPECT_NEAR(red, 17 * 255 / 31, 2);
    EXPECT_EQ(straight[0] >> 24, 136u);
    EXPECT_NEAR(static_cast<int>((straight[0] >> 16) & 0xFF), red * 136 / 255, 2);
    for (std::uint32_t pixel : premultiplied)
        EXPECT_EQ(pixel, premultiplied[0]);
}

TEST_F(ImageConverterTest, BlocksPaddedPastTheImageAreLeftOut)
{
    // 5 x 6 pixels in 2 x 2 blocks (as the device requires): red, green over blue, white.
    const std::string blocks = bc1_block(0xF800) + bc1_block(0x07E0) + bc1_block(0x001F) + bc1_block(0xFFFF);
    Render::decode_image_file(blob_of(dds("DXT1", blocks, 5, 6)), [](const Render::PixelSource& source) {
        D3D10_TEXTURE2D_DESC stored;
        Render::upload_as_stored(converter->device(), source)->GetDesc(&stored);
        EXPECT_EQ(stored.Width, 8u) << "Direct3D 10 takes block textures in whole blocks only";
        EXPECT_EQ(stored.Height, 8u);
    });
    const std::vector<std::uint32_t> pixels = convert(dds("DXT1", blocks, 5, 6));
    ASSERT_EQ(pixels.size(), 30u);
    for (int y = 0; y < 6; ++y) {
        for (int x = 0; x < 5; ++x) {
            // The two rows of the second block row are on top.
            const std::uint32_t expected = y < 2 ? (x < 4 ? 0xFF0000FFu : 0xFFFFFFFFu) : (x < 4 ? 0xFFFF0000u : 0xFF00FF00u);
            EXPECT_EQ(pixels[static_cast<std::size_t>(y * 5 + x)], expected) << x << "," << y;
        }
    }
}

TEST_F(ImageConverterTest, BitmapsForARenderTarget)
{
    Render::OffscreenDeviceTarget target(TestSupport::test_graphics(), 4, 4);
    const std::string file = tga(2, 2, 32, bgra(0xFFFF0000) + bgra(0xFF00FF00) + bgra(0xFF0000FF) + bgra(0xFFFFFFFF));
    ComPtr<ID2D1Bitmap> first = converter->load_bitmap(target.target(), blob_of(file));
    ComPtr<ID2D1Bitmap> second = converter->load_bitmap(target.target(), blob_of(file));
    ASSERT_TRUE(first);
    EXPECT_NE(first.Get(), second.Get()) << "each conversion is its own bitmap";
    EXPECT_EQ(first->GetPixelSize().width, 2u);
    float dpi_x = 0, dpi_y = 0;
    first->GetDpi(&dpi_x, &dpi_y);
    EXPECT_EQ(dpi_x, 96.0f);

    target.draw(first.Get());
    std::vector<std::uint32_t> pixels = target.read_pixels();
    EXPECT_EQ(pixels[0], 0xFF0000FFu);
    EXPECT_EQ(pixels[1], 0xFFFFFFFFu);
    EXPECT_EQ(pixels[4], 0xFFFF0000u);
    EXPECT_EQ(pixels[5], 0xFF00FF00u);
    EXPECT_EQ(pixels[2], 0u) << "outside the bitmap stays clear";
}

TEST_F(ImageConverterTest, DecodingFailuresReachTheCaller)
{
    Render::OffscreenDeviceTarget target(TestSupport::test_graphics(), 4, 4);
    try {
        converter->load_bitmap(target.target(), blob_of("not an image at all"));
        FAIL();
    } catch (const std::runtime_error& error) {
        EXPECT_STREQ(error.what(), "Unrecognised image format");
    }
}

TEST(UnpremultiplyTest, StraightAlphaForImageFiles)
{
    EXPECT_EQ(Render::unpremultiply(0x00000000), 0u);
    EXPECT_EQ(Render::unpremultiply(0x00FFFFFF), 0u) << "nothing to see";
    EXPECT_EQ(Render::unpremultiply(0xFF123456), 0xFF123456u);
    EXPECT_EQ(Render::unpremultiply(0x80800000), 0x80FF0000u);
    EXPECT_EQ(Render::unpremultiply(0x10FF0000), 0x10FF0000u) << "out-of-range channels saturate";
}

} // namespace
