#include "screen/style_sheets.h"

#include "fs/name_order.h"
#include "platform/debug_output.h"
#include "screen/case_insensitive_table.h"
#include "screen/script_state.h"
#include "screen/value_readers.h"

namespace Screen {

namespace {

char upper(char c)
{
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

} // namespace

const char* const StyleSheets::folder = "art/ui/styles/";

std::optional<std::string> sheet_name_for_file(std::string_view file_name)
{
    constexpr std::string_view extension = ".styles";
    if (!Mod::name_ends_with_ignoring_case(file_name, extension))
        return std::nullopt;
    std::string name(file_name.substr(0, file_name.size() - extension.size()));
    if (name.size() >= 2 && Mod::names_equal_ignoring_case(std::string_view(name).substr(0, 2), "ui")) {
        name[0] = 'U';
        name[1] = 'I';
    } else if (!name.empty()) {
        name[0] = upper(name[0]);
    }
    constexpr std::string_view ending = "styles";
    if (Mod::name_ends_with_ignoring_case(name, ending))
        name[name.size() - ending.size()] = 'S';
    return name;
}

// What the loading is at, so that a failure ending it can name the sheet.
struct StyleSheets::Loading {
    StyleSheets* sheets;
    const Mod::FileSource* files;
    std::string file;
    std::string sheet;
};

void StyleSheets::load(lua_State* state, const Mod::FileSource& files)
{
    m_problems.clear();
    Loading loading{this, &files, std::string(), std::string()};
    luaL_checkstack(state, 2, "style sheets");
    lua_pushcfunction(state, load_protected);
    lua_pushlightuserdata(state, &loading);
    if (lua_pcall(state, 1, 0, 0) != LUA_OK) {
        m_problems.push_back({loading.file.empty() ? std::string(folder) : loading.file, loading.sheet,
                              error_text(state), true});
        // No sheet is kept: none of their styles is offered either.
        m_styles_by_type.clear();
        m_style_count = 0;
        lua_error(state); // still ends the loading
    }
}

int StyleSheets::load_protected(lua_State* state)
{
    auto* loading = static_cast<Loading*>(lua_touserdata(state, 1));
    lua_remove(state, 1);
    return host_function_guard(state, [loading](lua_State* L) {
        loading->sheets->load_sheets(L, *loading);
        return 0;
    });
}

void StyleSheets::load_sheets(lua_State* state, Loading& loading)
{
    std::vector<std::string> names;
    loading.files->list(folder, names);
    luaL_checkstack(state, 4, "style sheets");
    make_case_insensitive_table(state, static_cast<int>(std::min<std::size_t>(names.size() * 2, 1 << 20)));
    const int sheets = lua_gettop(state);
    for (const std::string& file_name : names) {
        std::optional<std::string> sheet_name = sheet_name_for_file(file_name);
        if (!sheet_name)
            continue;
        loading.file = folder + file_name;
        loading.sheet = *sheet_name;
        Mod::BlobPtr file = loading.files->read(loading.file);
        if (!file) {
            m_problems.push_back({loading.file, loading.sheet, "the file cannot be read", false});
            continue;
        }
        const int height = lua_gettop(state);
        lua_newtable(state);
        if (load_chunk(state, std::move(file)) == LUA_OK) {
            lua_pushvalue(state, -2);
            lua_setupvalue(state, -2, 1); // the sheet's own globals stand in for _ENV
            if (run(state, 0) == LUA_OK) {
                lua_pushvalue(state, sheets);
                lua_pushvalue(state, height + 1);
                register_sheet(state, *sheet_name);
            } else {
                m_problems.push_back({loading.file, loading.sheet, error_text(state), false});
            }
        } else {
            m_problems.push_back({loading.file, loading.sheet, error_text(state), false});
        }
        lua_settop(state, height);
    }
    loading.file.clear();
    loading.sheet.clear();
    lua_pushvalue(state, sheets);
    m_sheets_ref = luaL_ref(state, LUA_REGISTRYINDEX);
}

// Stack: ..., sheets, globals of the sheet.
void StyleSheets::register_sheet(lua_State* state, const std::string& sheet_name)
{
    const int globals = lua_gettop(state);
    const int sheets = globals - 1;
    lua_getfield(state, globals, "StyleSheet");
    lua_getfield(state, -1, "Styles"); // a missing StyleSheet raises here
    const int styles = lua_gettop(state);
    const std::size_t count = lua_istable(state, styles) ? lua_rawlen(state, styles) : 0;
    if (count > max_styles - m_style_count)
        luaL_error(state, "too many styles (more than %d)", static_cast<int>(max_styles));
    m_style_count += count;
    make_case_insensitive_table(state, static_cast<int>(count * 2));
    const int table = lua_gettop(state);
    // Backwards, so that a name given twice keeps its first entry.
    for (std::size_t i = count; i >= 1; --i) {
        lua_rawgeti(state, styles, static_cast<lua_Integer>(i));
        const int entry = lua_gettop(state);
        lua_getfield(state, entry, "name");
        std::string name = read_required_text(state, -1);
        lua_getfield(state, entry, "type");
        std::string type = read_required_text(state, -1);
        m_styles_by_type[type].emplace_back(sheet_name, name);
        lua_pushvalue(state, entry + 1); // the name as the script gave it
        lua_pushvalue(state, entry);
        lua_settable(state, table);
        lua_settop(state, table);
    }
    lua_pushlstring(state, sheet_name.data(), sheet_name.size());
    lua_pushvalue(state, table);
    lua_settable(state, sheets);
    lua_settop(state, globals);
}

bool StyleSheets::push_style(lua_State* state, const char* sheet, const char* style) const
{
    if (!sheet || !style)
        return false;
    const int height = lua_gettop(state);
    luaL_checkstack(state, 3, "style lookup");
    lua_rawgeti(state, LUA_REGISTRYINDEX, m_sheets_ref);
    if (lua_istable(state, -1)) {
        lua_getfield(state, -1, sheet);
        if (lua_istable(state, -1)) {
            lua_getfield(state, -1, style);
            if (lua_istable(state, -1)) {
                lua_replace(state, height + 1);
                lua_settop(state, height + 1);
                return true;
            }
        }
    }
    lua_settop(state, height);
    Platform::debug_output(std::string("Could not load style ") + style + " from sheet " + sheet + ".\n");
    return false;
}

const std::vector<StyleName>& StyleSheets::styles_for_type(std::string_view widget_type) const
{
    static const std::vector<StyleName> none;
    std::string key(widget_type);
    key += "Style";
    auto found = m_styles_by_type.find(key);
    return found == m_styles_by_type.end() ? none : found->second;
}

} // namespace Screen
