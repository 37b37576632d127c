#pragma once
// The mod's style sheets, evaluated into a screen's Lua state: every .styles file of
// art/ui/styles/, each run with private globals, its styles kept in case-insensitive
// tables by sheet and style name, and the styles offered per widget type.

#include "fs/file_source.h"
#include "screen/lua_api.h"

#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace Screen {

using StyleName = std::pair<std::string, std::string>; // (sheet, style)

// A sheet that was left out, or the failure that ended the loading, for a modder.
struct SheetProblem {
    std::string file;    // the sheet's path as listed (the folder when no sheet was being read)
    std::string sheet;   // its sheet name (empty with no sheet)
    std::string message; // Lua's message
    bool ended_loading = false; // no sheet at all was kept
};

// The sheet name of a file name (uistyles.styles gives UIStyles, frontend.styles gives
// Frontend), or nothing when the name does not end in ".styles" (any case).
std::optional<std::string> sheet_name_for_file(std::string_view file_name);

class StyleSheets {
public:
    // Where the game keeps its style sheets.
    static const char* const folder;
    // More styles than this end the loading as a broken sheet would: a script must not
    // make the editor hold millions of entries.
    static constexpr std::size_t max_styles = 100000;

    // Runs in a protected call on `state`. A sheet that does not load or run is skipped;
    // any other Lua error ends the loading, leaving no sheets stored. Either way the
    // failure is recorded in problems() first.
    void load(lua_State* state, const Mod::FileSource& files);

    // Pushes the style table and returns true; false, with a debug message and nothing
    // pushed, when a name is missing (no message then) or the style is not found. May
    // raise a Lua error: call it inside a protected call.
    bool push_style(lua_State* state, const char* sheet, const char* style) const;

    // The (sheet, style) pairs registered for `widget_type` + "Style", in order.
    const std::vector<StyleName>& styles_for_type(std::string_view widget_type) const;

    bool loaded() const { return m_sheets_ref != LUA_NOREF; }
    // What the last load left out, in the order it happened.
    const std::vector<SheetProblem>& problems() const { return m_problems; }

private:
    struct Loading;
    static int load_protected(lua_State* state);
    void load_sheets(lua_State* state, Loading& loading);
    void register_sheet(lua_State* state, const std::string& sheet_name);

    std::map<std::string, std::vector<StyleName>, std::less<>> m_styles_by_type;
    std::size_t m_style_count = 0;
    int m_sheets_ref = LUA_NOREF;
    std::vector<SheetProblem> m_problems;
};

} // namespace Screen
