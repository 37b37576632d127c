#include "app/com_exception.h"

#include <cstdarg>

namespace App {
namespace {

// FormatMessageA over a pattern with its inserts as a variable argument list; the
// result is LocalAlloc'd, or null when formatting failed.
char* format_message(const char* pattern, ...)
{
    char* out = nullptr;
    va_list arguments;
    va_start(arguments, pattern);
    DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_STRING | FORMAT_MESSAGE_ALLOCATE_BUFFER, pattern, 0, 0,
                                  reinterpret_cast<char*>(&out), 0, &arguments);
    va_end(arguments);
    if (length == 0 && out) {
        LocalFree(out);
        out = nullptr;
    }
    return out;
}

} // namespace

COMException::COMException(HRESULT hr, const char* call_name) noexcept : m_hr(hr), m_call_name(call_name) {}

COMException::COMException(const COMException& other) noexcept
    : std::exception(other), m_hr(other.m_hr), m_call_name(other.m_call_name)
{
}

COMException& COMException::operator=(const COMException& other) noexcept
{
    if (this != &other) {
        std::exception::operator=(other);
        m_hr = other.m_hr;
        m_call_name = other.m_call_name;
        if (m_message)
            LocalFree(m_message);
        m_message = nullptr;
    }
    return *this;
}

COMException::~COMException()
{
    if (m_message)
        LocalFree(m_message);
}

const char* COMException::what() const noexcept
{
    if (m_message)
        return m_message;
    const char* name = m_call_name ? m_call_name : "";
    char* system_text = nullptr;
    DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS |
                                      FORMAT_MESSAGE_ALLOCATE_BUFFER,
                                  nullptr, static_cast<DWORD>(m_hr), 0, reinterpret_cast<char*>(&system_text),
                                  0, nullptr);
    if (length != 0 && system_text) {
        m_message = format_message("%1!s! (%2!s!)", system_text, name);
    } else {
        // Zero-extended to the width of a variable argument slot, so the insert reads
        // the same 32 bits whichever width the formatter fetches.
        m_message = format_message("HR 0x%1!08x! (%2!s!)", static_cast<DWORD_PTR>(static_cast<DWORD>(m_hr)), name);
    }
    if (system_text)
        LocalFree(system_text);
    return m_message ? m_message : "COMException";
}

} // namespace App
