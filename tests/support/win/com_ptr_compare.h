#pragma once
// mingw-w64's ComPtr has no comparison operators, so `EXPECT_EQ(a, b)` on two of them
// compares their conversions to bool and holds for any two set pointers. These compare
// the pointers, as the Windows SDK's own operators do. Included into every test by the
// build under mingw-w64 only (the SDK defines them itself).

#include <wrl/client.h>

#include <cstddef>

namespace Microsoft {
namespace WRL {

template <typename T, typename U>
bool operator==(const ComPtr<T>& a, const ComPtr<U>& b)
{
    return a.Get() == b.Get();
}

template <typename T, typename U>
bool operator!=(const ComPtr<T>& a, const ComPtr<U>& b)
{
    return a.Get() != b.Get();
}

template <typename T>
bool operator==(const ComPtr<T>& a, std::nullptr_t)
{
    return a.Get() == nullptr;
}

template <typename T>
bool operator!=(const ComPtr<T>& a, std::nullptr_t)
{
    return a.Get() != nullptr;
}

} // namespace WRL
} // namespace Microsoft
