#include "mod/word_index.h"

#include <algorithm>

namespace Mod {

void build_word_index(const UcsTables& tables, std::int32_t min_id, std::int32_t max_id, WordIndex& index)
{
    // One cursor per table: the candidate only grows, so each table's next identifier
    // is found by stepping forward instead of searching again.
    std::vector<std::size_t> cursors(tables.size());
    for (std::size_t t = 0; t < tables.size(); ++t)
        cursors[t] = tables[t]->lower_bound(min_id);

    std::u16string word;
    std::int32_t candidate = min_id;
    while (true) {
        const UcsTable* owner = nullptr;
        std::int32_t found = no_id;
        for (std::size_t t = 0; t < tables.size(); ++t) {
            const auto& ids = tables[t]->ids();
            std::size_t& cursor = cursors[t];
            while (cursor < ids.size() && ids[cursor] < candidate)
                ++cursor;
            if (cursor == ids.size())
                continue;
            // Strictly smaller: on ties the earlier table in load order keeps it.
            if (!owner || ids[cursor] < found) {
                owner = tables[t].get();
                found = ids[cursor];
                if (found == candidate)
                    break;
            }
        }
        if (!owner || found > max_id)
            break;
        const std::int32_t id = found;
        for_each_word(view(*owner->find(id)), word, [&](const std::u16string& w) { index[w].push_back(id); });
        // The largest identifier has no successor to continue from.
        if (id == no_id)
            break;
        candidate = id + 1;
    }
}

namespace {

// First index at or after `from` whose value is >= `value`, by galloping: the long
// lists of common words are crossed in steps that double.
std::size_t gallop(const std::vector<std::int32_t>& list, std::size_t from, std::int32_t value)
{
    std::size_t size = list.size();
    if (from >= size || list[from] >= value)
        return from;
    std::size_t step = 1;
    std::size_t low = from; // list[low] < value
    std::size_t high = from + step;
    while (high < size && list[high] < value) {
        low = high;
        step *= 2;
        high = low + step;
    }
    if (high > size)
        high = size;
    return static_cast<std::size_t>(std::lower_bound(list.begin() + static_cast<std::ptrdiff_t>(low + 1),
                                                     list.begin() + static_cast<std::ptrdiff_t>(high), value) -
                                    list.begin());
}

} // namespace

std::vector<std::int32_t> intersect_ascending(const std::vector<const std::vector<std::int32_t>*>& lists)
{
    std::vector<std::int32_t> result;
    if (lists.empty())
        return result;
    for (const auto* list : lists)
        if (list->empty())
            return result;
    std::vector<std::size_t> positions(lists.size(), 0);
    std::int32_t candidate = (*lists[0])[0];
    while (true) {
        bool all_equal = true;
        for (std::size_t k = 0; k < lists.size(); ++k) {
            const auto& list = *lists[k];
            positions[k] = gallop(list, positions[k], candidate);
            if (positions[k] == list.size())
                return result;
            if (list[positions[k]] > candidate) {
                candidate = list[positions[k]];
                all_equal = false;
            }
        }
        if (all_equal) {
            result.push_back(candidate);
            if (candidate == no_id)
                return result;
            ++candidate;
        }
    }
}

} // namespace Mod
