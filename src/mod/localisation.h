#pragma once
// The lookups on a mod's localisation tables: the text to display for a property value,
// the identifier range with its gaps, and word search. Tables are asked in load order.

#include "mod/word_index.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace Mod {

// "$<number>" resolves to the first table's string, with each "%N%" made a line feed;
// anything else (or a number no table has) is the text itself, with " No String!"
// appended when it is '$' followed only by ASCII digits.
std::u16string resolve_text(const UcsTables& tables, std::string_view text);

// The text of `id` in the first table that has it; null when none has.
const UcsText* find_text(const UcsTables& tables, std::int32_t id);

// The existing identifiers in [first, last], each run of missing ones before an
// existing one given by its first member (and its last, when longer than one).
std::vector<std::int32_t> id_layout(const UcsTables& tables, std::int32_t first, std::int32_t last);

// The identifiers of `allowed` (ascending) whose texts contain every word of `query`.
std::vector<std::int32_t> search_ids(const WordIndex& index, std::u16string_view query,
                                     const std::vector<std::int32_t>& allowed);

// The number after '$' as the C library's atoi reads it: leading white space, a sign,
// digits up to the first non-digit; 0 without digits; clamped to 32 bits.
std::int32_t parse_string_number(std::string_view text);

} // namespace Mod
