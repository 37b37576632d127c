#include "render/font_description.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <new>
#include <stdexcept>

namespace Render {

namespace {

bool is_letter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// "size<N>": at least five characters, "size", then no letter (so sizeDefault is not one).
bool is_size_key(const char* key, std::size_t length)
{
    return length >= 5 && std::memcmp(key, "size", 4) == 0 && !is_letter(key[4]);
}

// The leading decimal integer from the fifth character on: optional sign, then digits;
// 0 without digits. Clamped to the int range, since a stranger may write any length.
float size_key_width(const char* key, std::size_t length)
{
    std::size_t at = 4;
    bool negative = false;
    if (key[at] == '+' || key[at] == '-') {
        negative = key[at] == '-';
        ++at;
    }
    long long width = 0;
    for (; at < length && key[at] >= '0' && key[at] <= '9'; ++at)
        width = std::min<long long>(width * 10 + (key[at] - '0'), INT_MAX);
    return static_cast<float>(negative ? -width : width);
}

// Reads the global table `font`; null when usable, else why not.
const char* read_font_table(lua_State* L, FontDescription& description)
{
    lua_getglobal(L, "font");
    if (!lua_istable(L, -1))
        return "sets no table font";
    const int font = lua_gettop(L);

    lua_getfield(L, font, "name");
    if (lua_type(L, -1) != LUA_TSTRING)
        return "gives no string font.name";
    std::size_t name_length = 0;
    const char* name = lua_tolstring(L, -1, &name_length);
    Screen::charge_copy(L, name_length);
    description.name.assign(name, name_length);
    lua_pop(L, 1);

    lua_getfield(L, font, "sizeDefault");
    double size_default = 12;
    const char* const bad_size = "gives no positive number font.sizeDefault";
    if (!lua_isnil(L, -1)) {
        if (lua_type(L, -1) != LUA_TNUMBER)
            return bad_size;
        size_default = lua_tonumber(L, -1);
    }
    lua_pop(L, 1);
    // Every scale is divided by it and the face is made at it: no usable font without.
    if (!std::isfinite(static_cast<float>(size_default)) || !(size_default > 0))
        return bad_size;
    description.size_default = static_cast<float>(size_default);

    // Collected in the walk's order and sorted stably at the end: the same table as
    // inserting each pair after its equals, without quadratic work on a huge table.
    lua_pushnil(L);
    while (lua_next(L, font)) {
        // Only string keys: lua_tolstring on a number key would break the walk.
        if (lua_type(L, -2) == LUA_TSTRING) {
            std::size_t length = 0;
            const char* key = lua_tolstring(L, -2, &length);
            int is_number = 0;
            const lua_Number value = lua_tonumberx(L, -1, &is_number);
            if (is_number && is_size_key(key, length)) {
                const float scale = static_cast<float>(value / size_default);
                if (std::isfinite(scale))
                    description.size_table.emplace_back(size_key_width(key, length), scale);
            }
        }
        lua_pop(L, 1); // the value; the key stays for the next step
    }
    std::stable_sort(description.size_table.begin(), description.size_table.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    return nullptr;
}

} // namespace

FontDescription load_font_description(const Mod::FileSource& files, const std::string& name,
                                      const Screen::ScriptLimits& limits)
{
    const std::string path = "font\\" + name + ".fnt";
    Mod::BlobPtr file = files.read(path);
    if (!file)
        throw std::runtime_error("Cannot open font description " + path);
    const std::string what = "Font description " + path + " ";
    try {
        Screen::ScriptState state = Screen::create_script_state(limits);
        lua_State* L = state.get();
        if (Screen::load_chunk(L, std::move(file)) != LUA_OK)
            throw std::runtime_error(what + "does not load: " + Screen::error_text(L));
        if (Screen::run(L, 0) != LUA_OK)
            throw std::runtime_error(what + "fails: " + Screen::error_text(L));
        FontDescription description;
        const char* problem = nullptr;
        Screen::protected_call(L, [&](lua_State* inside) { problem = read_font_table(inside, description); });
        if (problem)
            throw std::runtime_error(what + problem);
        return description;
    } catch (const Screen::ScriptError& failure) {
        throw std::runtime_error(what + "cannot be read: " + failure.what());
    } catch (const std::bad_alloc&) {
        throw std::runtime_error(what + "cannot be read: not enough memory"); // no state could be made
    }
}

std::optional<FontDescription> read_font_description(const Mod::FileSource& files, const std::string& name,
                                                     const Screen::ScriptLimits& limits)
{
    try {
        return load_font_description(files, name, limits);
    } catch (const std::runtime_error&) {
        return std::nullopt;
    }
}

float scale_at(const std::vector<std::pair<float, float>>& table, float x)
{
    if (table.empty())
        return 1.0f;
    if (table.size() == 1)
        return table.front().second;
    const auto& [first_x, first_y] = table.front();
    const auto& [last_x, last_y] = table.back();
    // At or beyond an end (and for a NaN x): the line through the first and last pair.
    if (!(x > first_x && x < last_x)) {
        // All pairs at one x: that line is vertical, so take the middle of its span.
        if (!(last_x != first_x))
            return (first_y + last_y) / 2;
        const float t = (x - first_x) / (last_x - first_x);
        return (1 - t) * first_y + t * last_y;
    }
    // first_x < x < last_x: the first pair at or beyond x closes the interval, and it is
    // neither the first pair nor past the last.
    const auto above = std::lower_bound(table.begin() + 1, table.end() - 1, x,
                                        [](const std::pair<float, float>& pair, float at) { return pair.first < at; });
    const auto below = above - 1;
    const float span = above->first - below->first;
    if (!(span > 0))
        return above->second; // only for an unsorted table
    const float t = (x - below->first) / span;
    return (1 - t) * below->second + t * above->second;
}

} // namespace Render
