#pragma once
// Keywords of the data scripts (widget and item types, state names, option values) are
// recognised by their byte length and the hash Lua 5.2.0 keeps in every interned
// string, never by comparing characters.

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace Screen {

// Lua 5.2.0's string hash: seeded with the length, sampling at most about 32 bytes.
constexpr std::uint32_t name_hash(std::string_view text)
{
    const std::size_t length = text.size();
    std::uint32_t h = static_cast<std::uint32_t>(length);
    const std::size_t step = (length >> 5) + 1;
    for (std::size_t i = length; i >= step; i -= step)
        h ^= (h << 5) + (h >> 2) + static_cast<unsigned char>(text[i - 1]);
    return h;
}

struct Keyword {
    std::uint32_t length;
    std::uint32_t hash;
};

constexpr bool is_keyword(std::string_view text, Keyword keyword)
{
    return text.size() == keyword.length && name_hash(text) == keyword.hash;
}

} // namespace Screen
