#pragma once
// Win32 errors as COMException: the last error of the calling thread, mapped to an
// HRESULT the standard way.

#include <windows.h>

namespace App {

// Values <= 0 stay as they are; positive ones become (value & 0xFFFF) | 0x80070000.
constexpr HRESULT hresult_from_win32(DWORD error) noexcept
{
    return static_cast<LONG>(error) <= 0 ? static_cast<HRESULT>(error)
                                         : static_cast<HRESULT>((error & 0xFFFFu) | 0x80070000u);
}

// Raises COMException(hresult_from_win32(GetLastError()), call_name).
[[noreturn]] void throw_last_error(const char* call_name);

} // namespace App
