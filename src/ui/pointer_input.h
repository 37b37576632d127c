#pragma once
// The small vocabulary of mouse input that elements see.

namespace Ui {

// The cursor an element asks for; the window maps it to a system cursor.
// The size cursors are named by the directions they point: west-east, north-south, and
// the two diagonals.
enum class CursorKind : int { arrow = 0, hand = 1, move = 2, size_we = 3, size_ns = 4, size_nwse = 5, size_nesw = 6 };

enum class MouseButton : int { left = 0, middle = 1, right = 2 };

} // namespace Ui
