#include "fs/game_font_collection.h"

#include "app/com_exception.h"
#include "app/dwrite_calls.h"
#include "fs/game_font_loaders.h"
#include "fs/prefixed_source.h"

#include <cwctype>
#include <exception>
#include <string>
#include <utility>

namespace Fonts {

using Microsoft::WRL::ComPtr;

namespace {

bool same_ignoring_case(wchar_t a, wchar_t b)
{
    return std::towlower(static_cast<std::wint_t>(a)) == std::towlower(static_cast<std::wint_t>(b));
}

std::size_t common_prefix(std::wstring_view a, std::wstring_view b)
{
    std::size_t length = 0;
    while (length < a.size() && length < b.size() && same_ignoring_case(a[length], b[length]))
        ++length;
    return length;
}

std::size_t common_suffix(std::wstring_view a, std::wstring_view b)
{
    std::size_t length = 0;
    while (length < a.size() && length < b.size() &&
           same_ignoring_case(a[a.size() - 1 - length], b[b.size() - 1 - length]))
        ++length;
    return length;
}

std::wstring string_at(IDWriteLocalizedStrings* strings, UINT32 index)
{
    const UINT32 length = App::get_string_length(strings, index);
    std::wstring text(std::size_t(length) + 1, L'\0');
    App::get_string(strings, index, &text[0], length + 1);
    text.resize(length);
    return text;
}

std::wstring locale_at(IDWriteLocalizedStrings* strings, UINT32 index)
{
    const UINT32 length = App::get_locale_name_length(strings, index);
    std::wstring text(std::size_t(length) + 1, L'\0');
    App::get_locale_name(strings, index, &text[0], length + 1);
    text.resize(length);
    return text;
}

} // namespace

GameFontCollection::~GameFontCollection()
{
    try {
        close();
    } catch (const std::exception&) {
        // Nothing can be done about a factory that refuses to let a loader go.
    }
}

void GameFontCollection::open(IDWriteFactory* factory, std::shared_ptr<const Mod::FileSource> files)
{
    close();
    m_factory = factory;
    std::shared_ptr<const Mod::FileSource> fonts = Mod::PrefixedSource::make_shared(std::move(files), "font\\");

    ComPtr<IDWriteFontFileLoader> file_loader = make_com_object<GameFontFileLoader>(fonts);
    App::register_font_file_loader(factory, file_loader.Get());
    m_file_loader = std::move(file_loader);

    ComPtr<IDWriteFontCollectionLoader> collection_loader =
        make_com_object<GameFontCollectionLoader>(fonts, m_file_loader.Get());
    App::register_font_collection_loader(factory, collection_loader.Get());
    m_collection_loader = std::move(collection_loader);

    m_collection = App::create_custom_font_collection(factory, m_collection_loader.Get(), nullptr, 0);
}

void GameFontCollection::close()
{
    std::exception_ptr refusal;
    if (m_collection_loader) {
        try {
            App::unregister_font_collection_loader(m_factory.Get(), m_collection_loader.Get());
        } catch (const App::COMException&) {
            refusal = std::current_exception();
        }
    }
    if (m_file_loader) {
        try {
            App::unregister_font_file_loader(m_factory.Get(), m_file_loader.Get());
        } catch (const App::COMException&) {
            if (!refusal)
                refusal = std::current_exception();
        }
    }
    m_factory.Reset();
    m_collection_loader.Reset();
    m_file_loader.Reset();
    m_collection.Reset();
    if (refusal)
        std::rethrow_exception(refusal);
}

void GameFontCollection::create_text_format(std::wstring_view name, float size, ComPtr<IDWriteTextFormat>& out) const
{
    out.Reset();
    if (!m_collection)
        return;
    std::size_t best = 0;
    const UINT32 family_count = m_collection->GetFontFamilyCount();
    for (UINT32 f = 0; f < family_count; ++f) {
        ComPtr<IDWriteFontFamily> family = App::get_font_family(m_collection.Get(), f);
        ComPtr<IDWriteLocalizedStrings> family_names = App::get_family_names(family.Get());
        const UINT32 family_name_count = family_names->GetCount();
        for (UINT32 n = 0; n < family_name_count; ++n) {
            const std::wstring locale = locale_at(family_names.Get(), n);
            const std::wstring family_name = string_at(family_names.Get(), n);
            const std::size_t prefix = common_prefix(name, family_name);
            const UINT32 font_count = family->GetFontCount();
            for (UINT32 i = 0; i < font_count; ++i) {
                ComPtr<IDWriteFont> font = App::get_font(family.Get(), i);
                ComPtr<IDWriteLocalizedStrings> face_names = App::get_face_names(font.Get());
                const UINT32 face_name_count = face_names->GetCount();
                for (UINT32 k = 0; k < face_name_count; ++k) {
                    const std::size_t score = prefix + common_suffix(name, string_at(face_names.Get(), k));
                    if (score <= best)
                        continue; // ties keep the earlier candidate
                    out = App::create_text_format(m_factory.Get(), family_name.c_str(), m_collection.Get(),
                                                  font->GetWeight(), font->GetStyle(), font->GetStretch(), size,
                                                  locale.c_str());
                    best = score;
                }
            }
        }
    }
}

} // namespace Fonts
