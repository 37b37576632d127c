#pragma once
// The tools of the editor's tool strip: what a press on the screen does.

namespace Editor {

// Select picks the widget under a press; edit also drags it, or the selection's handles.
enum class Tool { select, edit };

} // namespace Editor
