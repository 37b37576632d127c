#include "app/win32_error.h"

#include "app/com_exception.h"

namespace App {

void throw_last_error(const char* call_name)
{
    throw COMException(hresult_from_win32(GetLastError()), call_name);
}

} // namespace App
