#include "platform/wine_host.h"

#include <windows.h>

namespace Platform {

bool running_under_wine()
{
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version");
}

} // namespace Platform
