#pragma once
// The TrueType files a mod ships in its "font\" folder, as a DirectWrite font
// collection of their own: screens name the game's fonts, not the machine's. One
// collection belongs to each mod's resource set; its loaders stay registered on the
// factory from open() to close(), and keep the mod's file system alive meanwhile.

#include "fs/file_source.h"

#include <dwrite.h>
#include <windows.h>
#include <wrl/client.h>

#include <memory>
#include <string_view>

namespace Fonts {

class GameFontCollection {
public:
    GameFontCollection() = default;
    // Closes; a refusal to unregister is ignored there.
    ~GameFontCollection();
    GameFontCollection(const GameFontCollection&) = delete;
    GameFontCollection& operator=(const GameFontCollection&) = delete;

    // Closes any earlier set-up, then registers loaders over `files`' "font\" folder on
    // `factory` and builds the collection. Raises COMException naming the refused call;
    // what was set up before it stays until close().
    void open(IDWriteFactory* factory, std::shared_ptr<const Mod::FileSource> files);

    // Unregisters the loaders and releases everything, leaving the object empty even when
    // DirectWrite refuses an unregistration (the first refusal is then raised).
    void close();

    // The best-scoring face for `name` (family prefix plus face suffix, letter case
    // ignored) as a text format of `size` DIPs in `out`; `out` stays null when nothing
    // scores or the collection is not open. Raises COMException for a failed call.
    void create_text_format(std::wstring_view name, float size,
                            Microsoft::WRL::ComPtr<IDWriteTextFormat>& out) const;

    // Null until open() succeeds.
    IDWriteFontCollection* collection() const { return m_collection.Get(); }

private:
    Microsoft::WRL::ComPtr<IDWriteFontCollection> m_collection;
    Microsoft::WRL::ComPtr<IDWriteFactory> m_factory;
    // Set only once registered, so close() unregisters exactly what was registered.
    Microsoft::WRL::ComPtr<IDWriteFontCollectionLoader> m_collection_loader;
    Microsoft::WRL::ComPtr<IDWriteFontFileLoader> m_file_loader;
};

} // namespace Fonts
