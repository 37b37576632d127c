#include "screen/case_insensitive_table.h"

#include <string>

namespace Screen {

namespace {

// The key's lower case as string.lower makes it (bytewise, the C locale).
void push_lower(lua_State* state, int index)
{
    std::size_t length = 0;
    const char* text = lua_tolstring(state, index, &length);
    luaL_Buffer buffer;
    char* out = luaL_buffinitsize(state, &buffer, length);
    for (std::size_t i = 0; i < length; ++i) {
        const char c = text[i];
        out[i] = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    }
    luaL_pushresultsize(&buffer, length);
}

// __index(t, k)
int index_ignoring_case(lua_State* state)
{
    if (lua_type(state, 2) != LUA_TSTRING) {
        lua_pushnil(state);
        return 1;
    }
    push_lower(state, 2);
    lua_rawget(state, 1);
    if (lua_isnil(state, -1))
        return 1;
    lua_pushvalue(state, 2);
    lua_pushvalue(state, -2);
    lua_rawset(state, 1);
    return 1;
}

// __newindex(t, k, v)
int store_ignoring_case(lua_State* state)
{
    lua_settop(state, 3);
    lua_pushvalue(state, 2);
    lua_pushvalue(state, 3);
    lua_rawset(state, 1);
    if (lua_type(state, 2) == LUA_TSTRING) {
        push_lower(state, 2);
        lua_pushvalue(state, 3);
        lua_rawset(state, 1);
    }
    return 0;
}

} // namespace

void make_case_insensitive_table(lua_State* state, int size_hint)
{
    luaL_checkstack(state, 3, "case-insensitive table");
    lua_createtable(state, 0, size_hint > 0 ? size_hint : 0);
    lua_createtable(state, 0, 2);
    lua_pushcfunction(state, index_ignoring_case);
    lua_setfield(state, -2, "__index");
    lua_pushcfunction(state, store_ignoring_case);
    lua_setfield(state, -2, "__newindex");
    lua_setmetatable(state, -2);
}

} // namespace Screen
