#include "mod/id_text_map.h"

namespace Mod {

std::size_t IdTextMap::slot_of(std::int32_t id) const
{
    // Identifiers come in dense ascending runs; a hash that keeps neighbours in
    // neighbouring slots keeps the build in cache, and the high bits folded in spread
    // runs that differ only above the mask.
    auto key = static_cast<std::uint32_t>(id);
    key ^= (key >> 17) * 0x9E3779B1u;
    return key & (m_slots.size() - 1);
}

void IdTextMap::grow()
{
    std::vector<Slot> old;
    old.swap(m_slots);
    m_slots.resize(old.empty() ? 1024 : old.size() * 2);
    for (const Slot& slot : old) {
        if (!slot.used)
            continue;
        std::size_t i = slot_of(slot.id);
        while (m_slots[i].used)
            i = (i + 1) & (m_slots.size() - 1);
        m_slots[i] = slot;
    }
}

bool IdTextMap::assign(std::int32_t id, UcsText text)
{
    // At most half full, so probes stay short and an empty slot always exists.
    if ((m_count + 1) * 2 > m_slots.size())
        grow();
    std::size_t i = slot_of(id);
    while (m_slots[i].used) {
        if (m_slots[i].id == id) {
            m_slots[i].text = text;
            return false;
        }
        i = (i + 1) & (m_slots.size() - 1);
    }
    m_slots[i].used = true;
    m_slots[i].id = id;
    m_slots[i].text = text;
    ++m_count;
    return true;
}

const UcsText* IdTextMap::find(std::int32_t id) const
{
    if (m_slots.empty())
        return nullptr;
    std::size_t i = slot_of(id);
    while (m_slots[i].used) {
        if (m_slots[i].id == id)
            return &m_slots[i].text;
        i = (i + 1) & (m_slots.size() - 1);
    }
    return nullptr;
}

} // namespace Mod
