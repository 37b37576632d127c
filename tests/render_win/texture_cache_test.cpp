// The texture cache: candidate files, caching, placeholders naming the reason.

#include "render/texture_cache.h"
#include "render/offscreen_device_target.h"

#include "mod/memory_source.h"
#include "mod/mod_change.h"
#include "support/win/test_graphics.h"
#include "ui/text_format.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

using Microsoft::WRL::ComPtr;

// Records every read.
class CountingSource : public MemorySource {
public:
    Mod::BlobPtr read(const std::string& path) const override
    {
        reads.push_back(path);
        return MemorySource::read(path);
    }
    mutable std::vector<std::string> reads;
};

class TextureCacheTest : public ::testing::Test {
protected:
    TextureCacheTest()
        : m_files(std::make_shared<CountingSource>()), m_target(TestSupport::test_graphics(), 256, 256),
          m_cache(m_files, TestSupport::test_graphics().dwrite_factory.Get(),
                  [this](Mod::BlobPtr file) { return convert(std::move(file)); },
                  [this](ID2D1RenderTarget* target, const Render::TextureCache::Converted& converted) {
                      return wrap(target, converted);
                  },
                  [this] {
                      ++placeholder_formats;
                      if (placeholder_fails)
                          throw std::runtime_error("no font");
                      return Ui::create_system_text_format(TestSupport::test_graphics().dwrite_factory.Get(), 16.0f,
                                                           DWRITE_FONT_WEIGHT_NORMAL);
                  })
    {
    }

    // The file's first byte as an opaque pixel; "bad" files fail to decode.
    Render::TextureCache::Converted convert(Mod::BlobPtr file)
    {
        const std::string bytes(reinterpret_cast<const char*>(file->data), file->size);
        loaded.push_back(bytes);
        if (bytes.compare(0, 3, "bad") == 0)
            throw std::runtime_error("Unrecognised image format");
        return std::make_shared<std::uint32_t>(0xFF000000u | static_cast<unsigned char>(bytes[0]));
    }

    // A 1 x 1 bitmap of that pixel.
    ComPtr<ID2D1Bitmap> wrap(ID2D1RenderTarget* target, const Render::TextureCache::Converted& converted)
    {
        ++wrapped;
        const std::uint32_t pixel = *static_cast<const std::uint32_t*>(converted.get());
        ComPtr<ID2D1Bitmap> bitmap;
        EXPECT_HRESULT_SUCCEEDED(target->CreateBitmap(
            D2D1::SizeU(1, 1), &pixel, 4,
            D2D1::BitmapProperties(D2D1::PixelFormat(DXGI_FORMAT_B8G8R8A8_UNORM, D2D1_ALPHA_MODE_PREMULTIPLIED)),
            &bitmap));
        return bitmap;
    }

    std::uint32_t first_pixel(ID2D1Bitmap* bitmap)
    {
        m_target.draw(bitmap);
        return m_target.read_pixels()[0];
    }

    std::shared_ptr<CountingSource> m_files;
    Render::OffscreenDeviceTarget m_target;
    Render::TextureCache m_cache;
    std::vector<std::string> loaded;
    int wrapped = 0;
    int placeholder_formats = 0;
    bool placeholder_fails = false;
};

TEST_F(TextureCacheTest, ASiblingWithAnotherExtensionIsFound)
{
    m_files->add("art\\ui\\frame.dds", "\x40 dds");
    ComPtr<ID2D1Bitmap> bitmap = m_cache.texture(m_target.target(), "art\\ui\\frame.tga");
    EXPECT_EQ(m_files->reads, (std::vector<std::string>{"art\\ui\\frame.tga", "art\\ui\\frame.dds"}));
    EXPECT_EQ(loaded, std::vector<std::string>{"\x40 dds"});
    EXPECT_EQ(first_pixel(bitmap.Get()), 0xFF000040u);
    EXPECT_EQ(m_cache.texture(m_target.target(), "art\\ui\\frame.tga").Get(), bitmap.Get()) << "cached";
    EXPECT_EQ(m_files->reads.size(), 2u);
}

TEST_F(TextureCacheTest, WithoutAnExtensionTheThreeAreTriedInOrder)
{
    m_files->add("art\\icon.rgt", "\x10 rgt");
    m_cache.texture(m_target.target(), "art\\icon");
    EXPECT_EQ(m_files->reads, (std::vector<std::string>{"art\\icon.dds", "art\\icon.tga", "art\\icon.rgt"}));
}

TEST_F(TextureCacheTest, AMissingTextureIsAPlaceholderReadOnce)
{
    ComPtr<ID2D1Bitmap> first = m_cache.texture(m_target.target(), "art\\gone");
    ComPtr<ID2D1Bitmap> second = m_cache.texture(m_target.target(), "art\\gone");
    EXPECT_EQ(first.Get(), second.Get());
    EXPECT_EQ(m_files->reads.size(), 3u) << "two requests, one search";
    EXPECT_EQ(first->GetSize().width, 256.0f);
    EXPECT_EQ(first_pixel(first.Get()), 0xFFFF00FFu) << "magenta";
}

TEST_F(TextureCacheTest, APlaceholderThatCannotBeMadeIsNothingTriedOnce)
{
    placeholder_fails = true;
    EXPECT_EQ(m_cache.texture(m_target.target(), "art\\gone").Get(), nullptr);
    EXPECT_EQ(m_cache.texture(m_target.target(), "art\\gone").Get(), nullptr);
    EXPECT_EQ(placeholder_formats, 1) << "not again on every frame";
}

TEST_F(TextureCacheTest, ADecodingErrorEndsTheSearch)
{
    m_files->add("art\\logo.dds", "bad bytes");
    m_files->add("art\\logo.tga", "\x20 would decode");
    ComPtr<ID2D1Bitmap> bitmap = m_cache.texture(m_target.target(), "art\\logo");
    EXPECT_EQ(loaded, std::vector<std::string>{"bad bytes"});
    EXPECT_EQ(m_files->reads, std::vector<std::string>{"art\\logo.dds"});
    EXPECT_EQ(first_pixel(bitmap.Get()), 0xFFFF00FFu);
}

TEST_F(TextureCacheTest, TheColonPrefixIsNotPartOfTheName)
{
    m_files->add("art\\a.dds", "\x30");
    ComPtr<ID2D1Bitmap> bitmap = m_cache.texture(m_target.target(), "ui:art\\a");
    EXPECT_EQ(m_files->reads.front(), "art\\a.dds");
    EXPECT_EQ(m_cache.texture(m_target.target(), "art\\a").Get(), bitmap.Get()) << "one key for both spellings";
}

TEST_F(TextureCacheTest, OneTextureWhateverTheLetterCaseAndSeparators)
{
    m_files->add("art\\ui\\a.dds", "\x30");
    ComPtr<ID2D1Bitmap> bitmap = m_cache.texture(m_target.target(), "art\\ui\\a");
    EXPECT_EQ(m_cache.texture(m_target.target(), "Art/UI/A").Get(), bitmap.Get());
    EXPECT_EQ(m_files->reads.size(), 1u) << "read once";
    EXPECT_EQ(m_cache.size(), 1u);
}

TEST_F(TextureCacheTest, AnotherOrADroppedTargetWrapsTheConvertedTexturesAgain)
{
    m_files->add("art\\a.dds", "\x30");
    ComPtr<ID2D1Bitmap> first = m_cache.texture(m_target.target(), "art\\a");
    m_cache.texture(m_target.target(), "art\\gone");
    Render::OffscreenDeviceTarget other(TestSupport::test_graphics(), 8, 8);
    ComPtr<ID2D1Bitmap> second = m_cache.texture(other.target(), "art\\a");
    EXPECT_NE(second.Get(), first.Get()) << "bitmaps belong to the target they were made for";
    m_cache.drop_target_resources();
    ComPtr<ID2D1Bitmap> third = m_cache.texture(m_target.target(), "art\\a");
    EXPECT_NE(third.Get(), first.Get());
    EXPECT_EQ(first_pixel(third.Get()), 0xFF000030u);
    EXPECT_EQ(m_cache.texture(m_target.target(), "art\\gone")->GetSize().width, 256.0f) << "a placeholder again";
    EXPECT_EQ(loaded.size(), 1u) << "converted once";
    EXPECT_EQ(m_files->reads.size(), 4u) << "each file looked for once";
    EXPECT_EQ(wrapped, 3);
}

TEST_F(TextureCacheTest, ChangedFilesAreReadAgainOtherTexturesStay)
{
    m_files->add("art\\ui\\frame.dds", "\x40 dds");
    m_files->add("art\\ui\\other.tga", "\x50 tga");
    ComPtr<ID2D1Bitmap> frame = m_cache.texture(m_target.target(), "art\\ui\\frame");
    ComPtr<ID2D1Bitmap> other = m_cache.texture(m_target.target(), "art\\ui\\other");
    ComPtr<ID2D1Bitmap> missing = m_cache.texture(m_target.target(), "art\\ui\\later");
    ASSERT_EQ(m_cache.size(), 3u);

    // The file written again, in the system's spelling; and a file that appears for a
    // texture that was missing.
    m_files->add("art\\ui\\frame.dds", "\x60 dds");
    m_files->add("art\\ui\\later.rgt", "\x70 rgt");
    Mod::ModChange change;
    change.add("Art/UI/Frame.DDS");
    change.add("art\\ui\\later.rgt");
    m_cache.drop_changed(change);
    EXPECT_EQ(m_cache.size(), 1u);
    EXPECT_EQ(m_cache.texture(m_target.target(), "art\\ui\\other").Get(), other.Get());
    EXPECT_EQ(first_pixel(m_cache.texture(m_target.target(), "art\\ui\\frame").Get()), 0xFF000060u);
    EXPECT_EQ(first_pixel(m_cache.texture(m_target.target(), "art\\ui\\later").Get()), 0xFF000070u);

    Mod::ModChange everything;
    everything.add("");
    m_cache.drop_changed(everything);
    EXPECT_EQ(m_cache.size(), 0u);
}

} // namespace
