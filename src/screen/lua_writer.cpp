#include "screen/lua_writer.h"

#include "screen/script_state.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <iterator>
#include <memory>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace Screen {

namespace {

// Lua 5.2's reserved words: never keys written bare.
const char* const reserved_words[] = {"and", "break", "do", "else", "elseif", "end", "false", "for",
                                      "function", "goto", "if", "in", "local", "nil", "not", "or",
                                      "repeat", "return", "then", "true", "until", "while"};

bool is_identifier(std::string_view key)
{
    if (key.empty() || std::isdigit(static_cast<unsigned char>(key[0])))
        return false;
    for (char c : key) {
        const auto byte = static_cast<unsigned char>(c);
        // Not isalnum: its answer for bytes above 0x7f depends on the locale, Lua's on its build.
        const bool letter = (byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z');
        if (!letter && !(byte >= '0' && byte <= '9') && byte != '_')
            return false;
    }
    return std::none_of(std::begin(reserved_words), std::end(reserved_words),
                        [&](const char* word) { return key == word; });
}

bool less_ignoring_case(const std::string& a, const std::string& b)
{
    const std::size_t common = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < common; ++i) {
        const int ca = std::tolower(static_cast<unsigned char>(a[i]));
        const int cb = std::tolower(static_cast<unsigned char>(b[i]));
        if (ca != cb)
            return ca < cb;
    }
    if (a.size() != b.size())
        return a.size() < b.size();
    return a < b; // a fixed order for keys differing only in case
}

// The rank of a key that heads the list: `type`, then `name`, then the rest.
int key_rank(const std::string& key)
{
    return key == "type" ? 0 : key == "name" ? 1 : 2;
}

bool is_scalar(int type)
{
    return type == LUA_TNUMBER || type == LUA_TSTRING || type == LUA_TBOOLEAN;
}

// A table's keys by kind, each kind in its written order, and its array part 1..n.
struct TableKeys {
    std::vector<std::string> strings;
    std::vector<lua_Number> numbers;
    std::vector<bool> booleans;
    std::vector<std::string> unwritable; // type names
    lua_Integer length = 0;
    std::size_t scalars = 0; // numbers, strings and booleans in the array part
};

// Past this many tables open in one constructor, a table is written as a part of its
// own ahead of the value (`P[n] = {...}`) and named where it belongs: Lua's parser
// refuses constructors nested some 200 deep ("too many C levels"), and screens nest
// deeper than that.
constexpr int nesting_per_part = 100;

class LuaWriter {
public:
    LuaWriter(lua_State* state, const LuaWriteOptions& options) : m_lua(state), m_options(options) {}

    // The value at absolute `index`, at nesting level `level`.
    void write(int index, int level)
    {
        switch (lua_type(m_lua, index)) {
        case LUA_TNIL:
            append("nil");
            break;
        case LUA_TBOOLEAN:
            append(lua_toboolean(m_lua, index) ? "true" : "false");
            break;
        case LUA_TNUMBER:
            write_number(lua_tonumber(m_lua, index));
            break;
        case LUA_TSTRING: {
            std::size_t length = 0;
            const char* text = lua_tolstring(m_lua, index, &length);
            write_string(std::string_view(text, length));
            break;
        }
        case LUA_TTABLE:
            write_table(index, level);
            break;
        default:
            append("nil --[[ ");
            append(lua_typename(m_lua, lua_type(m_lua, index)));
            append(" ]]");
            break;
        }
    }

    std::string& text() { return m_text; }
    // The parts written ahead of the value, in the order they must be defined.
    std::vector<std::string>& parts() { return m_parts; }

private:
    void append(std::string_view part)
    {
        if (part.size() > lua_writer_max_bytes - std::min(m_text.size(), lua_writer_max_bytes))
            throw LuaWriteError("Lua text exceeds " + std::to_string(lua_writer_max_bytes >> 20) + " MB");
        m_text.append(part.data(), part.size());
    }

    void indent(int level) { append(std::string(static_cast<std::size_t>(level) * 4, ' ')); }

    // The shortest text that reads back to the very same number.
    void write_number(double value)
    {
        char text[64];
        if (std::isnan(value))
            append("0/0");
        else if (std::isinf(value))
            append(value > 0 ? "1/0" : "-1/0");
        else if (value == 0 && std::signbit(value))
            append("-0");
        else if (value == std::floor(value) && std::fabs(value) < 9.2e18) {
            // Whole numbers as such while a long long holds them: exact, and no exponent.
            std::snprintf(text, sizeof(text), "%lld", static_cast<long long>(value));
            append(text);
        } else {
            const std::to_chars_result written = std::to_chars(text, text + sizeof(text), value);
            append(std::string_view(text, static_cast<std::size_t>(written.ptr - text)));
        }
    }

    void write_string(std::string_view value)
    {
        std::string quoted;
        quoted.reserve(value.size() + 2);
        quoted += '"';
        for (std::size_t i = 0; i < value.size(); ++i) {
            const auto byte = static_cast<unsigned char>(value[i]);
            if (byte == '"' || byte == '\\') {
                quoted += '\\';
                quoted += static_cast<char>(byte);
            } else if (byte == '\n') {
                quoted += "\\n";
            } else if (byte < 0x20 || byte == 0x7f) {
                // Always three digits, so that a digit after it cannot join the escape.
                char escape[8];
                std::snprintf(escape, sizeof(escape), "\\%03u", static_cast<unsigned>(byte));
                quoted += escape;
            } else {
                quoted += static_cast<char>(byte);
            }
            if (quoted.size() > lua_writer_max_bytes)
                append(quoted); // throws
        }
        quoted += '"';
        append(quoted);
    }

    void write_key(const std::string& key)
    {
        if (is_identifier(key)) {
            append(key);
        } else {
            append("[");
            write_string(key);
            append("]");
        }
        append(" = ");
    }

    void write_table(int table, int level)
    {
        const void* identity = lua_topointer(m_lua, table);
        if (m_path.count(identity)) {
            append("nil --[[ cycle ]]");
            return;
        }
        if (static_cast<int>(m_path.size()) >= lua_writer_max_depth)
            too_deep();
        if (m_open >= nesting_per_part) {
            write_part(table);
            return;
        }
        ++m_open;
        write_table_here(table, level);
        --m_open;
    }

    // The table as a part of its own, written ahead, and its name here.
    void write_part(int table)
    {
        std::string outer = std::move(m_text);
        const int open = m_open;
        m_text.clear();
        m_open = 0;
        write_table(table, 0);
        // Numbered as they are finished: a part's own parts come first.
        m_parts.push_back(std::move(m_text));
        m_text = std::move(outer);
        m_open = open;
        append("P[" + std::to_string(m_parts.size()) + "]");
    }

    void write_table_here(int table, int level)
    {
        const void* identity = lua_topointer(m_lua, table);
        luaL_checkstack(m_lua, 4, "writing Lua tables");
        const std::unique_ptr<TableKeys> keys = gather_keys(table);
        const auto& [string_keys, number_keys, boolean_keys, unwritable_keys, length, scalars] = *keys;

        const bool only_array = string_keys.empty() && number_keys.empty() && boolean_keys.empty() &&
                                unwritable_keys.empty();
        if (only_array && length == 0) {
            append("{}");
            return;
        }
        m_path.insert(identity);
        if (only_array && length <= 4 && scalars == static_cast<std::size_t>(length)) {
            append("{");
            for (lua_Integer i = 1; i <= length; ++i) {
                append(i > 1 ? ", " : "");
                write_entry_value(table, static_cast<int>(i), level);
            }
            append("}");
            m_path.erase(identity);
            return;
        }

        append("{\n");
        const bool style_sized = m_options.style_sized.count(identity) != 0;
        for (const std::string& key : string_keys) {
            if (style_sized && key == "size")
                continue;
            indent(level + 1);
            write_key(key);
            lua_pushlstring(m_lua, key.data(), key.size());
            lua_rawget(m_lua, table);
            write(lua_gettop(m_lua), level + 1);
            lua_pop(m_lua, 1);
            append(",\n");
        }
        for (lua_Integer i = 1; i <= length; ++i) {
            indent(level + 1);
            write_entry_value(table, static_cast<int>(i), level + 1);
            append(",\n");
        }
        for (lua_Number key : number_keys) {
            indent(level + 1);
            append("[");
            write_number(key);
            append("] = ");
            lua_pushnumber(m_lua, key);
            lua_rawget(m_lua, table);
            write(lua_gettop(m_lua), level + 1);
            lua_pop(m_lua, 1);
            append(",\n");
        }
        for (bool key : boolean_keys) {
            indent(level + 1);
            append(key ? "[true] = " : "[false] = ");
            lua_pushboolean(m_lua, key);
            lua_rawget(m_lua, table);
            write(lua_gettop(m_lua), level + 1);
            lua_pop(m_lua, 1);
            append(",\n");
        }
        for (const std::string& type : unwritable_keys) {
            indent(level + 1);
            append("--[[ an entry with a ");
            append(type);
            append(" key ]]\n");
        }
        indent(level);
        append("}");
        m_path.erase(identity);
    }

    // The table's keys in the order they are written (the table at absolute `table`).
    // Apart from the writing, which recurses: its frame stays small.
    // Gathered first, since the order of lua_next is neither stable nor readable.
    std::unique_ptr<TableKeys> gather_keys(int table)
    {
        auto keys = std::make_unique<TableKeys>();
        auto& [string_keys, number_keys, boolean_keys, unwritable_keys, length, scalars] = *keys;
        lua_pushnil(m_lua);
        while (lua_next(m_lua, table)) {
            lua_pop(m_lua, 1);
            switch (lua_type(m_lua, -1)) {
            case LUA_TSTRING: {
                std::size_t size = 0;
                const char* key = lua_tolstring(m_lua, -1, &size);
                string_keys.emplace_back(key, size);
                break;
            }
            case LUA_TNUMBER:
                number_keys.push_back(lua_tonumber(m_lua, -1));
                break;
            case LUA_TBOOLEAN:
                boolean_keys.push_back(lua_toboolean(m_lua, -1) != 0);
                break;
            default:
                unwritable_keys.push_back(lua_typename(m_lua, lua_type(m_lua, -1)));
                break;
            }
        }
        // The array part: 1..n without a hole, as a table constructor lists it.
        for (;;) {
            lua_rawgeti(m_lua, table, static_cast<int>(length + 1));
            const int type = lua_type(m_lua, -1);
            lua_pop(m_lua, 1);
            if (type == LUA_TNIL)
                break;
            scalars += is_scalar(type) ? 1 : 0;
            ++length;
            if (length >= static_cast<lua_Integer>(number_keys.size()))
                break;
        }
        // A copy: C++17 lambdas cannot capture structured bindings.
        const lua_Number array_end = static_cast<lua_Number>(length);
        number_keys.erase(std::remove_if(number_keys.begin(), number_keys.end(),
                                         [array_end](lua_Number key) {
                                             return key == std::floor(key) && key >= 1 && key <= array_end;
                                         }),
                          number_keys.end());
        std::sort(string_keys.begin(), string_keys.end(), [](const std::string& a, const std::string& b) {
            const int rank_a = key_rank(a);
            const int rank_b = key_rank(b);
            return rank_a != rank_b ? rank_a < rank_b : less_ignoring_case(a, b);
        });
        std::sort(number_keys.begin(), number_keys.end());
        std::sort(boolean_keys.begin(), boolean_keys.end());

        return keys;
    }

    [[noreturn]] static void too_deep()
    {
        throw LuaWriteError("Lua tables nest deeper than " + std::to_string(lua_writer_max_depth) + " levels");
    }

    void write_entry_value(int table, int key, int level)
    {
        lua_rawgeti(m_lua, table, key);
        write(lua_gettop(m_lua), level);
        lua_pop(m_lua, 1);
    }

    lua_State* m_lua;
    const LuaWriteOptions& m_options;
    std::string m_text;
    std::vector<std::string> m_parts;
    int m_open = 0; // tables open in the constructor being written
    std::unordered_set<const void*> m_path; // the tables being written
};

struct WrittenValue {
    std::vector<std::string> parts;
    std::string text;
};

WrittenValue write_value(lua_State* L, int index, int indent, const LuaWriteOptions& options)
{
    WrittenValue value;
    protected_call(
        L,
        [&](lua_State* state) {
            LuaWriter writer(state, options);
            writer.write(1, std::max(indent, 0));
            value.text = std::move(writer.text());
            value.parts = std::move(writer.parts());
        },
        index);
    return value;
}

// `local P = {}` and the parts, one statement a line.
std::string part_statements(const std::vector<std::string>& parts)
{
    std::string text = "local P = {}\n";
    for (std::size_t i = 0; i < parts.size(); ++i)
        text += "P[" + std::to_string(i + 1) + "] = " + parts[i] + "\n";
    return text;
}

} // namespace

std::string write_lua_value(lua_State* L, int index, int indent, const LuaWriteOptions& options)
{
    WrittenValue value = write_value(L, index, indent, options);
    if (value.parts.empty())
        return std::move(value.text);
    // An expression still: a function that makes the parts and returns the value.
    return "(function()\n" + part_statements(value.parts) + "return " + value.text + "\nend)()";
}

std::string write_screen_table(lua_State* L, const LuaWriteOptions& options)
{
    WrittenValue value;
    protected_call(L, [&](lua_State* state) {
        luaL_checkstack(state, 3, "writing the screen");
        lua_rawgeti(state, LUA_REGISTRYINDEX, LUA_RIDX_GLOBALS);
        lua_pushliteral(state, "Screen");
        lua_rawget(state, -2);
        value = write_value(state, -1, 0, options);
    });
    const std::string parts = value.parts.empty() ? std::string() : part_statements(value.parts);
    return parts + "Screen = " + value.text + "\n";
}

} // namespace Screen
