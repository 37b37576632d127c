#pragma once
// The order in which merged listings are sorted and de-duplicated: characters upper-cased
// with the run-time library (only ASCII letters change in the default locale) and
// compared as signed 8-bit values; a prefix sorts before the longer name.

#include <string_view>

namespace Mod {

// Negative, zero or positive as `a` sorts before, with or after `b`.
int compare_names_ignoring_case(std::string_view a, std::string_view b);

inline bool names_less_ignoring_case(std::string_view a, std::string_view b)
{
    return compare_names_ignoring_case(a, b) < 0;
}

inline bool names_equal_ignoring_case(std::string_view a, std::string_view b)
{
    return compare_names_ignoring_case(a, b) == 0;
}

// True when `name` ends with `ending` (an extension such as ".sga"), letter case ignored.
inline bool name_ends_with_ignoring_case(std::string_view name, std::string_view ending)
{
    return name.size() >= ending.size() && names_equal_ignoring_case(name.substr(name.size() - ending.size()), ending);
}

} // namespace Mod
