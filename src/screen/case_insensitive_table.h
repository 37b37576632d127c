#pragma once
// A table whose string keys match regardless of letter case: style sheets by name, and
// the styles of each sheet. Stores go in under the key as written and under its lower
// case; a read falls back to the lower case and caches the spelling it was asked with.

#include "screen/lua_api.h"

namespace Screen {

// Pushes a new, empty case-insensitive table with room for `size_hint` hash entries.
// May raise a Lua error (memory): call it inside a protected call.
void make_case_insensitive_table(lua_State* state, int size_hint);

} // namespace Screen
