#pragma once
// The only loop of the user-interface thread.

namespace App {

// Waits alertably (asynchronous procedure calls queued to this thread run between
// messages), tracks mouse entry into top-level windows and dispatches messages until
// WM_QUIT; returns 0 then.
int run_message_loop();

} // namespace App
