#include "app/clipboard.h"

#include "app/win32_error.h"

#include <cstring>

namespace App {

void set_clipboard_text(HWND owner, std::u16string_view text)
{
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(char16_t));
    if (!memory)
        throw_last_error("GlobalAlloc");
    auto* units = static_cast<char16_t*>(GlobalLock(memory));
    if (!units) {
        GlobalFree(memory);
        throw_last_error("GlobalLock");
    }
    std::memcpy(units, text.data(), text.size() * sizeof(char16_t));
    units[text.size()] = u'\0';
    GlobalUnlock(memory);
    if (!OpenClipboard(owner)) {
        GlobalFree(memory);
        throw_last_error("OpenClipboard");
    }
    EmptyClipboard();
    // Once set, the memory belongs to the clipboard.
    const bool set = SetClipboardData(CF_UNICODETEXT, memory) != nullptr;
    const DWORD error = GetLastError();
    CloseClipboard();
    if (!set) {
        GlobalFree(memory);
        SetLastError(error);
        throw_last_error("SetClipboardData");
    }
}

} // namespace App
