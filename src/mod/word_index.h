#pragma once
// The word index of a mod's localisation tables: lower-cased words to the ascending
// identifiers of the texts that contain them, so that searching while typing costs
// hash lookups and a merge of sorted vectors.

#include "mod/ucs_table.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace Mod {

using WordIndex = std::unordered_map<std::u16string, std::vector<std::int32_t>>;
using UcsTables = std::vector<std::unique_ptr<UcsTable>>;

// Calls visit(word) for each word of `text`, split at TAB, space and ! ( ) , . < > ?
// and lower-cased in ASCII only. `word` is a buffer reused between calls.
template <typename Visit>
void for_each_word(std::u16string_view text, std::u16string& word, Visit&& visit);

// Indexes every identifier from `min_id` to `max_id` once, in ascending order, with
// the text of the first table in load order that has it.
void build_word_index(const UcsTables& tables, std::int32_t min_id, std::int32_t max_id, WordIndex& index);

// The identifiers present in every one of the ascending `lists`, ascending and without
// repeats; empty when there are no lists.
std::vector<std::int32_t> intersect_ascending(const std::vector<const std::vector<std::int32_t>*>& lists);

// ---------------------------------------------------------------------------------

inline bool is_word_separator(char16_t unit)
{
    switch (unit) {
    case u'\t': case u' ': case u'!': case u'(': case u')':
    case u',': case u'.': case u'<': case u'>': case u'?':
        return true;
    default:
        return false;
    }
}

template <typename Visit>
void for_each_word(std::u16string_view text, std::u16string& word, Visit&& visit)
{
    std::size_t i = 0;
    const std::size_t size = text.size();
    while (i < size) {
        while (i < size && is_word_separator(text[i]))
            ++i;
        if (i == size)
            break;
        std::size_t begin = i;
        while (i < size && !is_word_separator(text[i]))
            ++i;
        word.assign(text.data() + begin, i - begin);
        for (char16_t& unit : word)
            if (unit >= u'A' && unit <= u'Z')
                unit = static_cast<char16_t>(unit - u'A' + u'a');
        visit(static_cast<const std::u16string&>(word));
    }
}

} // namespace Mod
