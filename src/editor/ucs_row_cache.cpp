#include "editor/ucs_row_cache.h"

#include <algorithm>
#include <cstdio>
#include <utility>

namespace Editor {

std::string format_reference(std::int32_t id)
{
    char buffer[32];
    int length = std::snprintf(buffer, sizeof(buffer), "$%d", static_cast<int>(id));
    return std::string(buffer, length > 0 ? static_cast<std::size_t>(length) : 0);
}

std::optional<std::int64_t> parse_reference(std::u16string_view text)
{
    if (text.size() <= 2 || text[0] != u'$')
        return std::nullopt;
    std::int64_t value = 0;
    for (std::size_t i = 1; i < text.size(); ++i) {
        char16_t unit = text[i];
        if (unit < u'0' || unit > u'9')
            return std::nullopt;
        // Saturating keeps any number of digits in range: past the largest identifier
        // the exact value no longer matters.
        value = std::min(reference_beyond_ids, value * 10 + (unit - u'0'));
    }
    return value;
}

std::size_t first_not_less(const std::vector<std::int32_t>& ids, std::int64_t value)
{
    auto at = std::lower_bound(ids.begin(), ids.end(), value,
                               [](std::int32_t id, std::int64_t wanted) { return id < wanted; });
    return static_cast<std::size_t>(at - ids.begin());
}

void UcsRowCache::clear()
{
    m_rows.clear();
    m_start = 0;
}

void UcsRowCache::fill(const std::vector<std::int32_t>& ids, std::size_t first, std::size_t last)
{
    if (first > last || first >= ids.size())
        return;
    last = std::min(last, ids.size() - 1);
    if (contains(first, last))
        return;
    if (first == last && !m_rows.empty()) {
        const std::size_t cache_last = m_start + m_rows.size() - 1;
        if (first > cache_last)
            first = m_start;
        else
            last = cache_last;
    }
    load_run(ids, first, last);
}

const UcsRowCache::Row* UcsRowCache::row(const std::vector<std::int32_t>& ids, std::size_t index)
{
    if (index >= ids.size())
        return nullptr;
    fill(ids, index, index);
    return &m_rows[index - m_start];
}

void UcsRowCache::load_run(const std::vector<std::int32_t>& ids, std::size_t first, std::size_t last)
{
    // Rows of the old run that the new one keeps are moved over instead of being
    // resolved again: the single-row rule always keeps the whole old run.
    std::vector<Row> rows;
    try {
        rows.reserve(last - first + 1);
        for (std::size_t index = first; index <= last; ++index) {
            if (contains(index, index)) {
                rows.push_back(std::move(m_rows[index - m_start]));
                continue;
            }
            std::string reference = format_reference(ids[index]);
            Row row;
            row.reference.assign(reference.begin(), reference.end());
            row.text = m_resolve(reference);
            rows.push_back(std::move(row));
        }
    } catch (...) {
        // Some old rows may have been moved out already.
        clear();
        throw;
    }
    m_rows = std::move(rows);
    m_start = first;
}

} // namespace Editor
