#pragma once
// Running a script in a test's Lua state, with Lua's message as the result.

#include "screen/script_state.h"

#include "mod/ucs_bytes.h"

#include <string>

// Loads and runs `script` in `state`; returns "" or the error message.
inline std::string run_script(lua_State* state, const std::string& script)
{
    int status = Screen::load_chunk(state, blob_of(script));
    if (status == LUA_OK)
        status = Screen::run(state, 0);
    if (status == LUA_OK)
        return std::string();
    std::string message = Screen::error_text(state);
    lua_pop(state, 1);
    return message;
}
