#pragma once
// The editor's keyboard commands, from a virtual-key code and the modifiers held.

namespace Ui {

enum class EditorCommand { none, copy, undo, redo, nudge };

struct EditorKeyCommand {
    EditorCommand command = EditorCommand::none;
    int dx = 0; // nudge: device pixels
    int dy = 0;
};

// Ctrl+C copies, Ctrl+Z undoes, Ctrl+Y and Ctrl+Shift+Z redo; the arrow keys without
// Ctrl nudge by one device pixel, with Shift by ten. Anything held with Alt is the
// system's.
EditorKeyCommand editor_key_command(unsigned virtual_key, bool control, bool shift, bool alt);

} // namespace Ui
