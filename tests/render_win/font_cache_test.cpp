// The font cache: descriptions turned into the mod's faces, and every way a name falls
// back to the interface font.

#include "render/font_cache.h"

#include "fs/game_font_collection.h"
#include "host_fonts.h"
#include "support/win/test_graphics.h"
#include "ui/text_format.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Microsoft::WRL::ComPtr;
using Table = std::vector<std::pair<float, float>>;

IDWriteFactory* factory() { return TestSupport::test_graphics().dwrite_factory.Get(); }

std::wstring family_of(IDWriteTextFormat* format)
{
    std::wstring name(format->GetFontFamilyNameLength() + 1, L'\0');
    EXPECT_HRESULT_SUCCEEDED(format->GetFontFamilyName(&name[0], static_cast<UINT32>(name.size())));
    name.resize(name.size() - 1);
    return name;
}

// The interface font's family and size for a nominal size.
struct SystemFont {
    std::wstring family;
    float size;
};

SystemFont system_font(float nominal)
{
    ComPtr<IDWriteTextFormat> format = Ui::create_system_text_format(factory(), nominal, DWRITE_FONT_WEIGHT_NORMAL);
    return {family_of(format.Get()), format->GetFontSize()};
}

class FontCacheTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!HostFonts::available())
            GTEST_SKIP() << "the host's Tahoma and DejaVu Sans files are needed";
        HostFonts::write_all(m_folder);
        m_files = HostFonts::mod_files(m_folder);
        m_fonts.open(factory(), m_files);
    }

    // The interface font at its own `nominal` size, or at exactly `dips` (a stand-in).
    void expect_system(const Render::FontEntry& entry, float nominal, const std::string& what, float dips = 0.0f)
    {
        ASSERT_TRUE(entry.format) << what;
        const SystemFont expected = system_font(nominal);
        EXPECT_EQ(family_of(entry.format.Get()), expected.family) << what;
        EXPECT_FLOAT_EQ(entry.format->GetFontSize(), dips > 0.0f ? dips : expected.size) << what;
        ComPtr<IDWriteFontCollection> collection;
        EXPECT_HRESULT_SUCCEEDED(entry.format->GetFontCollection(&collection));
        EXPECT_NE(collection.Get(), m_fonts.collection()) << what;
    }

    TempFolder m_folder;
    std::shared_ptr<const Mod::FileSource> m_files;
    Fonts::GameFontCollection m_fonts;
};

TEST_F(FontCacheTest, ADescriptionGivesTheModsFaceAtThreeQuartersOfItsSize)
{
    m_folder.write("font\\title_bold.fnt",
                   "font = { name = 'DejaVu Sans Bold', sizeDefault = 16, size1024 = 16, size1280 = 20 }");
    Render::FontCache cache(factory(), m_files, &m_fonts);
    const Render::FontEntry& entry = cache.font("title_bold");
    ASSERT_TRUE(entry.format);
    EXPECT_EQ(family_of(entry.format.Get()), L"DejaVu Sans");
    EXPECT_EQ(entry.format->GetFontWeight(), DWRITE_FONT_WEIGHT_BOLD);
    EXPECT_FLOAT_EQ(entry.format->GetFontSize(), 12.0f);
    ComPtr<IDWriteFontCollection> collection;
    EXPECT_HRESULT_SUCCEEDED(entry.format->GetFontCollection(&collection));
    EXPECT_EQ(collection.Get(), m_fonts.collection());
    EXPECT_EQ(entry.size_table, (Table{{1024, 1}, {1280, 1.25f}}));
    EXPECT_EQ(&cache.font("title_bold"), &entry) << "made once";
}

TEST_F(FontCacheTest, NamesThatCannotBeHonouredFallBackToTheInterfaceFont)
{
    m_folder.write("font\\broken.fnt", "font = { name = ");
    m_folder.write("font\\nameless.fnt", "font = { sizeDefault = 20 }");
    m_folder.write("font\\elsewhere.fnt", "font = { name = 'Quux', sizeDefault = 18, size800 = 9 }");
    Render::FontCache cache(factory(), m_files, &m_fonts);

    for (const char* name : {"missing", "broken", "nameless", ""}) {
        const Render::FontEntry& entry = cache.font(name);
        expect_system(entry, 12.0f, name);
        EXPECT_TRUE(entry.size_table.empty()) << name;
    }
    // A face the mod does not ship keeps the size the face would have, and the table.
    const Render::FontEntry& elsewhere = cache.font("elsewhere");
    expect_system(elsewhere, 12.0f, "elsewhere", 18.0f * 0.75f);
    EXPECT_EQ(elsewhere.size_table, (Table{{800, 0.5f}}));

    // Without a collection every face is one the mod does not ship.
    m_folder.write("font\\body.fnt", "font = { name = 'Tahoma', sizeDefault = 10 }");
    Render::FontCache without(factory(), m_files, nullptr);
    expect_system(without.font("body"), 12.0f, "body without a collection", 10.0f * 0.75f);
}

TEST_F(FontCacheTest, AFailingDescriptionIsNotRunAgain)
{
    m_folder.write("font\\late.fnt", "font = { name = 'Tahoma' ");
    Render::FontCache cache(factory(), m_files, &m_fonts);
    expect_system(cache.font("late"), 12.0f, "first");

    m_folder.write("font\\late.fnt", "font = { name = 'Tahoma' }");
    expect_system(cache.font("late"), 12.0f, "cached");
    Render::FontCache fresh(factory(), m_files, &m_fonts);
    EXPECT_EQ(family_of(fresh.font("late").format.Get()), L"Tahoma");

    // Saved again: dropping the name (as the file system spells it) runs it once more.
    cache.drop({"LATE"});
    EXPECT_EQ(family_of(cache.font("late").format.Get()), L"Tahoma");
}

TEST_F(FontCacheTest, DroppingLeavesOtherNamesAlone)
{
    m_folder.write("font\\one.fnt", "font = { name = 'Tahoma', sizeDefault = 16 }");
    m_folder.write("font\\two.fnt", "font = { name = 'Tahoma', sizeDefault = 32 }");
    Render::FontCache cache(factory(), m_files, &m_fonts);
    const float one = cache.font("one").format->GetFontSize();
    const float two = cache.font("two").format->GetFontSize();
    m_folder.write("font\\one.fnt", "font = { name = 'Tahoma', sizeDefault = 64 }");
    m_folder.write("font\\two.fnt", "font = { name = 'Tahoma', sizeDefault = 64 }");
    cache.drop({"two", "missing"});
    EXPECT_FLOAT_EQ(cache.font("one").format->GetFontSize(), one);
    EXPECT_FLOAT_EQ(cache.font("two").format->GetFontSize(), two * 2.0f);
    cache.clear();
    EXPECT_FLOAT_EQ(cache.font("one").format->GetFontSize(), one * 4.0f);
}

} // namespace
