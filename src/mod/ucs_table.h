#pragma once
// One parsed .ucs localisation table: UTF-16LE lines "<digits><TAB or 1-4 spaces><text>
// CR LF" after a byte-order mark. Texts point into the file's bytes, which the table
// keeps alive; nothing is copied.

#include "fs/file_blob.h"
#include "mod/id_text_map.h"

#include <cstdint>
#include <limits>
#include <memory>
#include <string_view>
#include <vector>

namespace Mod {

// The "no identifier" value of searches over identifiers, and the reset minimum.
constexpr std::int32_t no_id = std::numeric_limits<std::int32_t>::max();

class UcsTable {
public:
    // Throws std::runtime_error "UCS file too short" or "UCS file has odd number of
    // bytes"; malformed lines are skipped.
    static std::unique_ptr<UcsTable> parse(BlobPtr blob);

    std::int32_t min_id() const { return m_min_id; }
    std::int32_t max_id() const { return m_max_id; }

    // Null when the table has no such identifier.
    const UcsText* find(std::int32_t id) const { return m_texts.find(id); }

    // Every identifier, ascending.
    const std::vector<std::int32_t>& ids() const { return m_ids; }

    // Index into ids() of the smallest identifier >= `id` (ids().size() when none).
    std::size_t lower_bound(std::int32_t id) const;

private:
    UcsTable() = default;

    std::int32_t m_min_id = no_id;
    std::int32_t m_max_id = std::numeric_limits<std::int32_t>::min();
    IdTextMap m_texts;
    std::vector<std::int32_t> m_ids;
    BlobPtr m_blob;
};

inline std::u16string_view view(const UcsText& text) { return std::u16string_view(text.data, text.length); }

} // namespace Mod
