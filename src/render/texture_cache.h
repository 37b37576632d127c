#pragma once
// Textures by the names screens give them, each read, decoded and converted once. A
// request never fails: a texture that is missing or does not decode becomes a magenta
// bitmap that says why, cached like a real one, so it is never retried.

#include "fs/file_source.h"

#include <d2d1.h>
#include <dwrite.h>
#include <wrl/client.h>

#include <functional>
#include <memory>
#include <string>
#include <unordered_map>

namespace Mod {
class ModChange;
}

namespace Render {

class TextureCache {
public:
    // Makes a bitmap of `target` from a texture file; raises on failure.
    using Loader = std::function<Microsoft::WRL::ComPtr<ID2D1Bitmap>(ID2D1RenderTarget* target, Mod::BlobPtr file)>;
    // The text format of the placeholders' text.
    using FormatSource = std::function<Microsoft::WRL::ComPtr<IDWriteTextFormat>()>;

    TextureCache(std::shared_ptr<const Mod::FileSource> files, IDWriteFactory* factory, Loader loader,
                 FormatSource placeholder_format);

    // A placeholder where the file is missing or cannot be read; null only when even that
    // cannot be made (once: not tried again until the file changes). Bitmaps belong to the target they were made for: a request from
    // another target starts the cache afresh.
    Microsoft::WRL::ComPtr<ID2D1Bitmap> texture(ID2D1RenderTarget* target, const std::string& path);

    std::size_t size() const { return m_textures.size(); }

    // Forgets the textures read from (or missing at) a changed file, so that the next
    // request reads the file again.
    void drop_changed(const Mod::ModChange& change);

    // The window's render target is gone: its bitmaps go with it (a new target may even
    // come at the same address).
    void drop_target_resources()
    {
        m_textures.clear();
        m_target = nullptr;
    }

private:
    Microsoft::WRL::ComPtr<ID2D1Bitmap> make_placeholder(ID2D1RenderTarget* target, const std::wstring& text);

    struct Entry {
        std::string key; // as first asked for: its candidates name the files
        Microsoft::WRL::ComPtr<ID2D1Bitmap> bitmap;
    };
    std::unordered_map<std::string, Entry> m_textures; // by folded key
    std::shared_ptr<const Mod::FileSource> m_files;
    Microsoft::WRL::ComPtr<IDWriteFactory> m_factory;
    Loader m_loader;
    FormatSource m_placeholder_format;
    ID2D1RenderTarget* m_target = nullptr; // the one the cached bitmaps belong to; not owned
};

} // namespace Render
