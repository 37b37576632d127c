#pragma once
// The fonts text items name, by their short name: the mod's description read once,
// its face taken from the mod's own font collection. A name that cannot be honoured
// falls back to the program's interface font, so drawing always has a format.
// Used from one thread (the user-interface thread, once the mod has loaded).

#include "fs/file_source.h"

#include <dwrite.h>
#include <windows.h>
#include <wrl/client.h>

#include <memory>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

namespace Fonts {
class GameFontCollection;
}

namespace Render {

struct FontEntry {
    Microsoft::WRL::ComPtr<IDWriteTextFormat> format;
    // (effective screen width, scale) sorted by width; see scale_at.
    std::vector<std::pair<float, float>> size_table;
};

class FontCache {
public:
    // Makes the interface font's format at nominal size 12 at once, the fallback of every
    // name (raises COMException when DirectWrite cannot give even that). `collection`
    // must outlive the cache; null makes every description fall back as if its face
    // were missing.
    FontCache(IDWriteFactory* factory, std::shared_ptr<const Mod::FileSource> files,
              Fonts::GameFontCollection* collection);
    ~FontCache();
    FontCache(const FontCache&) = delete;
    FontCache& operator=(const FontCache&) = delete;

    // The entry for `name` (exact), made on first use and kept, failures included, so a
    // broken description does not run again on every draw. Never fails; the reference
    // stays valid as long as the cache.
    const FontEntry& font(const std::string& name);

    // Forgets the entries of these names (letter case ignored, as the description files'
    // names are), or all of them, so that they are made again on their next use. Only
    // while nothing holds a reference from font().
    void drop(const std::vector<std::string>& names);
    void clear() { m_entries.clear(); }

private:
    FontEntry make_entry(const std::string& name) const;

    Microsoft::WRL::ComPtr<IDWriteFactory> m_factory;
    std::shared_ptr<const Mod::FileSource> m_files;
    Fonts::GameFontCollection* m_collection;
    Microsoft::WRL::ComPtr<IDWriteTextFormat> m_system_format;
    std::unordered_map<std::string, FontEntry> m_entries;
};

} // namespace Render
