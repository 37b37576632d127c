#include "fs/name_order.h"

#include <algorithm>
#include <cctype>

namespace Mod {

int compare_names_ignoring_case(std::string_view a, std::string_view b)
{
    const std::size_t common = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < common; ++i) {
        // toupper takes an unsigned char's value; the comparison is on signed bytes.
        const auto x = static_cast<signed char>(std::toupper(static_cast<unsigned char>(a[i])));
        const auto y = static_cast<signed char>(std::toupper(static_cast<unsigned char>(b[i])));
        if (x != y)
            return x < y ? -1 : 1;
    }
    if (a.size() == b.size())
        return 0;
    return a.size() < b.size() ? -1 : 1;
}

} // namespace Mod
