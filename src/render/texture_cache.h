#pragma once
// Textures by the names screens give them, each read, decoded and converted once for
// as long as its files do not change: a new render target (after a resize, a lost
// target, a redraw) only wraps the converted texture again. A request never fails: a
// texture that is missing or does not decode becomes a magenta bitmap that says why,
// cached like a real one, so it is never retried.

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
    // What a texture file becomes once, on the device: any target's bitmap is made from it.
    using Converted = std::shared_ptr<const void>;
    // Reads a texture file into its converted form; raises on failure.
    using Converter = std::function<Converted(Mod::BlobPtr file)>;
    // A bitmap of `target` from a converted texture; raises on failure.
    using Wrapper =
        std::function<Microsoft::WRL::ComPtr<ID2D1Bitmap>(ID2D1RenderTarget* target, const Converted& converted)>;
    // The text format of the placeholders' text.
    using FormatSource = std::function<Microsoft::WRL::ComPtr<IDWriteTextFormat>()>;

    TextureCache(std::shared_ptr<const Mod::FileSource> files, IDWriteFactory* factory, Converter converter,
                 Wrapper wrapper, FormatSource placeholder_format);

    // A placeholder where the file is missing or cannot be read; null only when even that
    // cannot be made (once for each target). Bitmaps belong to the target they were made
    // for: a request from another target wraps the converted textures again.
    Microsoft::WRL::ComPtr<ID2D1Bitmap> texture(ID2D1RenderTarget* target, const std::string& path);

    std::size_t size() const { return m_textures.size(); }

    // Forgets the textures read from (or missing at) a changed file, so that the next
    // request reads the file again.
    void drop_changed(const Mod::ModChange& change);

    // The window's render target is gone: its bitmaps go with it (a new target may even
    // come at the same address); the converted textures stay.
    void drop_target_resources();

private:
    struct Entry {
        std::string key; // as first asked for: its candidates name the files
        Converted converted;         // null: missing or invalid
        std::wstring placeholder;    // then the placeholder's text
        Microsoft::WRL::ComPtr<ID2D1Bitmap> bitmap;
        bool made = false;           // the bitmap of the current target was tried
    };
    // Reads the first candidate file there is into `entry`.
    void read(Entry& entry);
    Microsoft::WRL::ComPtr<ID2D1Bitmap> make_bitmap(ID2D1RenderTarget* target, const Entry& entry);
    Microsoft::WRL::ComPtr<ID2D1Bitmap> make_placeholder(ID2D1RenderTarget* target, const std::wstring& text);

    std::unordered_map<std::string, Entry> m_textures; // by folded key
    std::shared_ptr<const Mod::FileSource> m_files;
    Microsoft::WRL::ComPtr<IDWriteFactory> m_factory;
    Converter m_converter;
    Wrapper m_wrapper;
    FormatSource m_placeholder_format;
    ID2D1RenderTarget* m_target = nullptr; // the one the cached bitmaps belong to; not owned
};

} // namespace Render
