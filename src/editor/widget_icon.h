#pragma once
// The outline's icons: which of the sixteen "WIDGET_TYPES" cells stands for a widget,
// and the faded second set that marks widgets not shown.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace Screen {
class Widget;
}

namespace Editor {

constexpr int icon_count = 16;
constexpr int icon_size = 16;
// The icon of widgets of any other type, or of none.
constexpr int other_widget_icon = 13;
// The icon of the screen itself, at the top of the outline.
constexpr int screen_icon = 14;
// Added to an icon for its faded copy.
constexpr int faded_icons = 16;

// The icon of the widget's type, recognised by length and hash only.
int widget_icon(const Screen::Widget& widget);
// The image the outline shows for `widget`: its icon, or its faded copy.
int outline_image(const Screen::Widget& widget, bool faded);

// The outline's image strip from the 256 x 16 premultiplied BGRA picture (rows of
// `stride` bytes): 32 cells of straight-alpha BGRA, 512 x 16, the sixteen icons as
// they are and then each again with its alpha halved. Empty when the picture is smaller.
std::vector<std::uint8_t> outline_icon_strip(const std::uint8_t* pixels, std::size_t stride, int width, int height);

} // namespace Editor
