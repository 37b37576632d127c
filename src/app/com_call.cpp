#include "app/com_call.h"

#include "app/com_exception.h"

namespace App {

// Out of line so that every inline wrapper stays a test and a call.
void throw_com_error(HRESULT hr, const char* call_name)
{
    throw COMException(hr, call_name);
}

} // namespace App
