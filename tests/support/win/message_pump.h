#pragma once
// Waiting in tests without bare sleeps: dispatch this thread's messages until a
// condition holds or a time-out passes.

#include <windows.h>

#include <functional>

namespace TestSupport {

// Dispatches messages (and runs queued procedure calls) until `done` returns true or
// `timeout_ms` have passed. Returns done()'s last answer. WM_QUIT is left queued.
bool pump_until(const std::function<bool()>& done, DWORD timeout_ms = 5000);

// Dispatches what is queued now, without waiting. WM_QUIT is left queued.
void pump_pending();

// Removes a queued WM_QUIT; true (and its exit code) when there was one.
bool take_quit_message(WPARAM* exit_code = nullptr);

// SendMessageW with the client position packed as mouse messages carry it.
LRESULT send_mouse(HWND hwnd, UINT message, WPARAM keys, int x, int y);

} // namespace TestSupport
