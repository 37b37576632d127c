#include "mod/id_text_map.h"

#include <algorithm>

namespace Mod {

void IdTextMap::build(const std::vector<Entry>& entries, std::vector<std::int32_t>& ids)
{
    m_direct.clear();
    m_sorted.clear();
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

    // By identifier, keeping file order among equals, so that the last of a run is the
    // entry that replaces the others.
    m_sorted = entries;
    if (!ascending)
        std::stable_sort(m_sorted.begin(), m_sorted.end(),
                         [](const Entry& a, const Entry& b) { return a.id < b.id; });
    std::size_t kept = 0;
    for (std::size_t i = 0; i < m_sorted.size(); ++i) {
        if (kept > 0 && m_sorted[kept - 1].id == m_sorted[i].id)
            m_sorted[kept - 1] = m_sorted[i];
        else
            m_sorted[kept++] = m_sorted[i];
    }
    m_sorted.resize(kept);
    m_sorted.shrink_to_fit();
    ids.reserve(kept);
    for (const Entry& entry : m_sorted)
        ids.push_back(entry.id);
}

const UcsText* IdTextMap::find(std::int32_t id) const
{
    if (!m_direct.empty()) {
        const std::int64_t at = static_cast<std::int64_t>(id) - m_base;
        if (at < 0 || at >= static_cast<std::int64_t>(m_direct.size()) || !m_direct[static_cast<std::size_t>(at)].data)
            return nullptr;
        return &m_direct[static_cast<std::size_t>(at)];
    }
    auto found = std::lower_bound(m_sorted.begin(), m_sorted.end(), id,
                                  [](const Entry& entry, std::int32_t value) { return entry.id < value; });
    return found != m_sorted.end() && found->id == id ? &found->text : nullptr;
}

} // namespace Mod
