#pragma once
// The rows of the string chooser's virtual list: only the run of rows the list view
// asks for is formatted and resolved, so tables of tens of thousands of strings open
// at once. Also the reading of "$<digits>" texts that the chooser opens on. No window
// here: it builds and is tested in both trees.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace Editor {

// "$<id>", as resolve_text expects it.
std::string format_reference(std::int32_t id);

// The number of a text longer than two characters made of '$' and ASCII digits only;
// nothing for any other text (plain text, "$12a", "$-5", "$7"). A number above the
// largest identifier comes back as reference_beyond_ids, which no identifier reaches,
// so it never wraps into a small or negative identifier.
constexpr std::int64_t reference_beyond_ids = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
std::optional<std::int64_t> parse_reference(std::u16string_view text);

// The index of the first of the ascending `ids` not less than `value` (bisection);
// ids.size() when every identifier is smaller.
std::size_t first_not_less(const std::vector<std::int32_t>& ids, std::int64_t value);

class UcsRowCache {
public:
    struct Row {
        std::u16string reference; // "$<id>"
        std::u16string text;      // as resolved
    };
    // The text shown for a reference (LoadedMod::resolve_text).
    using Resolver = std::function<std::u16string(std::string_view reference)>;

    explicit UcsRowCache(Resolver resolve) : m_resolve(std::move(resolve)) {}

    // The list changed: nothing cached stays valid.
    void clear();

    // Makes rows first..last (inclusive) of `ids` cached. A range already inside the
    // cache costs nothing; any other range replaces the cache, except that a single row
    // outside it extends the run to the cache's far edge (the list asks row by row
    // while it scrolls, so the rows it showed just before stay). Indices past the end
    // of `ids` are cut off; an empty or reversed range changes nothing.
    void fill(const std::vector<std::int32_t>& ids, std::size_t first, std::size_t last);

    // Row `index` of `ids`, cached first; null when `index` is past the end.
    const Row* row(const std::vector<std::int32_t>& ids, std::size_t index);

    bool contains(std::size_t first, std::size_t last) const
    {
        return !m_rows.empty() && first >= m_start && first <= last && last - m_start < m_rows.size();
    }
    std::size_t start() const { return m_start; }
    std::size_t size() const { return m_rows.size(); }

private:
    void load_run(const std::vector<std::int32_t>& ids, std::size_t first, std::size_t last);

    Resolver m_resolve;
    std::size_t m_start = 0;
    std::vector<Row> m_rows;
};

} // namespace Editor
