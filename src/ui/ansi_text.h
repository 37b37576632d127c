#pragma once
// Game paths and names are narrow strings in the ANSI code page; DirectWrite wants
// UTF-16 as WCHAR.

#include "platform/text_encoding.h"

#include <string>
#include <string_view>

namespace Ui {

inline std::wstring ansi_to_wide(std::string_view text)
{
    std::u16string utf16 = Platform::ansi_to_utf16(text);
    return std::wstring(utf16.begin(), utf16.end());
}

} // namespace Ui
