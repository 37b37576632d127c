#pragma once
// The graphics half of a mod's resource set: the image converter with its own device,
// the mod's font collection, the font cache and the texture cache. Built with the
// resource set on the mod's background load (which touches no Direct2D object: bitmaps
// and placeholders are made on the user-interface thread, at the first request).

#include "fs/file_source.h"
#include "fs/game_font_collection.h"
#include "gfx/graphics_context.h"
#include "render/font_cache.h"
#include "render/image_converter.h"
#include "render/texture_cache.h"

#include <memory>
#include <string>

namespace Render {

class DeviceResources {
public:
    // The font placeholders are written in.
    static const char* const placeholder_font;

    // Raises COMException or the shader compiler's errors.
    DeviceResources(const Gfx::GraphicsContext& graphics, std::shared_ptr<const Mod::FileSource> files);

    // Never null: a missing or broken texture gives a placeholder naming the reason.
    Microsoft::WRL::ComPtr<ID2D1Bitmap> texture(ID2D1RenderTarget* target, const std::string& path)
    {
        return m_textures.texture(target, path);
    }
    void drop_target_resources() { m_textures.drop_target_resources(); }
    // Decodes and converts one texture file; raises on failure.
    Microsoft::WRL::ComPtr<ID2D1Bitmap> load_bitmap(ID2D1RenderTarget* target, Mod::BlobPtr file)
    {
        return m_converter.load_bitmap(target, std::move(file));
    }
    // Never fails: the system font stands in for a missing or broken description.
    const FontEntry& font(const std::string& name) { return m_fonts.font(name); }

    // Drops the textures and fonts made from changed files; TrueType files changing
    // build the mod's font collection again (raising what that raises). Text formats
    // handed out before are stale afterwards: drawings must drop what they keep.
    void apply_change(const Mod::ModChange& change);

    ImageConverter& converter() { return m_converter; }
    const Fonts::GameFontCollection& font_collection() const { return m_font_collection; }

private:
    // Destroyed backwards: textures and fonts before the collection, the converter's
    // device last.
    const Gfx::GraphicsContext& m_graphics;
    std::shared_ptr<const Mod::FileSource> m_files;
    ImageConverter m_converter;
    Fonts::GameFontCollection m_font_collection;
    FontCache m_fonts;
    TextureCache m_textures;
};

// An independent copy of `format` (same face, size and locale), so that changing its
// alignment leaves the cached one alone.
Microsoft::WRL::ComPtr<IDWriteTextFormat> copy_text_format(IDWriteFactory* factory, IDWriteTextFormat* format);

} // namespace Render
