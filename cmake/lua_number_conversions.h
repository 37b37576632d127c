/* Included before every Lua source file (see Dependencies.cmake). Lua's portable
   conversions from numbers to integers are plain casts, undefined for numbers out of
   range (a script's table key 1e300 or string.rep count 1e300); these saturate, and
   give 0 for NaN, with the same truncation inside the range. */
#ifndef TVSE_LUA_NUMBER_CONVERSIONS_H
#define TVSE_LUA_NUMBER_CONVERSIONS_H

static inline int tvse_lua_number_to_int(double n)
{
    if (!(n == n))
        return 0;
    if (n >= 2147483647.0)
        return 2147483647;
    if (n <= -2147483648.0)
        return -2147483647 - 1;
    return (int)n;
}

static inline long long tvse_lua_number_to_integer(double n)
{
    if (!(n == n))
        return 0;
    if (n >= 9223372036854775807.0)
        return 9223372036854775807LL;
    if (n <= -9223372036854775807.0 - 1.0)
        return -9223372036854775807LL - 1;
    return (long long)n;
}

#define lua_number2int(i, n) ((i) = tvse_lua_number_to_int(n))
#define lua_number2integer(i, n) ((i) = (lua_Integer)tvse_lua_number_to_integer(n))

#endif
