// The mod's own fonts as a DirectWrite collection: which files are offered, the stream's
// bounds, scoring names against families and faces, and the loaders' registration.

#include "fs/game_font_collection.h"
#include "fs/game_font_loaders.h"

#include "host_fonts.h"
#include "mod/memory_source.h"
#include "support/win/test_graphics.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <limits>
#include <map>
#include <string>
#include <vector>

namespace {

using Fonts::GameFontCollection;
using Microsoft::WRL::ComPtr;

IDWriteFactory* factory() { return TestSupport::test_graphics().dwrite_factory.Get(); }

std::wstring string_at(IDWriteLocalizedStrings* strings, UINT32 index)
{
    UINT32 length = 0;
    EXPECT_HRESULT_SUCCEEDED(strings->GetStringLength(index, &length));
    std::wstring text(length + 1, L'\0');
    EXPECT_HRESULT_SUCCEEDED(strings->GetString(index, &text[0], length + 1));
    text.resize(length);
    return text;
}

// Family name (first entry) -> number of fonts from files, for the whole collection
// (DirectWrite adds bold and oblique simulations of its own).
std::map<std::wstring, UINT32> families_of(IDWriteFontCollection* collection)
{
    std::map<std::wstring, UINT32> families;
    for (UINT32 i = 0; i < collection->GetFontFamilyCount(); ++i) {
        ComPtr<IDWriteFontFamily> family;
        EXPECT_HRESULT_SUCCEEDED(collection->GetFontFamily(i, &family));
        ComPtr<IDWriteLocalizedStrings> names;
        EXPECT_HRESULT_SUCCEEDED(family->GetFamilyNames(&names));
        UINT32& count = families[string_at(names.Get(), 0)];
        for (UINT32 k = 0; k < family->GetFontCount(); ++k) {
            ComPtr<IDWriteFont> font;
            EXPECT_HRESULT_SUCCEEDED(family->GetFont(k, &font));
            count += font->GetSimulations() == DWRITE_FONT_SIMULATIONS_NONE;
        }
    }
    return families;
}

std::wstring family_of(IDWriteTextFormat* format)
{
    std::wstring name(format->GetFontFamilyNameLength() + 1, L'\0');
    EXPECT_HRESULT_SUCCEEDED(format->GetFontFamilyName(&name[0], static_cast<UINT32>(name.size())));
    name.resize(name.size() - 1);
    return name;
}

// The keys the enumerator offers, in order, read back from the font file references.
std::vector<std::string> offered_names(const std::shared_ptr<const Mod::FileSource>& fonts)
{
    ComPtr<IDWriteFontFileLoader> loader = Fonts::make_com_object<Fonts::GameFontFileLoader>(fonts);
    // References can only be made to a registered loader.
    EXPECT_HRESULT_SUCCEEDED(factory()->RegisterFontFileLoader(loader.Get()));
    ComPtr<IDWriteFontFileEnumerator> enumerator =
        Fonts::make_com_object<Fonts::GameFontFileEnumerator>(factory(), loader.Get(), *fonts);

    std::vector<std::string> names;
    ComPtr<IDWriteFontFile> file;
    EXPECT_EQ(enumerator->GetCurrentFontFile(&file), E_FAIL) << "before the first MoveNext";
    EXPECT_FALSE(file);
    BOOL has_current = FALSE;
    while (SUCCEEDED(enumerator->MoveNext(&has_current)) && has_current) {
        EXPECT_HRESULT_SUCCEEDED(enumerator->GetCurrentFontFile(&file));
        const void* key = nullptr;
        UINT32 key_size = 0;
        EXPECT_HRESULT_SUCCEEDED(file->GetReferenceKey(&key, &key_size));
        names.emplace_back(static_cast<const char*>(key), key_size);
        file.Reset();
    }
    // Past the end it stays there.
    has_current = TRUE;
    EXPECT_EQ(enumerator->MoveNext(&has_current), S_OK);
    EXPECT_FALSE(has_current);
    EXPECT_EQ(enumerator->GetCurrentFontFile(&file), E_FAIL);
    EXPECT_EQ(enumerator->MoveNext(nullptr), E_POINTER);

    enumerator.Reset();
    EXPECT_HRESULT_SUCCEEDED(factory()->UnregisterFontFileLoader(loader.Get()));
    return names;
}

TEST(GameFontFileEnumeratorTest, OffersOnlyTtfNamesInAnyLetterCase)
{
    auto mod = std::make_shared<MemorySource>();
    for (const char* name : {"a.ttf", "b.TTF", "c.Ttf", "d.ttf.bak", "e.otf", "ttf", "fttf", ".ttf", "g.tt"})
        mod->add(std::string("font\\") + name);
    mod->add("font\\sub.ttf\\inner.ttf"); // a folder: offered by name, reading it fails later
    mod->add("other\\h.ttf");
    std::vector<std::string> expected{"a.ttf", "b.TTF", "c.Ttf", ".ttf", "sub.ttf"};
    std::vector<std::string> names = offered_names(Mod::PrefixedSource::make_shared(mod, "font\\"));
    std::sort(names.begin(), names.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(names, expected);

    EXPECT_TRUE(offered_names(Mod::PrefixedSource::make_shared(mod, "none\\")).empty());
}

TEST(GameFontFileStreamTest, FragmentsStayInsideTheFile)
{
    auto fonts = std::make_shared<MemorySource>();
    fonts->add("ten.ttf", "0123456789");
    fonts->add("empty.ttf", "");
    ComPtr<IDWriteFontFileLoader> loader = Fonts::make_com_object<Fonts::GameFontFileLoader>(fonts);

    ComPtr<IDWriteFontFileStream> stream;
    const char key[] = "ten.ttf";
    ASSERT_EQ(loader->CreateStreamFromKey(key, sizeof(key) - 1, &stream), S_OK);
    fonts.reset(); // the stream holds the file, not the source
    loader.Reset();

    const UINT64 huge = std::numeric_limits<UINT64>::max();
    const UINT64 beyond_32_bits = UINT64(1) << 32;
    struct Case {
        UINT64 offset, size;
        HRESULT result;
    };
    const Case cases[] = {
        {0, 10, S_OK},  {3, 7, S_OK},   {10, 0, S_OK},  {0, 0, S_OK},   {9, 1, S_OK},
        {0, 11, E_INVALIDARG},          {10, 1, E_INVALIDARG},          {11, 0, E_INVALIDARG},
        {huge, 1, E_INVALIDARG},        {1, huge, E_INVALIDARG},        {huge, huge, E_INVALIDARG},
        {beyond_32_bits, 0, E_INVALIDARG}, {0, beyond_32_bits, E_INVALIDARG},
        {beyond_32_bits - 1, 1, E_INVALIDARG},
    };
    for (const Case& c : cases) {
        const void* start = reinterpret_cast<const void*>(1);
        void* context = reinterpret_cast<void*>(1);
        EXPECT_EQ(stream->ReadFileFragment(&start, c.offset, c.size, &context), c.result)
            << c.offset << " + " << c.size;
        EXPECT_EQ(context, nullptr);
        if (c.result == S_OK)
            EXPECT_EQ(std::memcmp(start, std::string("0123456789").substr(c.offset, c.size).data(), c.size), 0)
                << c.offset << " + " << c.size;
        else
            EXPECT_EQ(start, nullptr);
        stream->ReleaseFileFragment(context);
    }

    UINT64 value = 99;
    EXPECT_EQ(stream->GetFileSize(&value), S_OK);
    EXPECT_EQ(value, 10u);
    EXPECT_EQ(stream->GetLastWriteTime(&value), S_OK);
    EXPECT_EQ(value, 0u);
    EXPECT_EQ(stream->GetFileSize(nullptr), E_POINTER);
    EXPECT_EQ(stream->GetLastWriteTime(nullptr), E_POINTER);
    void* context = nullptr;
    EXPECT_EQ(stream->ReadFileFragment(nullptr, 0, 1, &context), E_POINTER);
}

TEST(GameFontFileLoaderTest, MissingFilesGiveNoStream)
{
    auto fonts = std::make_shared<MemorySource>();
    fonts->add("empty.ttf", "");
    ComPtr<IDWriteFontFileLoader> loader = Fonts::make_com_object<Fonts::GameFontFileLoader>(fonts);

    ComPtr<IDWriteFontFileStream> stream;
    EXPECT_EQ(loader->CreateStreamFromKey("gone.ttf", 8, &stream), E_INVALIDARG);
    EXPECT_FALSE(stream);
    EXPECT_EQ(loader->CreateStreamFromKey(nullptr, 4, &stream), E_INVALIDARG);
    EXPECT_EQ(loader->CreateStreamFromKey("empty.ttf", 9, nullptr), E_POINTER);
    // The key is exactly key_size characters: no terminator is looked for.
    EXPECT_EQ(loader->CreateStreamFromKey("empty.ttf-and-more", 9, &stream), S_OK);
    ASSERT_TRUE(stream);
    UINT64 size = 1;
    EXPECT_EQ(stream->GetFileSize(&size), S_OK);
    EXPECT_EQ(size, 0u);
    const void* start = nullptr;
    void* context = nullptr;
    EXPECT_EQ(stream->ReadFileFragment(&start, 0, 0, &context), S_OK);
    EXPECT_EQ(stream->ReadFileFragment(&start, 0, 1, &context), E_INVALIDARG);
}

TEST(GameFontLoadersTest, InterfacesAndReferenceCounts)
{
    ComPtr<IDWriteFontFileLoader> loader =
        Fonts::make_com_object<Fonts::GameFontFileLoader>(std::make_shared<MemorySource>());
    ComPtr<IUnknown> unknown;
    EXPECT_EQ(loader.As(&unknown), S_OK);
    EXPECT_EQ(static_cast<void*>(unknown.Get()), static_cast<void*>(loader.Get()));
    ComPtr<IDWriteFontFileLoader> same;
    EXPECT_EQ(unknown.As(&same), S_OK);
    EXPECT_EQ(same.Get(), loader.Get());
    ComPtr<IDWriteFontFileStream> other;
    EXPECT_EQ(loader.As(&other), E_NOINTERFACE);
    EXPECT_FALSE(other);
    EXPECT_EQ(loader->QueryInterface(__uuidof(IUnknown), nullptr), E_POINTER);
    same.Reset();
    unknown.Reset();
    EXPECT_EQ(loader->AddRef(), 2u);
    EXPECT_EQ(loader->Release(), 1u);

    ComPtr<IDWriteFontCollectionLoader> collection_loader =
        Fonts::make_com_object<Fonts::GameFontCollectionLoader>(std::make_shared<MemorySource>(), loader.Get());
    ComPtr<IDWriteFontFileEnumerator> enumerator;
    EXPECT_EQ(collection_loader->CreateEnumeratorFromKey(factory(), nullptr, 0, nullptr), E_POINTER);
    EXPECT_EQ(collection_loader->CreateEnumeratorFromKey(factory(), "any", 3, &enumerator), S_OK);
    ASSERT_TRUE(enumerator);
    BOOL has_current = TRUE;
    EXPECT_EQ(enumerator->MoveNext(&has_current), S_OK);
    EXPECT_FALSE(has_current);
}

class GameFontCollectionTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!HostFonts::available())
            GTEST_SKIP() << "the host's Tahoma and DejaVu Sans files are needed";
    }

    TempFolder m_folder;
};

TEST_F(GameFontCollectionTest, OnlyTtfFilesJoinAndBrokenOnesAreLeftOut)
{
    m_folder.write("font\\TAHOMA.TTF", HostFonts::bytes_of(HostFonts::tahoma));
    m_folder.write("font\\tahomabd.otf", HostFonts::bytes_of(HostFonts::tahoma_bold));
    m_folder.write("font\\DejaVuSans.Ttf", HostFonts::bytes_of(HostFonts::dejavu));
    m_folder.write("font\\DejaVuSans-Bold.ttf.bak", HostFonts::bytes_of(HostFonts::dejavu_bold));
    // What a stranger's mod may hold: no font, a cut font, an empty file, a folder.
    m_folder.write("font\\garbage.ttf", std::string(5000, '\x7f'));
    m_folder.write("font\\cut.ttf", HostFonts::bytes_of(HostFonts::dejavu_bold).substr(0, 2000));
    m_folder.write("font\\empty.ttf", "");
    m_folder.make_folder("font\\folder.ttf");

    GameFontCollection fonts;
    fonts.open(factory(), HostFonts::mod_files(m_folder));
    ASSERT_TRUE(fonts.collection());
    const std::map<std::wstring, UINT32> expected{{L"DejaVu Sans", 1}, {L"Tahoma", 1}};
    EXPECT_EQ(families_of(fonts.collection()), expected);
}

TEST_F(GameFontCollectionTest, AnEmptyFontFolderMatchesNothing)
{
    m_folder.write("other\\tahoma.ttf", HostFonts::bytes_of(HostFonts::tahoma));
    for (bool with_folder : {false, true}) {
        if (with_folder)
            m_folder.make_folder("font");
        GameFontCollection fonts;
        fonts.open(factory(), HostFonts::mod_files(m_folder));
        ASSERT_TRUE(fonts.collection());
        EXPECT_EQ(fonts.collection()->GetFontFamilyCount(), 0u);
        ComPtr<IDWriteTextFormat> format;
        fonts.create_text_format(L"Tahoma", 12.0f, format);
        EXPECT_FALSE(format) << with_folder;
    }
    GameFontCollection never_opened;
    ComPtr<IDWriteTextFormat> format;
    never_opened.create_text_format(L"Tahoma", 12.0f, format);
    EXPECT_FALSE(format);
}

TEST_F(GameFontCollectionTest, NamesScoreByFamilyPrefixAndFaceSuffix)
{
    HostFonts::write_all(m_folder);
    GameFontCollection fonts;
    fonts.open(factory(), HostFonts::mod_files(m_folder));

    struct Case {
        const wchar_t* name;
        const wchar_t* family;
        DWRITE_FONT_WEIGHT weight;
    };
    const Case cases[] = {
        {L"DejaVu Sans Bold", L"DejaVu Sans", DWRITE_FONT_WEIGHT_BOLD},
        {L"dejavu sans bold", L"DejaVu Sans", DWRITE_FONT_WEIGHT_BOLD},
        {L"DejaVu Sans Book", L"DejaVu Sans", DWRITE_FONT_WEIGHT_NORMAL},
        {L"Tahoma Bold", L"Tahoma", DWRITE_FONT_WEIGHT_BOLD},
        {L"TAHOMA REGULAR", L"Tahoma", DWRITE_FONT_WEIGHT_NORMAL},
    };
    for (const Case& c : cases) {
        ComPtr<IDWriteTextFormat> format;
        fonts.create_text_format(c.name, 10.5f, format);
        ASSERT_TRUE(format) << std::string(c.name, c.name + wcslen(c.name));
        EXPECT_EQ(family_of(format.Get()), c.family);
        EXPECT_EQ(format->GetFontWeight(), c.weight);
        EXPECT_FLOAT_EQ(format->GetFontSize(), 10.5f);
        ComPtr<IDWriteFontCollection> collection;
        EXPECT_HRESULT_SUCCEEDED(format->GetFontCollection(&collection));
        EXPECT_EQ(collection.Get(), fonts.collection());
        EXPECT_GT(format->GetLocaleNameLength(), 0u);
    }

    // Equal to a family name: every face scores the same, so the family's first font.
    ComPtr<IDWriteTextFormat> format;
    fonts.create_text_format(L"Tahoma", 12.0f, format);
    ASSERT_TRUE(format);
    EXPECT_EQ(family_of(format.Get()), L"Tahoma");
    UINT32 index = 0;
    BOOL exists = FALSE;
    ASSERT_HRESULT_SUCCEEDED(fonts.collection()->FindFamilyName(L"Tahoma", &index, &exists));
    ASSERT_TRUE(exists);
    ComPtr<IDWriteFontFamily> tahoma;
    ASSERT_HRESULT_SUCCEEDED(fonts.collection()->GetFontFamily(index, &tahoma));
    ComPtr<IDWriteFont> first;
    ASSERT_HRESULT_SUCCEEDED(tahoma->GetFont(0, &first));
    EXPECT_EQ(format->GetFontWeight(), first->GetWeight());

    // A prefix alone is enough, and so is a face suffix alone.
    fonts.create_text_format(L"Ta", 12.0f, format);
    ASSERT_TRUE(format);
    EXPECT_EQ(family_of(format.Get()), L"Tahoma");
    fonts.create_text_format(L"xBold", 12.0f, format);
    ASSERT_TRUE(format);
    EXPECT_EQ(format->GetFontWeight(), DWRITE_FONT_WEIGHT_BOLD);

    for (const wchar_t* nothing : {L"", L"Quux", L"Qwq"}) {
        fonts.create_text_format(nothing, 12.0f, format);
        EXPECT_FALSE(format) << std::string(nothing, nothing + wcslen(nothing));
    }
}

TEST_F(GameFontCollectionTest, OpenAgainAndCloseLetTheLoadersGo)
{
    HostFonts::write_all(m_folder);
    std::shared_ptr<const Mod::FileSource> first = HostFonts::mod_files(m_folder);
    std::shared_ptr<const Mod::FileSource> second = HostFonts::mod_files(m_folder);
    {
        GameFontCollection fonts;
        fonts.open(factory(), first);
        EXPECT_GT(first.use_count(), 1) << "the registered loaders hold the mod's files";
        fonts.open(factory(), second);
        EXPECT_EQ(first.use_count(), 1) << "the first loaders were unregistered and released";
        EXPECT_GT(second.use_count(), 1);
        ASSERT_TRUE(fonts.collection());
        EXPECT_EQ(families_of(fonts.collection()).size(), 2u);

        fonts.close();
        EXPECT_FALSE(fonts.collection());
        EXPECT_EQ(second.use_count(), 1);
        fonts.close(); // nothing left to undo

        fonts.open(factory(), first);
        ComPtr<IDWriteTextFormat> format;
        fonts.create_text_format(L"DejaVu Sans Bold", 12.0f, format);
        EXPECT_TRUE(format);
    }
    EXPECT_EQ(first.use_count(), 1) << "the destructor closes";
}

} // namespace
