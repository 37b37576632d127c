#include "render/texture_cache.h"

#include "app/d2d_calls.h"
#include "app/dwrite_calls.h"
#include "mod/mod_change.h"
#include "platform/debug_output.h"
#include "render/texture_path.h"
#include "ui/ansi_text.h"

#include <algorithm>
#include <exception>
#include <iterator>

namespace Render {

using Microsoft::WRL::ComPtr;

namespace {

constexpr float placeholder_size = 256.0f;

} // namespace

TextureCache::TextureCache(std::shared_ptr<const Mod::FileSource> files, IDWriteFactory* factory, Loader loader,
                           FormatSource placeholder_format)
    : m_files(std::move(files)), m_factory(factory), m_loader(std::move(loader)),
      m_placeholder_format(std::move(placeholder_format))
{
}

void TextureCache::drop_changed(const Mod::ModChange& change)
{
    if (change.everything()) {
        m_textures.clear();
        return;
    }
    for (auto entry = m_textures.begin(); entry != m_textures.end();) {
        // Every candidate counts: a file that appears may now stand before the one used.
        const std::vector<std::string> candidates = texture_candidates(entry->second.key);
        const bool stale = std::any_of(candidates.begin(), candidates.end(),
                                       [&](const std::string& candidate) { return change.has(candidate); });
        entry = stale ? m_textures.erase(entry) : std::next(entry);
    }
}

ComPtr<ID2D1Bitmap> TextureCache::texture(ID2D1RenderTarget* target, const std::string& path)
{
    if (target != m_target) {
        m_textures.clear();
        m_target = target;
    }
    const std::string key = texture_key(path);
    const std::string folded = folded_texture_key(key);
    auto cached = m_textures.find(folded);
    if (cached != m_textures.end())
        return cached->second.bitmap;

    std::wstring reason;
    for (const std::string& candidate : texture_candidates(key)) {
        Mod::BlobPtr file = m_files ? m_files->read(candidate) : nullptr;
        if (!file)
            continue;
        try {
            ComPtr<ID2D1Bitmap> bitmap = m_loader(target, std::move(file));
            m_textures[folded] = Entry{key, bitmap};
            return bitmap;
        } catch (const std::exception& failure) {
            Platform::debug_output("Invalid texture " + candidate + ": " + failure.what() + "\n");
            reason = Ui::ansi_to_wide(failure.what());
            if (reason.empty())
                reason = L"unknown";
            break;
        }
    }
    const std::wstring text = reason.empty() ? L"Missing texture: " + Ui::ansi_to_wide(key)
                                             : L"Invalid texture: " + Ui::ansi_to_wide(key) + L"\nReason: " + reason;
    ComPtr<ID2D1Bitmap> placeholder;
    try {
        placeholder = make_placeholder(target, text);
    } catch (const std::exception& failure) {
        // Kept as nothing to draw: trying again on every frame would fail as often.
        Platform::debug_output("No placeholder for texture " + key + ": " + failure.what() + "\n");
    }
    m_textures[folded] = Entry{key, placeholder};
    return placeholder;
}

ComPtr<ID2D1Bitmap> TextureCache::make_placeholder(ID2D1RenderTarget* target, const std::wstring& text)
{
    ComPtr<ID2D1BitmapRenderTarget> canvas =
        App::create_compatible_render_target(target, D2D1::SizeF(placeholder_size, placeholder_size));
    ComPtr<IDWriteTextFormat> format = m_placeholder_format();
    App::check(format->SetParagraphAlignment(DWRITE_PARAGRAPH_ALIGNMENT_CENTER),
               "IDWriteTextFormat::SetParagraphAlignment");
    App::check(format->SetTextAlignment(DWRITE_TEXT_ALIGNMENT_CENTER), "IDWriteTextFormat::SetTextAlignment");
    App::check(format->SetWordWrapping(DWRITE_WORD_WRAPPING_WRAP), "IDWriteTextFormat::SetWordWrapping");
    ComPtr<ID2D1SolidColorBrush> ink = App::create_solid_color_brush(canvas.Get(), D2D1::ColorF(0.0f, 0.0f, 0.0f, 1.0f));
    canvas->BeginDraw();
    canvas->SetTransform(D2D1::Matrix3x2F::Identity());
    canvas->Clear(D2D1::ColorF(1.0f, 0.0f, 1.0f, 1.0f));
    canvas->DrawText(text.c_str(), static_cast<UINT32>(text.size()), format.Get(),
                     D2D1::RectF(0.0f, 0.0f, placeholder_size, placeholder_size), ink.Get());
    App::end_draw(canvas.Get());
    return App::get_bitmap(canvas.Get());
}

} // namespace Render
