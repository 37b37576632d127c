#include "fs/resource_image.h"

#include "app/com_exception.h"
#include "app/wic_calls.h"

#include "support/win/test_graphics.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

using Microsoft::WRL::ComPtr;
using TestSupport::test_graphics;

namespace {

IWICImagingFactory* wic()
{
    return test_graphics().wic_factory.Get();
}

std::string failure_of(const std::function<void()>& action)
{
    try {
        action();
    } catch (const App::COMException& error) {
        return std::string("COMException ") + error.call_name();
    } catch (const std::exception& error) {
        return error.what();
    }
    return "no failure";
}

// All pixels of a source, 32 bits each, rows top-down.
std::vector<std::uint32_t> pixels_of(IWICBitmapSource* source, UINT* width, UINT* height)
{
    App::get_size(source, width, height);
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(*width) * *height);
    App::copy_pixels(source, nullptr, *width * 4, static_cast<UINT>(pixels.size() * 4),
                     reinterpret_cast<BYTE*>(pixels.data()));
    return pixels;
}

// A source of a given size whose CopyPixels answers a given result and counts its calls.
class FakeSource : public IWICBitmapSource {
public:
    FakeSource(UINT width, UINT height, HRESULT copy_result) : m_width(width), m_height(height), m_copy(copy_result) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override
    {
        if (riid == __uuidof(IUnknown) || riid == __uuidof(IWICBitmapSource)) {
            *object = static_cast<IWICBitmapSource*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++m_references; }
    ULONG STDMETHODCALLTYPE Release() override { return --m_references; } // lives on the stack
    HRESULT STDMETHODCALLTYPE GetSize(UINT* width, UINT* height) override
    {
        *width = m_width;
        *height = m_height;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetPixelFormat(WICPixelFormatGUID* format) override
    {
        *format = GUID_WICPixelFormat32bppPBGRA;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetResolution(double* x, double* y) override
    {
        *x = *y = 96.0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE CopyPalette(IWICPalette*) override { return WINCODEC_ERR_PALETTEUNAVAILABLE; }
    HRESULT STDMETHODCALLTYPE CopyPixels(const WICRect*, UINT, UINT, BYTE*) override
    {
        ++copies;
        return m_copy;
    }

    int copies = 0;

private:
    UINT m_width;
    UINT m_height;
    HRESULT m_copy;
    ULONG m_references = 1;
};

} // namespace

TEST(ResourceImage, AMissingResourceIsNamedInTheMessage)
{
    EXPECT_EQ(failure_of([] { Images::open_png_resource(wic(), "NO_SUCH_PICTURE"); }),
              "Could not load resource NO_SUCH_PICTURE");
    // Names are not types: the manifest's type is not "PNG".
    EXPECT_EQ(failure_of([] { Images::open_png_resource(wic(), "#1"); }), "Could not load resource #1");
}

TEST(ResourceImage, BothPicturesAreEnglishUkPngResourcesOfTheTestProgram)
{
    // The resource script marks them 2057; FindResourceEx finds only that exact language.
    for (const char* name : {"TOOLBAR", "WIDGET_TYPES"}) {
        HRSRC found =
            FindResourceExA(GetModuleHandleW(nullptr), "PNG", name, MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_UK));
        EXPECT_NE(found, nullptr) << name;
    }
}

TEST(ResourceImage, ThePicturesDecodeToPremultipliedBgraOfTheirSizes)
{
    struct Case {
        const char* name;
        UINT width;
        UINT height;
    };
    for (const Case& c : {Case{"TOOLBAR", 256, 32}, Case{"WIDGET_TYPES", 256, 16}}) {
        ComPtr<IWICBitmapSource> source = Images::decode_image(wic(), Images::open_png_resource(wic(), c.name).Get());
        UINT width = 0, height = 0;
        App::get_size(source.Get(), &width, &height);
        EXPECT_EQ(width, c.width) << c.name;
        EXPECT_EQ(height, c.height) << c.name;
        WICPixelFormatGUID format{};
        ASSERT_HRESULT_SUCCEEDED(source->GetPixelFormat(&format));
        EXPECT_TRUE(format == GUID_WICPixelFormat32bppPBGRA) << c.name;
    }
}

TEST(ResourceImage, BytesThatAreNoPictureFailInTheDecoder)
{
    static BYTE text[] = "this is not a PNG file at all";
    ComPtr<IWICStream> stream = App::create_stream(wic());
    ASSERT_HRESULT_SUCCEEDED(stream->InitializeFromMemory(text, sizeof(text)));
    EXPECT_EQ(failure_of([&] { Images::decode_image(wic(), stream.Get()); }),
              "COMException IWICImagingFactory::CreateDecoderFromStream");
}

TEST(ResourceImage, TheDibsFirstRowInMemoryIsThePicturesTopRow)
{
    ComPtr<IWICBitmapSource> source = Images::decode_image(wic(), Images::open_png_resource(wic(), "TOOLBAR").Get());
    UINT width = 0, height = 0;
    std::vector<std::uint32_t> expected = pixels_of(source.Get(), &width, &height);

    std::pair<HBITMAP, void*> dib = Images::make_dib_section(source.Get());
    ASSERT_NE(dib.first, nullptr);
    ASSERT_NE(dib.second, nullptr);
    const auto* bits = static_cast<const std::uint32_t*>(dib.second);
    // The arrow's tip is the picture's top row, a dark outline pixel at x = 3 (B, G, R, A
    // = 40, 36, 36, 255); the bottom row (the empty lower row of cells) is transparent.
    EXPECT_EQ(bits[3], 0xFF242428u);
    EXPECT_EQ(bits[0], 0u);
    for (UINT x = 0; x < width; ++x)
        EXPECT_EQ(bits[static_cast<std::size_t>(height - 1) * width + x], 0u) << x;
    EXPECT_EQ(std::memcmp(bits, expected.data(), expected.size() * 4), 0);

    BITMAP described{};
    ASSERT_EQ(GetObjectW(dib.first, sizeof(described), &described), static_cast<int>(sizeof(described)));
    EXPECT_EQ(described.bmWidth, 256);
    EXPECT_EQ(described.bmHeight, 32);
    EXPECT_EQ(described.bmBitsPixel, 32);
    DeleteObject(dib.first);
}

TEST(ResourceImage, AZeroSizedSourceIsEmptyBeforeAnyPixelIsCopied)
{
    for (auto size : {std::pair<UINT, UINT>{0, 0}, {16, 0}, {0, 16}}) {
        FakeSource source(size.first, size.second, S_OK);
        EXPECT_EQ(failure_of([&] { Images::make_dib_section(&source); }), "Empty source");
        EXPECT_EQ(source.copies, 0);
    }
}

TEST(ResourceImage, AZeroSizedWicBitmapIsEmpty)
{
    ComPtr<IWICBitmap> bitmap;
    if (FAILED(wic()->CreateBitmap(0, 0, GUID_WICPixelFormat32bppPBGRA, WICBitmapCacheOnLoad, &bitmap)))
        GTEST_SKIP() << "this WIC makes no bitmap without pixels";
    EXPECT_EQ(failure_of([&] { Images::make_dib_section(bitmap.Get()); }), "Empty source");
}

TEST(ResourceImage, AFailedCopyRaisesTheCopysResult)
{
    FakeSource source(4, 4, WINCODEC_ERR_BADIMAGE);
    try {
        Images::make_dib_section(&source);
        FAIL() << "no failure";
    } catch (const App::COMException& error) {
        EXPECT_STREQ(error.call_name(), "IWICBitmapSource::CopyPixels");
        EXPECT_EQ(error.hr(), WINCODEC_ERR_BADIMAGE);
    }
    EXPECT_EQ(source.copies, 1);
}

TEST(ResourceImage, TheProgramIconHasItsThreeSizes)
{
    for (int size : {16, 32, 48}) {
        HICON icon = static_cast<HICON>(
            LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1), IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
        ASSERT_NE(icon, nullptr) << size;
        ICONINFO info{};
        ASSERT_TRUE(GetIconInfo(icon, &info)) << size;
        BITMAP colour{};
        ASSERT_NE(info.hbmColor, nullptr) << size;
        GetObjectW(info.hbmColor, sizeof(colour), &colour);
        EXPECT_EQ(colour.bmWidth, size);
        EXPECT_EQ(colour.bmHeight, size);
        DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
        DestroyIcon(icon);
    }
}
