#pragma once
// Where a widget sits in its document, by names: what survives loading the screen again,
// when every widget is new. Each step is a name and which of the siblings of that name
// it is, so that unnamed widgets (all called by the default name) are told apart too.

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

namespace Screen {

class ScreenDocument;
class Widget;

using WidgetPath = std::vector<std::pair<std::string, std::size_t>>;

// From the document's top-level widget down to `widget`; empty for a widget not in a
// document.
WidgetPath path_of(const Widget& widget);

// The widget at `path` in `document`, or null when the screen no longer has it.
Widget* find_widget(const ScreenDocument& document, const WidgetPath& path);

} // namespace Screen
