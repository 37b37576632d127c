#include "render/font_cache.h"

#include "fs/game_font_collection.h"
#include "fs/name_order.h"
#include "render/font_description.h"
#include "ui/ansi_text.h"
#include "ui/text_format.h"

#include <algorithm>
#include <exception>
#include <iterator>

namespace Render {

using Microsoft::WRL::ComPtr;

FontCache::FontCache(IDWriteFactory* factory, std::shared_ptr<const Mod::FileSource> files,
                     Fonts::GameFontCollection* collection)
    : m_factory(factory), m_files(std::move(files)), m_collection(collection),
      m_system_format(Ui::create_system_text_format(factory, 12.0f, DWRITE_FONT_WEIGHT_NORMAL))
{
}

FontCache::~FontCache() = default;

const FontEntry& FontCache::font(const std::string& name)
{
    auto found = m_entries.find(name);
    if (found == m_entries.end())
        found = m_entries.emplace(name, make_entry(name)).first;
    return found->second;
}

void FontCache::drop(const std::vector<std::string>& names)
{
    for (auto entry = m_entries.begin(); entry != m_entries.end();) {
        const bool stale = std::any_of(names.begin(), names.end(), [&](const std::string& name) {
            return Mod::names_equal_ignoring_case(name, entry->first);
        });
        entry = stale ? m_entries.erase(entry) : std::next(entry);
    }
}

FontEntry FontCache::make_entry(const std::string& name) const
{
    const FontEntry fallback{m_system_format, {}};
    if (!m_files)
        return fallback;
    try {
        std::optional<FontDescription> description = read_font_description(*m_files, name);
        if (!description)
            return fallback;
        FontEntry entry{nullptr, std::move(description->size_table)};
        const float size = description->size_default * 72.0f / 96.0f;
        if (m_collection)
            m_collection->create_text_format(Ui::ansi_to_wide(description->name), size, entry.format);
        // A face the mod does not ship: the interface font, but at the size the face would
        // have and with its table, so the text keeps its proportions.
        if (!entry.format)
            entry.format = Ui::create_system_face_format(m_factory.Get(), size, DWRITE_FONT_WEIGHT_NORMAL);
        return entry;
    } catch (const std::exception&) {
        // A refused format (DirectWrite, or memory): the name still gets a usable font.
        return fallback;
    }
}

} // namespace Render
