#include "mod/id_text_map.h"

#include <algorithm>

namespace Mod {

std::size_t IdTextMap::slot_of(std::int32_t id) const
{
    // Fibonacci hashing: the top bits of the product depend on every bit of the key,
    // so runs and strides of identifiers do not pile up in neighbouring slots.
    std::uint64_t product = static_cast<std::uint64_t>(static_cast<std::uint32_t>(id)) * 0x9E3779B97F4A7C15ull;
    return static_cast<std::size_t>(product >> 32) & (m_slots.size() - 1);
}

void IdTextMap::build(const std::vector<Entry>& entries, std::vector<std::int32_t>& ids)
{
    m_direct.clear();
    m_slots.clear();
    ids.clear();
    if (entries.empty())
        return;

    bool ascending = true;
    std::int32_t low = entries[0].id;
    std::int32_t high = entries[0].id;
    for (std::size_t i = 1; i < entries.size(); ++i) {
        ascending = ascending && entries[i - 1].id < entries[i].id;
        low = std::min(low, entries[i].id);
        high = std::max(high, entries[i].id);
    }
    const std::int64_t range = static_cast<std::int64_t>(high) - low + 1;

    if (range <= static_cast<std::int64_t>(entries.size()) * 2 + 64) {
        m_base = low;
        m_direct.assign(static_cast<std::size_t>(range), UcsText());
        for (const Entry& entry : entries)
            m_direct[static_cast<std::size_t>(entry.id - m_base)] = entry.text;
        if (ascending) {
            ids.reserve(entries.size());
            for (const Entry& entry : entries)
                ids.push_back(entry.id);
        } else {
            for (std::size_t i = 0; i < m_direct.size(); ++i)
                if (m_direct[i].data)
                    ids.push_back(static_cast<std::int32_t>(m_base + static_cast<std::int64_t>(i)));
        }
        return;
    }

    std::size_t capacity = 16;
    while (capacity < entries.size() * 2)
        capacity *= 2;
    m_slots.assign(capacity, Slot());
    for (const Entry& entry : entries) {
        std::size_t i = slot_of(entry.id);
        while (m_slots[i].text.data && m_slots[i].id != entry.id)
            i = (i + 1) & (capacity - 1);
        if (!m_slots[i].text.data)
            ids.push_back(entry.id);
        m_slots[i].id = entry.id;
        m_slots[i].text = entry.text;
    }
    if (!ascending)
        std::sort(ids.begin(), ids.end());
}

const UcsText* IdTextMap::find(std::int32_t id) const
{
    if (!m_direct.empty()) {
        const std::int64_t at = static_cast<std::int64_t>(id) - m_base;
        if (at < 0 || at >= static_cast<std::int64_t>(m_direct.size()) || !m_direct[static_cast<std::size_t>(at)].data)
            return nullptr;
        return &m_direct[static_cast<std::size_t>(at)];
    }
    if (m_slots.empty())
        return nullptr;
    std::size_t i = slot_of(id);
    while (m_slots[i].text.data) {
        if (m_slots[i].id == id)
            return &m_slots[i].text;
        i = (i + 1) & (m_slots.size() - 1);
    }
    return nullptr;
}

} // namespace Mod
