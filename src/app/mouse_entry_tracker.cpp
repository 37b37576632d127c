#include "app/mouse_entry_tracker.h"

namespace App {

void MouseEntryTracker::on_message(const MSG& message)
{
    if (message.message != WM_MOUSEMOVE && message.message != WM_NCMOUSEMOVE)
        return;
    HWND root = GetAncestor(message.hwnd, GA_ROOT);
    if (root == m_tracked)
        return;
    if (m_tracked)
        SendMessageW(m_tracked, message_mouse_left, 0, 0);
    m_tracked = root;
    if (root)
        SendMessageW(root, message_mouse_entered, 0, 0);
}

} // namespace App
