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

namespace {

// The values common to `a` and `b` (ascending, repeats allowed) appended to `out`
// without repeats. Lists of similar length are merged in step; a much longer list is
// crossed by galloping from each value of the shorter one.
void intersect_two(const std::vector<std::int32_t>& a, const std::vector<std::int32_t>& b,
                   std::vector<std::int32_t>& out)
{
    const std::vector<std::int32_t>& shorter = a.size() <= b.size() ? a : b;
    const std::vector<std::int32_t>& longer = a.size() <= b.size() ? b : a;
    auto emit = [&out](std::int32_t value) {
        if (out.empty() || out.back() != value)
            out.push_back(value);
    };
    if (shorter.empty())
        return;
    if (longer.size() / shorter.size() >= 4) {
        std::size_t j = 0;
        for (std::int32_t value : shorter) {
            j = gallop(longer, j, value);
            if (j == longer.size())
                return;
            if (longer[j] == value)
                emit(value);
        }
        return;
    }
    std::size_t i = 0, j = 0;
    while (i < shorter.size() && j < longer.size()) {
        const std::int32_t x = shorter[i];
        const std::int32_t y = longer[j];
        if (x == y)
            emit(x);
        i += x <= y;
        j += y <= x;
    }
}

} // namespace

std::vector<std::int32_t> intersect_ascending(const std::vector<const std::vector<std::int32_t>*>& lists)
{
    std::vector<std::int32_t> result;
    if (lists.empty())
        return result;
    if (lists.size() == 1) {
        for (std::int32_t value : *lists[0])
            if (result.empty() || result.back() != value)
                result.push_back(value);
        return result;
    }
    // Shortest first: every later step is bounded by what is left.
    std::vector<const std::vector<std::int32_t>*> order(lists);
    std::stable_sort(order.begin(), order.end(), [](auto* x, auto* y) { return x->size() < y->size(); });
    intersect_two(*order[0], *order[1], result);
    std::vector<std::int32_t> next;
    for (std::size_t k = 2; k < order.size() && !result.empty(); ++k) {
        next.clear();
        intersect_two(result, *order[k], next);
        result.swap(next);
    }
    return result;
}

} // namespace Mod
