#include "mod/ucs_table.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#define TVSE_UCS_SSE2 1
#endif

namespace Mod {
namespace {

constexpr char16_t tab = 0x09;
constexpr char16_t space = 0x20;
constexpr char16_t carriage_return = 0x0D;

bool is_digit(char16_t unit) { return unit >= u'0' && unit <= u'9'; }

// Position of the first CR in [from, limit), or limit. Runs over every text of the
// file, so it tests eight (or four) units per step and looks closer only where one of
// them is (or may be) a CR.
std::size_t find_cr(const char16_t* units, std::size_t from, std::size_t limit)
{
    std::size_t i = from;
#ifdef TVSE_UCS_SSE2
    const __m128i cr = _mm_set1_epi16(carriage_return);
    while (i + 8 <= limit) {
        __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(units + i));
        const unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi16(block, cr)));
        if (mask != 0) {
#ifdef __GNUC__
            return i + static_cast<std::size_t>(__builtin_ctz(mask)) / 2;
#else
            while (units[i] != carriage_return)
                ++i;
            return i;
#endif
        }
        i += 8;
    }
#endif
    constexpr std::uint64_t ones = 0x0001000100010001ull;
    constexpr std::uint64_t highs = 0x8000800080008000ull;
    while (i + 4 <= limit) {
        std::uint64_t word;
        std::memcpy(&word, units + i, sizeof word);
        std::uint64_t x = word ^ (ones * carriage_return);
        if ((x - ones) & ~x & highs)
            break;
        i += 4;
    }
    while (i < limit && units[i] != carriage_return)
        ++i;
    return i;
}

} // namespace

std::unique_ptr<UcsTable> UcsTable::parse(BlobPtr blob)
{
    if (!blob || blob->size < 2)
        throw std::runtime_error("UCS file too short");
    if (blob->size % 2 != 0)
        throw std::runtime_error("UCS file has odd number of bytes");

    // Texts are handed out as UTF-16 units, which need 2-byte alignment; a blob that
    // starts at an odd address (a member inside an archive could) is copied once.
    if (reinterpret_cast<std::uintptr_t>(blob->data) % alignof(char16_t) != 0) {
        std::unique_ptr<std::uint8_t[]> copy(new std::uint8_t[blob->size]);
        std::memcpy(copy.get(), blob->data, blob->size);
        blob = make_buffer_blob(std::move(copy), blob->size);
    }

    std::unique_ptr<UcsTable> table(new UcsTable);
    const auto* units = reinterpret_cast<const char16_t*>(blob->data) + 1; // past the byte-order mark
    const std::size_t count = blob->size / 2 - 1;
    std::vector<IdTextMap::Entry> entries;

    std::size_t pos = 0;
    while (pos < count) {
        // Accumulated unsigned: more than ten digits wrap instead of overflowing.
        std::uint32_t value = 0;
        while (pos < count && is_digit(units[pos])) {
            value = value * 10 + static_cast<std::uint32_t>(units[pos] - u'0');
            ++pos;
        }
        if (pos == count)
            break;
        if (units[pos] == tab) {
            ++pos;
        } else if (units[pos] == space) {
            for (int k = 0; k < 4 && pos < count && units[pos] == space; ++k)
                ++pos;
        } else {
            // Not a line start: resume at the next digit, wherever it is.
            while (pos < count && !is_digit(units[pos]))
                ++pos;
            continue;
        }
        if (count - pos < 3)
            break;
        const auto id = static_cast<std::int32_t>(value);
        table->m_min_id = std::min(table->m_min_id, id);
        table->m_max_id = std::max(table->m_max_id, id);
        // The text never reaches into the last two units, where a line's CR LF would be.
        std::size_t end = find_cr(units, pos, count - 2);
        entries.push_back({id, UcsText{units + pos, static_cast<std::uint32_t>(end - pos)}});
        pos = end + 2;
    }
    table->m_texts.build(entries, table->m_ids);
    table->m_blob = std::move(blob);
    return table;
}

std::size_t UcsTable::lower_bound(std::int32_t id) const
{
    return static_cast<std::size_t>(std::lower_bound(m_ids.begin(), m_ids.end(), id) - m_ids.begin());
}

} // namespace Mod
