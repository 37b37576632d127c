#pragma once
// A text item names its font by a short name: "font\<name>.fnt" in the mod is a Lua
// data script setting a global table `font` with the face name, a nominal size and
// sizes for screens of given widths. The size table turns those into scale factors
// along the effective screen width.

#include "fs/file_source.h"
#include "screen/script_state.h"

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace Render {

struct FontDescription {
    std::string name;          // face name in the mod's font collection
    float size_default = 12;   // nominal size in points
    // (width, size at that width / size_default), sorted by width; equal widths keep
    // the order in which the script's table yielded them.
    std::vector<std::pair<float, float>> size_table;
};

// Reads and runs "font\" + name + ".fnt" in a fresh sandbox without libraries. Throws
// std::runtime_error saying why when the file is missing, does not load or run, sets no
// table `font`, has no string `name`, or a `sizeDefault` that is not a positive finite
// number.
FontDescription load_font_description(const Mod::FileSource& files, const std::string& name,
                                      const Screen::ScriptLimits& limits = Screen::ScriptLimits());

// The same, with nothing instead of the reason.
std::optional<FontDescription> read_font_description(const Mod::FileSource& files, const std::string& name,
                                                     const Screen::ScriptLimits& limits = Screen::ScriptLimits());

// The table's scale at width `x`: 1 for an empty table, the only y for one pair,
// linear between neighbours inside, and along the line through the first and the last
// pair outside. A table whose pairs all share one x gives the middle of its first and
// last y. Expects the table sorted by x.
float scale_at(const std::vector<std::pair<float, float>>& table, float x);

} // namespace Render
