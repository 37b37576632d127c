#include "screen/value_readers.h"

#include "screen/colour_table.h"
#include "screen/script_state.h"

#include <cstdlib>

namespace Screen {

namespace {

[[noreturn]] void raise_type_error(lua_State* state, const char* expected, int index)
{
    luaL_error(state, "%s expected, got %s", expected, luaL_typename(state, index));
    std::abort(); // not reached: luaL_error raises
}

// Element `n` of the table at `table`: a number, `missing` when nil, and for any other
// value `other`, or a raised error when `strict`.
float element(lua_State* state, int table, int n, float missing, float other, bool strict)
{
    lua_rawgeti(state, table, n);
    float result = missing;
    if (!lua_isnil(state, -1)) {
        int is_number = 0;
        lua_Number value = lua_tonumberx(state, -1, &is_number);
        if (is_number)
            result = static_cast<float>(value);
        else if (strict)
            raise_type_error(state, "number", -1);
        else
            result = other;
    }
    lua_pop(state, 1);
    return result;
}

} // namespace

Vector2 read_point(lua_State* state, int index)
{
    if (!lua_istable(state, index))
        return {0.0f, 0.0f};
    index = lua_absindex(state, index);
    return {element(state, index, 1, 0.0f, 0.0f, false), element(state, index, 2, 0.0f, 0.0f, false)};
}

Vector2 read_size(lua_State* state, int index)
{
    if (!lua_istable(state, index))
        return {1.0f, 1.0f};
    index = lua_absindex(state, index);
    return {element(state, index, 1, 1.0f, 1.0f, true), element(state, index, 2, 1.0f, 1.0f, true)};
}

Vector2 read_range(lua_State* state, int index)
{
    if (!lua_istable(state, index))
        return {0.0f, 1.0f};
    index = lua_absindex(state, index);
    return {element(state, index, 1, 0.0f, 0.0f, false), element(state, index, 2, 1.0f, 1.0f, true)};
}

ColourSetting read_colour(lua_State* state, int index, const ColourTable* colours)
{
    ColourSetting setting;
    if (lua_type(state, index) == LUA_TSTRING) {
        std::size_t length = 0;
        const char* name = lua_tolstring(state, index, &length);
        charge_copy(state, length);
        setting.name.assign(name, length);
        setting.value = resolve_colour(colours, setting.name);
    } else if (lua_istable(state, index)) {
        index = lua_absindex(state, index);
        setting.value.r = element(state, index, 1, 0.0f, 0.0f, false) / 255.0f;
        setting.value.g = element(state, index, 2, 0.0f, 0.0f, false) / 255.0f;
        setting.value.b = element(state, index, 3, 0.0f, 0.0f, false) / 255.0f;
        setting.value.a = element(state, index, 4, 1.0f, 0.0f, true) / 255.0f;
    }
    return setting;
}

bool read_flag(lua_State* state, int index)
{
    return lua_toboolean(state, index) != 0;
}

bool read_switch(lua_State* state, int index)
{
    return !(lua_type(state, index) == LUA_TBOOLEAN && !lua_toboolean(state, index));
}

std::optional<std::string> text_at(lua_State* state, int index)
{
    const int type = lua_type(state, index);
    if (type != LUA_TSTRING && type != LUA_TNUMBER)
        return std::nullopt;
    lua_pushvalue(state, index);
    std::size_t length = 0;
    const char* text = lua_tolstring(state, -1, &length);
    // A string the script shares a thousand times is copied a thousand times here.
    charge_copy(state, length);
    std::string result(text, length);
    lua_pop(state, 1);
    return result;
}

std::optional<std::string> read_text(lua_State* state, int index)
{
    if (lua_isnil(state, index))
        return std::nullopt;
    std::optional<std::string> text = text_at(state, index);
    if (!text)
        raise_type_error(state, "string", index);
    return text;
}

std::string read_required_text(lua_State* state, int index)
{
    std::optional<std::string> text = text_at(state, index);
    if (!text)
        raise_type_error(state, "string", index);
    return *text;
}

double read_number(lua_State* state, int index, double fallback)
{
    int is_number = 0;
    lua_Number value = lua_tonumberx(state, index, &is_number);
    return is_number ? value : fallback;
}

std::pair<std::optional<std::string>, std::optional<std::string>> read_style(lua_State* state, int index)
{
    if (!lua_istable(state, index))
        return {};
    index = lua_absindex(state, index);
    lua_rawgeti(state, index, 1);
    std::optional<std::string> sheet = text_at(state, -1);
    lua_rawgeti(state, index, 2);
    std::optional<std::string> style = text_at(state, -1);
    lua_pop(state, 2);
    return {std::move(sheet), std::move(style)};
}

} // namespace Screen
