#pragma once
// UTF-16 text across the Win32 boundary: wchar_t is char16_t's twin on Windows.

#include <windows.h>

#include <algorithm>
#include <string>

namespace Editor {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Win32 text is UTF-16");

inline const wchar_t* wide(const std::u16string& text)
{
    return reinterpret_cast<const wchar_t*>(text.c_str());
}

// The whole text of a window or control.
inline std::u16string window_text(HWND hwnd)
{
    const int length = GetWindowTextLengthW(hwnd);
    std::u16string text(static_cast<std::size_t>(std::max(length, 0)), u'\0');
    if (length > 0)
        text.resize(static_cast<std::size_t>(
            GetWindowTextW(hwnd, reinterpret_cast<wchar_t*>(text.data()), length + 1)));
    return text;
}

} // namespace Editor
