#pragma once
// Lua 5.2's C API. The library is compiled as C++ (cmake/Dependencies.cmake), so its
// headers are included with C++ linkage: never through lua.hpp, whose extern "C" would
// name symbols the library does not have.

#include <lauxlib.h>
#include <lua.h>
#include <lualib.h>
