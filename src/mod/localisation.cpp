#include "mod/localisation.h"

#include "platform/text_encoding.h"

#include <algorithm>
#include <limits>

namespace Mod {

std::int32_t parse_string_number(std::string_view text)
{
    std::size_t i = 0;
    auto is_space = [](char c) { return c == ' ' || (c >= '\t' && c <= '\r'); };
    while (i < text.size() && is_space(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    // Saturates like the Windows run-time's atoi instead of overflowing.
    std::int64_t value = 0;
    const std::int64_t limit = negative ? -static_cast<std::int64_t>(std::numeric_limits<std::int32_t>::min())
                                        : std::numeric_limits<std::int32_t>::max();
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
        value = std::min(limit, value * 10 + (text[i] - '0'));
    return static_cast<std::int32_t>(negative ? -value : value);
}

const UcsText* find_text(const UcsTables& tables, std::int32_t id)
{
    for (const auto& table : tables)
        if (const UcsText* text = table->find(id))
            return text;
    return nullptr;
}

std::u16string resolve_text(const UcsTables& tables, std::string_view text)
{
    const bool reference = !text.empty() && text[0] == '$';
    if (reference) {
        if (const UcsText* found = find_text(tables, parse_string_number(text.substr(1)))) {
            std::u16string_view source = view(*found);
            std::u16string result;
            result.reserve(source.size());
            for (std::size_t i = 0; i < source.size(); ++i) {
                if (source[i] == u'%' && source.compare(i, 3, u"%N%") == 0) {
                    result.push_back(u'\n');
                    i += 2;
                } else {
                    result.push_back(source[i]);
                }
            }
            return result;
        }
    }
    std::u16string result = Platform::ansi_to_utf16(text);
    if (reference && std::all_of(text.begin() + 1, text.end(), [](char c) { return c >= '0' && c <= '9'; }))
        result += u" No String!";
    return result;
}

namespace {

// The smallest identifier >= `id` over all tables; false when there is none.
bool next_existing(const UcsTables& tables, std::int32_t id, std::int32_t& next)
{
    bool any = false;
    for (const auto& table : tables) {
        std::size_t at = table->lower_bound(id);
        if (at < table->ids().size() && (!any || table->ids()[at] < next)) {
            next = table->ids()[at];
            any = true;
        }
    }
    return any;
}

} // namespace

std::vector<std::int32_t> id_layout(const UcsTables& tables, std::int32_t first, std::int32_t last)
{
    std::vector<std::int32_t> layout;
    std::int32_t a = first;
    std::int32_t h = 0;
    // Past the last existing identifier nothing is listed; after the largest
    // representable one there is nothing to continue from.
    while (next_existing(tables, a, h) && h <= last) {
        if (h != a) {
            layout.push_back(a);
            if (h - 1 != a)
                layout.push_back(h - 1);
        }
        layout.push_back(h);
        if (h == no_id)
            break;
        a = h + 1;
    }
    return layout;
}

std::vector<std::int32_t> search_ids(const WordIndex& index, std::u16string_view query,
                                     const std::vector<std::int32_t>& allowed)
{
    if (query.empty())
        return allowed;
    std::vector<const std::vector<std::int32_t>*> lists;
    bool missing = false;
    std::u16string word;
    for_each_word(query, word, [&](const std::u16string& w) {
        auto found = index.find(w);
        if (found == index.end())
            missing = true;
        else
            lists.push_back(&found->second);
    });
    if (missing)
        return {};
    lists.push_back(&allowed);
    return intersect_ascending(lists);
}

} // namespace Mod
