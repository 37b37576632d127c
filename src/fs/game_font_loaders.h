#pragma once
// The four COM objects through which DirectWrite reads the game's own TrueType files:
// a file loader and a collection loader registered on the factory, the enumerator
// that offers the ".ttf" files of the font folder, and a stream over one file's blob.
// DirectWrite calls them on its own schedule and from any thread, so reference counts
// are interlocked and no C++ exception ever leaves a method: failures are HRESULTs.
//
// A font file's key is its bare file name as narrow characters, without terminator.

#include "fs/file_source.h"

#include <dwrite.h>
#include <windows.h>
#include <wrl/client.h>

#include <cstddef>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace Fonts {

// IUnknown for one interface: the count starts at 1 (the creator's reference) and the
// object deletes itself when it reaches 0.
template <class Interface>
class ComObject : public Interface {
public:
    ComObject(const ComObject&) = delete;
    ComObject& operator=(const ComObject&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override
    {
        if (!object)
            return E_POINTER;
        if (iid == __uuidof(IUnknown) || iid == __uuidof(Interface)) {
            *object = static_cast<Interface*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&m_references)); }
    ULONG STDMETHODCALLTYPE Release() override
    {
        const LONG left = InterlockedDecrement(&m_references);
        if (left == 0)
            delete this;
        return static_cast<ULONG>(left);
    }

protected:
    ComObject() = default;
    virtual ~ComObject() = default;

private:
    LONG m_references = 1;
};

// A new object owned by the returned pointer alone. Not ComPtr::Attach: the mingw-w64
// version of it adds a reference, which would keep every object alive for ever.
template <class Object, class... Arguments>
Microsoft::WRL::ComPtr<Object> make_com_object(Arguments&&... arguments)
{
    Microsoft::WRL::ComPtr<Object> object;
    *object.GetAddressOf() = new Object(std::forward<Arguments>(arguments)...);
    return object;
}

// Serves a font file from memory: fragments are pointers into the shared blob.
class GameFontFileStream final : public ComObject<IDWriteFontFileStream> {
public:
    explicit GameFontFileStream(Mod::BlobPtr blob);

    HRESULT STDMETHODCALLTYPE ReadFileFragment(const void** fragment_start, UINT64 offset, UINT64 size,
                                               void** fragment_context) override;
    void STDMETHODCALLTYPE ReleaseFileFragment(void* fragment_context) override;
    HRESULT STDMETHODCALLTYPE GetFileSize(UINT64* size) override;
    HRESULT STDMETHODCALLTYPE GetLastWriteTime(UINT64* time) override;

private:
    Mod::BlobPtr m_blob;
};

// Opens a stream for a key by reading the named file through the font source.
class GameFontFileLoader final : public ComObject<IDWriteFontFileLoader> {
public:
    explicit GameFontFileLoader(std::shared_ptr<const Mod::FileSource> fonts);

    HRESULT STDMETHODCALLTYPE CreateStreamFromKey(const void* key, UINT32 key_size,
                                                  IDWriteFontFileStream** stream) override;

private:
    std::shared_ptr<const Mod::FileSource> m_fonts;
};

// Offers the ".ttf" names (any letter case) of the font folder, listed once when made.
class GameFontFileEnumerator final : public ComObject<IDWriteFontFileEnumerator> {
public:
    GameFontFileEnumerator(IDWriteFactory* factory, IDWriteFontFileLoader* file_loader,
                           const Mod::FileSource& fonts);

    HRESULT STDMETHODCALLTYPE MoveNext(BOOL* has_current) override;
    HRESULT STDMETHODCALLTYPE GetCurrentFontFile(IDWriteFontFile** font_file) override;

private:
    std::vector<std::string> m_names;
    std::ptrdiff_t m_index = -1; // before the first name; never beyond size()
    Microsoft::WRL::ComPtr<IDWriteFactory> m_factory;
    Microsoft::WRL::ComPtr<IDWriteFontFileLoader> m_file_loader;
};

// Makes an enumerator over the font folder for any collection key.
class GameFontCollectionLoader final : public ComObject<IDWriteFontCollectionLoader> {
public:
    GameFontCollectionLoader(std::shared_ptr<const Mod::FileSource> fonts, IDWriteFontFileLoader* file_loader);

    HRESULT STDMETHODCALLTYPE CreateEnumeratorFromKey(IDWriteFactory* factory, const void* key, UINT32 key_size,
                                                      IDWriteFontFileEnumerator** enumerator) override;

private:
    std::shared_ptr<const Mod::FileSource> m_fonts;
    Microsoft::WRL::ComPtr<IDWriteFontFileLoader> m_file_loader;
};

} // namespace Fonts
