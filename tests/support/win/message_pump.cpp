#include "support/win/message_pump.h"

namespace TestSupport {
namespace {

// Dispatches one queued message other than WM_QUIT; false when none is queued.
bool dispatch_one()
{
    MSG message;
    if (!PeekMessageW(&message, nullptr, 0, WM_QUIT - 1, PM_REMOVE) &&
        !PeekMessageW(&message, nullptr, WM_QUIT + 1, 0xFFFFFFFFu, PM_REMOVE))
        return false;
    TranslateMessage(&message);
    DispatchMessageW(&message);
    return true;
}

} // namespace

bool pump_until(const std::function<bool()>& done, DWORD timeout_ms)
{
    const ULONGLONG deadline = GetTickCount64() + timeout_ms;
    for (;;) {
        while (dispatch_one()) {
            if (done())
                return true;
        }
        if (done())
            return true;
        ULONGLONG now = GetTickCount64();
        if (now >= deadline)
            return done();
        // Wake for input, posted messages or procedure calls; recheck at least every
        // 10 ms for conditions that other threads change.
        DWORD wait = static_cast<DWORD>(deadline - now);
        MsgWaitForMultipleObjectsEx(0, nullptr, wait < 10 ? wait : 10, QS_ALLINPUT, MWMO_ALERTABLE | MWMO_INPUTAVAILABLE);
    }
}

void pump_pending()
{
    while (dispatch_one()) {
    }
}

bool take_quit_message(WPARAM* exit_code)
{
    MSG message;
    if (!PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE))
        return false;
    if (exit_code)
        *exit_code = message.wParam;
    return true;
}

LRESULT send_mouse(HWND hwnd, UINT message, WPARAM keys, int x, int y)
{
    return SendMessageW(hwnd, message, keys, MAKELPARAM(x, y));
}

} // namespace TestSupport
