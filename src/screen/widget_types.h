#pragma once
// The widget class for a `type` text, recognised by its length and hash.

#include "screen/widget.h"

#include <memory>
#include <string_view>

namespace Screen {

// A plain Widget for an unknown or missing (empty view) type.
std::unique_ptr<Widget> make_widget_of_type(ScreenDocument* screen, std::string_view type);

// Whether `type` is a widget type of the screen format, those built as plain widgets
// (labels, text inputs, images, movies) included.
bool is_widget_type(std::string_view type);
// Whether `type` is a presentation item type of the screen format.
bool is_item_type(std::string_view type);

} // namespace Screen
