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

TextureCache::TextureCache(std::shared_ptr<const Mod::FileSource> files, IDWriteFactory* factory, Converter converter,
                           Wrapper wrapper, FormatSource placeholder_format)
    : m_files(std::move(files)), m_factory(factory), m_converter(std::move(converter)), m_wrapper(std::move(wrapper)),
      m_placeholder_format(std::move(placeholder_format))
{
}

void TextureCache::drop_target_resources()
{
    for (auto& entry : m_textures) {
        entry.second.bitmap.Reset();
        entry.second.made = false;
    }
    m_target = nullptr;
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
        drop_target_resources();
        m_target = target;
    }
    const std::string key = texture_key(path);
    auto [found, added] = m_textures.try_emplace(folded_texture_key(key));
    Entry& entry = found->second;
    if (added) {
        entry.key = key;
        read(entry);
    }
    if (!entry.made) {
        entry.made = true;
        entry.bitmap = make_bitmap(target, entry);
    }
    return entry.bitmap;
}

void TextureCache::read(Entry& entry)
{
    std::wstring reason;
    for (const std::string& candidate : texture_candidates(entry.key)) {
        Mod::BlobPtr file = m_files ? m_files->read(candidate) : nullptr;
        if (!file)
            continue;
        try {
            entry.converted = m_converter(std::move(file));
            return;
        } catch (const std::exception& failure) {
            Platform::debug_output("Invalid texture " + candidate + ": " + failure.what() + "\n");
            reason = Ui::ansi_to_wide(failure.what());
            if (reason.empty())
                reason = L"unknown";
            break;
        }
    }
    entry.placeholder = reason.empty() ? L"Missing texture: " + Ui::ansi_to_wide(entry.key)
                                       : L"Invalid texture: " + Ui::ansi_to_wide(entry.key) + L"\nReason: " + reason;
}

ComPtr<ID2D1Bitmap> TextureCache::make_bitmap(ID2D1RenderTarget* target, const Entry& entry)
{
    std::wstring text = entry.placeholder;
    if (entry.converted) {
        try {
            return m_wrapper(target, entry.converted);
        } catch (const std::exception& failure) {
            Platform::debug_output("Cannot draw texture " + entry.key + ": " + failure.what() + "\n");
            text = L"Invalid texture: " + Ui::ansi_to_wide(entry.key) + L"\nReason: " + Ui::ansi_to_wide(failure.what());
        }
    }
    try {
        return make_placeholder(target, text);
    } catch (const std::exception& failure) {
        // Kept as nothing to draw: trying again on every frame would fail as often.
        Platform::debug_output("No placeholder for texture " + entry.key + ": " + failure.what() + "\n");
        return nullptr;
    }
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
