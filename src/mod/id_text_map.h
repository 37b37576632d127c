#pragma once
// The identifier-to-text map of a localisation table. Tables hold up to hundreds of
// thousands of strings and are built while the user waits, so a node per entry
// (std::unordered_map) would cost more than the parse itself. Identifiers of one file
// are nearly always a dense run, which gets a direct table indexed by id - base (a
// hash without collisions); anything sparser is kept sorted and found by bisection,
// whose worst case no choice of identifiers can make worse (a hash can be targeted).

#include <cstdint>
#include <vector>

namespace Mod {

// A string inside a table's bytes (not NUL-terminated); `data` is never null for a
// stored text, also when it is empty.
struct UcsText {
    const char16_t* data = nullptr;
    std::uint32_t length = 0;
};

class IdTextMap {
public:
    struct Entry {
        std::int32_t id;
        UcsText text;
    };

    // Builds the map from entries in file order (a later entry of an identifier
    // replaces an earlier one) and fills `ids` with every identifier, ascending.
    void build(const std::vector<Entry>& entries, std::vector<std::int32_t>& ids);

    // Null when `id` is absent.
    const UcsText* find(std::int32_t id) const;

private:
    // Dense form: m_direct[id - m_base].
    std::int64_t m_base = 0;
    std::vector<UcsText> m_direct;
    // Sparse form: one entry per identifier, ascending.
    std::vector<Entry> m_sorted;
};

} // namespace Mod
