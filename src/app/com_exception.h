#pragma once
// The exception for every failed COM or Win32 call: the HRESULT and the static name of
// the call ("Interface::Method" or the function's name). The readable text is made by
// the system on the first what() and cached.

#include <windows.h>

#include <exception>

namespace App {

class COMException : public std::exception {
public:
    // `call_name` must be a string with static storage: it is kept, never copied.
    COMException(HRESULT hr, const char* call_name) noexcept;
    // A copy formats its own text, so no system buffer is ever owned twice.
    COMException(const COMException& other) noexcept;
    COMException& operator=(const COMException& other) noexcept;
    ~COMException() override;

    HRESULT hr() const noexcept { return m_hr; }
    const char* call_name() const noexcept { return m_call_name; }

    // "<system text> (<call>)" or "HR 0x<8 hex digits> (<call>)"; "COMException" when
    // the system could format neither (tried again on the next call).
    const char* what() const noexcept override;

private:
    HRESULT m_hr;
    const char* m_call_name;
    mutable char* m_message = nullptr; // LocalAlloc'd by FormatMessageA
};

} // namespace App
