#include "screen/colour_table.h"

#include <cstring>

namespace Screen {

namespace {

// Copies every entry of the script's ColourTable array into the registry.
const char copy_entries[] = "for _,e in next,ColourTable do(...)[e.key]=e.value end";
static_assert(sizeof(copy_entries) - 1 == 54, "the copying chunk is 54 bytes");

float component(lua_State* state, int table, int index)
{
    lua_rawgeti(state, table, index);
    int is_number = 0;
    lua_Number value = lua_tonumberx(state, -1, &is_number);
    lua_pop(state, 1);
    return is_number ? static_cast<float>(value / 255.0) : 0.0f;
}

} // namespace

const char* const ColourTable::path = "art\\ui\\styles\\colourtable.colours";

std::unique_ptr<ColourTable> ColourTable::load(const Mod::FileSource& files, const ScriptLimits& limits,
                                               std::string* problem)
{
    Mod::BlobPtr file = files.read(path);
    if (!file)
        return nullptr;
    ScriptState state = create_script_state(limits);
    lua_State* L = state.get();
    register_next(L);
    const auto failed = [&] {
        if (problem)
            *problem = error_text(L);
        return nullptr;
    };
    if (load_chunk(L, std::move(file)) != LUA_OK || run(L, 0) != LUA_OK)
        return failed();
    if (luaL_loadbufferx(L, copy_entries, sizeof(copy_entries) - 1, copy_entries, nullptr) != LUA_OK)
        return failed();
    lua_pushvalue(L, LUA_REGISTRYINDEX);
    if (run(L, 1) != LUA_OK)
        return failed();
    lua_settop(L, 0);
    return std::unique_ptr<ColourTable>(new ColourTable(std::move(state)));
}

bool ColourTable::has(std::string_view name) const
{
    bool found = false;
    protected_call(m_state.get(), [&](lua_State* state) {
        lua_pushlstring(state, name.data(), name.size());
        lua_rawget(state, LUA_REGISTRYINDEX);
        found = lua_istable(state, -1);
    });
    return found;
}

Colour ColourTable::resolve(std::string_view name) const
{
    Colour colour; // opaque black
    lua_State* L = m_state.get();
    protected_call(L, [&](lua_State* state) {
        lua_pushlstring(state, name.data(), name.size());
        lua_rawget(state, LUA_REGISTRYINDEX);
        if (!lua_istable(state, -1))
            return;
        const int value = lua_gettop(state);
        colour.r = component(state, value, 1);
        colour.g = component(state, value, 2);
        colour.b = component(state, value, 3);
        colour.a = component(state, value, 4);
    });
    return colour;
}

Colour resolve_colour(const ColourTable* colours, std::string_view name)
{
    return colours ? colours->resolve(name) : Colour();
}

} // namespace Screen
