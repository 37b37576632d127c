#pragma once
// Reading the values of widget, item and style tables, with the screen format's
// defaults. Each reads the value at a stack index; the ones that can fail raise Lua's
// "%s expected, got %s" error, so they belong inside a protected call.

#include "screen/colour.h"
#include "screen/lua_api.h"

#include <optional>
#include <string>

namespace Screen {

class ColourTable;

struct Vector2 {
    float x;
    float y;
};

// {x, y}; (0, 0) when not a table, a missing or non-numeric element 0.
Vector2 read_point(lua_State* state, int index);
// {w, h}; (1, 1) when not a table, a missing element 1; raises for an element that is
// there but not a number.
Vector2 read_size(lua_State* state, int index);
// {min, max}; (0, 1) when not a table, a missing min 0 and max 1; raises for a max that
// is there but not a number.
Vector2 read_range(lua_State* state, int index);
// A colour name (looked up in `colours`) or {r, g, b, a} on a 0-255 scale, where a
// missing alpha counts as 1 of 255; anything else opaque black. Raises for an alpha
// that is there but not a number.
ColourSetting read_colour(lua_State* state, int index, const ColourTable* colours);
// True unless the value is false or nil.
bool read_flag(lua_State* state, int index);
// True unless the value is exactly false (nil counts as true).
bool read_switch(lua_State* state, int index);
// A string or number as text; nothing for nil; raises for any other type.
std::optional<std::string> read_text(lua_State* state, int index);
// As read_text, but nil raises as well.
std::string read_required_text(lua_State* state, int index);
// A number or numeric string, else `fallback`.
double read_number(lua_State* state, int index, double fallback);
// {sheet, style}: each element's text, or nothing.
std::pair<std::optional<std::string>, std::optional<std::string>> read_style(lua_State* state, int index);

// The text of a string or number at `index` without converting the stack slot, or
// nothing for other types. The copy counts against the state's memory cap
// (charge_copy), so it raises Lua's memory error past it.
std::optional<std::string> text_at(lua_State* state, int index);

} // namespace Screen
