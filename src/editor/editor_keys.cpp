#include "editor/editor_keys.h"

namespace Editor {

namespace {

// Virtual-key codes, spelled out so that this builds without the Windows headers.
constexpr unsigned key_left = 0x25;
constexpr unsigned key_up = 0x26;
constexpr unsigned key_right = 0x27;
constexpr unsigned key_down = 0x28;
constexpr unsigned key_f2 = 0x71;
constexpr unsigned key_f4 = 0x73;

} // namespace

EditorKeyCommand editor_key_command(unsigned virtual_key, bool control, bool shift, bool alt)
{
    if (alt)
        return {};
    if (control) {
        switch (virtual_key) {
        case 'C':
            return shift ? EditorKeyCommand{} : EditorKeyCommand{EditorCommand::copy};
        case 'Z':
            return {shift ? EditorCommand::redo : EditorCommand::undo};
        case 'Y':
            return shift ? EditorKeyCommand{} : EditorKeyCommand{EditorCommand::redo};
        default:
            return {};
        }
    }
    const int step = shift ? 10 : 1;
    switch (virtual_key) {
    case key_f2:
        return shift ? EditorKeyCommand{} : EditorKeyCommand{EditorCommand::rename};
    case key_f4:
        return shift ? EditorKeyCommand{} : EditorKeyCommand{EditorCommand::show_tool_windows};
    case key_left:
        return {EditorCommand::nudge, -step, 0};
    case key_right:
        return {EditorCommand::nudge, step, 0};
    case key_up:
        return {EditorCommand::nudge, 0, -step};
    case key_down:
        return {EditorCommand::nudge, 0, step};
    default:
        return {};
    }
}

bool tool_windows_pass_on(EditorCommand command)
{
    return command != EditorCommand::none && command != EditorCommand::nudge;
}

} // namespace Editor
