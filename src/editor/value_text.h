#pragma once
// The property grid's value texts: numbers written "%.7g", rectangles written and read
// back, style names, and the order of the style list.

#include "screen/style_sheets.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace Editor {

struct RectangleValue {
    float x = 0.0f;
    float y = 0.0f;
    float width = 1.0f;
    float height = 1.0f;
};

// "%.7g".
std::u16string format_number(float value);
// "[x, y, width, height]", each "%.7g".
std::u16string format_rectangle(const RectangleValue& rectangle);

// The number at the start of `text` (after white space), read as the run-time library
// reads wide text; nothing when no number can be read there, or when it is not a
// finite single-precision value (a rectangle of infinities cannot be drawn). `length`
// receives the characters read.
std::optional<float> read_number(std::u16string_view text, std::size_t* length = nullptr);
// One number, or 0 when the text does not start with one.
float parse_number(std::u16string_view text);
// Up to four numbers in order x, y, width, height, separated by spaces, commas and
// square brackets; reading stops where no number can be read, and what was not read
// stays (0, 0, 1, 1).
RectangleValue parse_rectangle(std::u16string_view text);

// "Name (Second)", or "(None)" when either name is missing.
std::u16string style_text(const std::optional<std::string>& sheet, const std::optional<std::string>& style);
// The styles in the order of the style list: by their text as style_text writes it,
// ignoring letter case (names equal but for case keep their order).
std::vector<Screen::StyleName> sorted_styles(std::vector<Screen::StyleName> styles);
// The entries of the style list: sorted_styles, each written as style_text writes it.
std::vector<std::u16string> style_entries(const std::vector<Screen::StyleName>& styles);

} // namespace Editor
