#pragma once
// What a press in the screen view picks and drags, as users of interface designers
// expect: the topmost widget under the pointer is picked, and with the edit tool a press
// on a handle of the selection, inside the selection where nothing drawn over it lies,
// or anywhere with Alt held, drags the selection instead.

#include "editor/editor_tool.h"

namespace Ui {
class Element;
}

namespace Screen {
class ScreenDocument;
class Widget;
} // namespace Screen

namespace Editor {

// The widget a click at (x, y) in `document`'s own units picks: the deepest shown widget
// whose rectangle holds the point (a group drawing nothing of its own only when no other
// widget is there), or the widget a composite part belongs to; null over nothing.
Screen::Widget* widget_at(Screen::ScreenDocument& document, float x, float y);

// Whether `a` is drawn after `b` where they overlap: a descendant over its ancestors, a
// child nearer the front over those behind it. False for the same element and for
// elements of different trees.
bool drawn_over(const Ui::Element& a, const Ui::Element& b);

struct CanvasPress {
    enum class Action { select, drag_selection };
    Action action = Action::select;
    // select: the widget picked (null: nothing), and whether it is dragged once the
    // pointer has moved past the drag distance.
    Screen::Widget* widget = nullptr;
    bool drag = false;
    // drag_selection: the edges the press's handle moves; 0 moves the whole selection.
    int edges = 0;
};

// Where a press lies on the selection: the edges of the handle under it, or these.
constexpr int outside_selection = 0;
constexpr int inside_selection = -1;

// What a left press does: `part` is where it lies on the selection (handle edges, or
// the two values above), `picked` the widget under it (widget_at).
CanvasPress plan_press(Tool tool, bool alt, Screen::Widget* selection, int part, Screen::Widget* picked);

} // namespace Editor
