#pragma once
// The three-valued answer of a hit test. `maybe` means "not on this element itself,
// but perhaps on something inside it"; the results combine with Kleene logic, maybe
// playing the undecided value.

#include <cstdint>

namespace Ui {

enum class HitResult : std::uint8_t { no = 0, yes = 1, maybe = 2 };

constexpr HitResult hit_not(HitResult a)
{
    return a == HitResult::yes ? HitResult::no : a == HitResult::no ? HitResult::yes : HitResult::maybe;
}

constexpr HitResult hit_and(HitResult a, HitResult b)
{
    if (a == HitResult::no || b == HitResult::no)
        return HitResult::no;
    return a == HitResult::yes && b == HitResult::yes ? HitResult::yes : HitResult::maybe;
}

constexpr HitResult hit_or(HitResult a, HitResult b)
{
    if (a == HitResult::yes || b == HitResult::yes)
        return HitResult::yes;
    return a == HitResult::no && b == HitResult::no ? HitResult::no : HitResult::maybe;
}

constexpr HitResult hit_equal(HitResult a, HitResult b)
{
    if (a == HitResult::maybe || b == HitResult::maybe)
        return HitResult::maybe;
    return a == b ? HitResult::yes : HitResult::no;
}

constexpr HitResult hit_xor(HitResult a, HitResult b)
{
    return hit_not(hit_equal(a, b));
}

} // namespace Ui
