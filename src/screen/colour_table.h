#pragma once
// The mod's colour table: art\ui\styles\colourtable.colours evaluated once per mod into
// a Lua state of its own, which maps each colour name (exact case) to its components.

#include "fs/file_source.h"
#include "screen/colour.h"
#include "screen/script_state.h"

#include <memory>
#include <string>
#include <string_view>

namespace Screen {

class ColourTable {
public:
    // Where the game keeps its colour table.
    static const char* const path;

    // Null when the file is missing or its script fails, which the editor does not
    // report (every name then resolves to opaque black); `problem`, when given, then
    // receives why the script failed (nothing for a missing file). The script runs under
    // `limits`.
    static std::unique_ptr<ColourTable> load(const Mod::FileSource& files, const ScriptLimits& limits = ScriptLimits(),
                                             std::string* problem = nullptr);

    // Whether the table has an entry named exactly `name`.
    bool has(std::string_view name) const;

    // The colour named exactly `name`: its components / 255, a missing or non-numeric
    // one counting as 0 (so three components give alpha 0); opaque black when no entry.
    Colour resolve(std::string_view name) const;

    lua_State* state() const { return m_state.get(); }

private:
    explicit ColourTable(ScriptState state) : m_state(std::move(state)) {}

    ScriptState m_state;
};

// Opaque black for a missing table, else the table's colour.
Colour resolve_colour(const ColourTable* colours, std::string_view name);

} // namespace Screen
