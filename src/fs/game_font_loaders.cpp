#include "fs/game_font_loaders.h"

#include "fs/name_order.h"

#include <cstdint>
#include <limits>
#include <new>
#include <utility>

namespace Fonts {

namespace {

// DirectWrite is foreign code: an exception must stop here and become a result.
template <class Body>
HRESULT guarded(Body&& body) noexcept
{
    try {
        return body();
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_FAIL;
    }
}

} // namespace

GameFontFileStream::GameFontFileStream(Mod::BlobPtr blob) : m_blob(std::move(blob)) {}

HRESULT STDMETHODCALLTYPE GameFontFileStream::ReadFileFragment(const void** fragment_start, UINT64 offset,
                                                               UINT64 size, void** fragment_context)
{
    if (!fragment_start || !fragment_context)
        return E_POINTER;
    *fragment_start = nullptr;
    *fragment_context = nullptr;
    // Each bound is checked alone first, so the sum cannot wrap.
    constexpr UINT64 limit = std::numeric_limits<std::uint32_t>::max();
    if (offset > limit || size > limit || offset + size > limit || offset + size > m_blob->size)
        return E_INVALIDARG;
    *fragment_start = m_blob->data + offset;
    return S_OK;
}

void STDMETHODCALLTYPE GameFontFileStream::ReleaseFileFragment(void*) {}

HRESULT STDMETHODCALLTYPE GameFontFileStream::GetFileSize(UINT64* size)
{
    if (!size)
        return E_POINTER;
    *size = m_blob->size;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE GameFontFileStream::GetLastWriteTime(UINT64* time)
{
    if (!time)
        return E_POINTER;
    *time = 0;
    return S_OK;
}

GameFontFileLoader::GameFontFileLoader(std::shared_ptr<const Mod::FileSource> fonts) : m_fonts(std::move(fonts)) {}

HRESULT STDMETHODCALLTYPE GameFontFileLoader::CreateStreamFromKey(const void* key, UINT32 key_size,
                                                                  IDWriteFontFileStream** stream)
{
    if (!stream)
        return E_POINTER;
    *stream = nullptr;
    if (!key && key_size != 0)
        return E_INVALIDARG;
    return guarded([&]() -> HRESULT {
        const std::string name(static_cast<const char*>(key), key_size);
        Mod::BlobPtr blob = m_fonts->read(name);
        if (!blob)
            return E_INVALIDARG;
        *stream = new GameFontFileStream(std::move(blob));
        return S_OK;
    });
}

GameFontFileEnumerator::GameFontFileEnumerator(IDWriteFactory* factory, IDWriteFontFileLoader* file_loader,
                                               const Mod::FileSource& fonts)
    : m_factory(factory), m_file_loader(file_loader)
{
    fonts.list("", m_names);
}

HRESULT STDMETHODCALLTYPE GameFontFileEnumerator::MoveNext(BOOL* has_current)
{
    if (!has_current)
        return E_POINTER;
    const auto count = static_cast<std::ptrdiff_t>(m_names.size());
    while (m_index < count) {
        ++m_index;
        if (m_index < count && Mod::name_ends_with_ignoring_case(m_names[m_index], ".ttf")) {
            *has_current = TRUE;
            return S_OK;
        }
    }
    *has_current = FALSE;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE GameFontFileEnumerator::GetCurrentFontFile(IDWriteFontFile** font_file)
{
    if (!font_file)
        return E_POINTER;
    *font_file = nullptr;
    if (m_index < 0 || m_index >= static_cast<std::ptrdiff_t>(m_names.size()))
        return E_FAIL; // before the first MoveNext or after the last
    const std::string& name = m_names[m_index];
    return m_factory->CreateCustomFontFileReference(name.data(), static_cast<UINT32>(name.size()),
                                                    m_file_loader.Get(), font_file);
}

GameFontCollectionLoader::GameFontCollectionLoader(std::shared_ptr<const Mod::FileSource> fonts,
                                                   IDWriteFontFileLoader* file_loader)
    : m_fonts(std::move(fonts)), m_file_loader(file_loader)
{
}

HRESULT STDMETHODCALLTYPE GameFontCollectionLoader::CreateEnumeratorFromKey(IDWriteFactory* factory, const void*,
                                                                            UINT32,
                                                                            IDWriteFontFileEnumerator** enumerator)
{
    if (!enumerator)
        return E_POINTER;
    *enumerator = nullptr;
    if (!factory)
        return E_INVALIDARG;
    return guarded([&]() -> HRESULT {
        *enumerator = new GameFontFileEnumerator(factory, m_file_loader.Get(), *m_fonts);
        return S_OK;
    });
}

} // namespace Fonts
