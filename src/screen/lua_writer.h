#pragma once
// Writes a Lua value back as Lua source, for "copy as Lua": a widget's table or the
// whole `Screen` table in a stable, readable layout that loads back to the same data.
// Keys `type` and `name` come first, then the other string keys alphabetically (letter
// case ignored), then the array part, then the remaining keys. Arrays of up to four
// numbers, strings or booleans stay on one line; everything else takes a line per entry,
// indented by four spaces per level.
//
// Scripts come from strangers: values the text cannot hold (functions, userdata,
// threads) become `nil` with a comment, a table met again on its own path becomes
// `nil --[[ cycle ]]`, metatables are ignored, and the nesting and the size of the text
// are bounded.

#include "screen/lua_api.h"

#include <cstddef>
#include <stdexcept>
#include <string>
#include <unordered_set>

namespace Screen {

// Thrown when a value nests too deeply or its text grows too large.
class LuaWriteError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A widget level takes two table levels (the widget and its `Children`), and its art a
// few more: above twice ScreenDocument::max_nesting, so that every screen that builds
// can be written, and low enough for the recursion to stay well inside a thread's stack.
constexpr int lua_writer_max_depth = 512;
constexpr std::size_t lua_writer_max_bytes = std::size_t(64) << 20;

// What the text leaves out: the `size` of these tables (by lua_topointer), widgets that
// take their size from their style, so that the text goes on following the style.
struct LuaWriteOptions {
    std::unordered_set<const void*> style_sized;
};

// The source text of the value at `index`, its lines after the first indented as at
// nesting level `indent`. Throws LuaWriteError past the bounds, ScriptError when Lua
// fails (memory). The stack is left as it was.
std::string write_lua_value(lua_State* L, int index, int indent = 0, const LuaWriteOptions& options = {});

// The statement `Screen = <the global Screen, raw>` and a line break.
std::string write_screen_table(lua_State* L, const LuaWriteOptions& options = {});

} // namespace Screen
