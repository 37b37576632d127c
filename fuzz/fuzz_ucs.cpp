// Localisation tables: up to three tables parsed, the word index built over them, and
// a few searches and lookups.

#include "fuzz_input.h"
#include "mod/localisation.h"
#include "mod/ucs_table.h"
#include "mod/word_index.h"

#include <algorithm>
#include <limits>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::vector<std::string> parts = Fuzz::split_input(data, size, 3);
    Mod::UcsTables tables;
    for (const std::string& part : parts) {
        try {
            tables.push_back(Mod::UcsTable::parse(blob_of(part)));
        } catch (const std::exception&) {
        }
    }
    std::int32_t low = std::numeric_limits<std::int32_t>::max();
    std::int32_t high = std::numeric_limits<std::int32_t>::min();
    for (const auto& table : tables) {
        low = std::min(low, table->min_id());
        high = std::max(high, table->max_id());
    }
    Mod::WordIndex index;
    Mod::build_word_index(tables, low, high, index);
    if (low > high)
        return 0;
    const std::vector<std::int32_t> all = Mod::id_layout(tables, low, high);
    std::u16string query;
    for (std::size_t i = 0; i + 1 < size && i < 16; i += 2)
        query.push_back(static_cast<char16_t>(data[i] | data[i + 1] << 8));
    for (std::u16string_view words : {std::u16string_view(u"the"), std::u16string_view(u"a b"),
                                      std::u16string_view(query)})
        Mod::search_ids(index, words, all);
    for (std::size_t i = 0; i < all.size() && i < 64; ++i)
        Mod::resolve_text(tables, "$" + std::to_string(all[i]));
    Mod::resolve_text(tables, "$99999999999");
    return 0;
}
