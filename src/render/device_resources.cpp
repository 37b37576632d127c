#include "render/device_resources.h"

#include "app/com_call.h"
#include "app/dwrite_calls.h"
#include "mod/mod_change.h"

#include <vector>

namespace Render {

using Microsoft::WRL::ComPtr;

const char* const DeviceResources::placeholder_font = "gillsans_16";

DeviceResources::DeviceResources(const Gfx::GraphicsContext& graphics, std::shared_ptr<const Mod::FileSource> files)
    : m_graphics(graphics), m_files(files), m_converter(graphics),
      m_fonts(graphics.dwrite_factory.Get(), files, &m_font_collection),
      m_textures(
          files, graphics.dwrite_factory.Get(),
          [this](Mod::BlobPtr file) -> TextureCache::Converted {
              auto converted = std::make_shared<ConvertedTexture>();
              converted->resource = m_converter.convert_file(std::move(file));
              return converted;
          },
          [this](ID2D1RenderTarget* target, const TextureCache::Converted& converted) {
              return m_converter.bitmap_for(target, *static_cast<const ConvertedTexture*>(converted.get()));
          },
          [this]() {
              return copy_text_format(m_graphics.dwrite_factory.Get(), m_fonts.font(placeholder_font).format.Get());
          })
{
    m_font_collection.open(graphics.dwrite_factory.Get(), files);
}

void DeviceResources::apply_change(const Mod::ModChange& change)
{
    m_textures.drop_changed(change);
    if (change.font_files()) {
        // Every entry's format comes from the collection about to be replaced.
        m_fonts.clear();
        m_font_collection.open(m_graphics.dwrite_factory.Get(), m_files);
    } else {
        m_fonts.drop(change.font_descriptions());
    }
}

ComPtr<IDWriteTextFormat> copy_text_format(IDWriteFactory* factory, IDWriteTextFormat* format)
{
    std::vector<WCHAR> family(format->GetFontFamilyNameLength() + 1);
    App::check(format->GetFontFamilyName(family.data(), static_cast<UINT32>(family.size())),
               "IDWriteTextFormat::GetFontFamilyName");
    std::vector<WCHAR> locale(format->GetLocaleNameLength() + 1);
    App::check(format->GetLocaleName(locale.data(), static_cast<UINT32>(locale.size())), "IDWriteTextFormat::GetLocaleName");
    ComPtr<IDWriteFontCollection> collection;
    App::check(format->GetFontCollection(&collection), "IDWriteTextFormat::GetFontCollection");
    return App::create_text_format(factory, family.data(), collection.Get(), format->GetFontWeight(),
                                   format->GetFontStyle(), format->GetFontStretch(), format->GetFontSize(),
                                   locale.data());
}

} // namespace Render
