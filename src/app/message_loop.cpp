#include "app/message_loop.h"

#include "app/mouse_entry_tracker.h"

#include <windows.h>

namespace App {
namespace {

// Every kind of input, messages sent from other threads and processes too: those are
// delivered only by a message function, so a wait that does not wake for them leaves
// their senders (screen readers, automation, broadcasts) blocked until other input comes.
constexpr DWORD wake_mask = QS_ALLINPUT;
static_assert((wake_mask & QS_SENDMESSAGE) != 0, "the loop wakes for sent messages");

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
