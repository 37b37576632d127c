#pragma once
// The identifier-to-text map of a localisation table: open addressing with linear
// probing over a power-of-two array. Tables hold up to hundreds of thousands of strings
// and are built while the user waits, so a node per entry (std::unordered_map) costs
// more than the parse itself.

#include <cstdint>
#include <vector>

namespace Mod {

// A string inside a table's bytes (not NUL-terminated).
struct UcsText {
    const char16_t* data = nullptr;
    std::uint32_t length = 0;
};

class IdTextMap {
public:
    // Sets or replaces the text of `id`; true when `id` was new.
    bool assign(std::int32_t id, UcsText text);

    // Null when `id` is absent.
    const UcsText* find(std::int32_t id) const;

    std::size_t size() const { return m_count; }

private:
    struct Slot {
        std::int32_t id = 0;
        bool used = false;
        UcsText text;
    };

    std::size_t slot_of(std::int32_t id) const;
    void grow();

    std::vector<Slot> m_slots;
    std::size_t m_count = 0;
};

} // namespace Mod
