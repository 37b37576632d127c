#include "app/message_loop.h"

#include "app/mouse_entry_tracker.h"
#include "app/win32_error.h"

#include <windows.h>

namespace App {
namespace {

// QS_ALLINPUT without QS_SENDMESSAGE: sent messages are delivered inside the wait anyway.
constexpr DWORD wake_mask = 0x4BF;

} // namespace

int run_message_loop()
{
    MouseEntryTracker tracker;
    MSG message{};
    for (;;) {
        // WAIT_IO_COMPLETION: procedure calls have just run; nothing was queued.
        while (MsgWaitForMultipleObjectsEx(0, nullptr, INFINITE, wake_mask, MWMO_ALERTABLE | MWMO_INPUTAVAILABLE) ==
               WAIT_IO_COMPLETION) {
        }
        BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got == -1)
            throw_last_error("GetMessage");
        if (got == 0)
            return 0;
        tracker.on_message(message);
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

} // namespace App
