#pragma once
// The editor's keyboard commands, from a virtual-key code and the modifiers held.

namespace Editor {

enum class EditorCommand { none, copy, undo, redo, nudge, rename, show_tool_windows };

struct EditorKeyCommand {
    EditorCommand command = EditorCommand::none;
    int dx = 0; // nudge: device pixels
    int dy = 0;
};

// Ctrl+C copies, Ctrl+Z undoes, Ctrl+Y and Ctrl+Shift+Z redo; the arrow keys without
// Ctrl nudge by one device pixel, with Shift by ten; F2 renames the selection and F4
// shows the tool windows again. Anything held with Alt is the system's.
EditorKeyCommand editor_key_command(unsigned virtual_key, bool control, bool shift, bool alt);

// Whether the tool windows pass the command on to the editor: those that need no focus
// on the screen (not the arrows, which they use themselves).
bool tool_windows_pass_on(EditorCommand command);

} // namespace Editor
