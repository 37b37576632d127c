#pragma once
// The small vocabulary of mouse input that elements see.

namespace Ui {

// The cursor an element asks for; the window maps it to a system cursor.
enum class CursorKind : int { arrow = 0, hand = 1 };

enum class MouseButton : int { left = 0, middle = 1, right = 2 };

} // namespace Ui
