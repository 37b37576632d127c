#pragma once
// Text onto the system clipboard, the way the program hands edits out: it never writes a
// file of the mod's.

#include <windows.h>

#include <string_view>

namespace App {

// Replaces the clipboard's contents by `text` as Unicode text, owned by `owner`. Raises
// the refused call's error (another program may hold the clipboard open).
void set_clipboard_text(HWND owner, std::u16string_view text);

} // namespace App
