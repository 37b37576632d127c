#include "app/message_loop.h"

#include "app/mouse_entry_tracker.h"

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
        // Only the alertable wait blocks: GetMessage would wait without running procedure
        // calls (change notifications among them) whenever the wait woke for a message
        // that was gone by then.
        while (MsgWaitForMultipleObjectsEx(0, nullptr, INFINITE, wake_mask, MWMO_ALERTABLE | MWMO_INPUTAVAILABLE) ==
               WAIT_IO_COMPLETION) {
        }
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT)
                return 0;
            tracker.on_message(message);
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
}

} // namespace App
