#pragma once
// A modder's check of a whole mod: each screen loaded as the editor loads it, and every
// place where the editor would quietly show a stand-in for something broken. Problems
// come as lines, in the mod's narrow encoding:
//   SCREENPATH: problem                 the whole screen (it does not load)
//   SCREENPATH: widget NAME: problem    one widget, its items or texts
//   SHEETPATH: message                  a style sheet that does not load, once a run,
//                                       and so the colour table

#include "fs/file_source.h"

#include <cstddef>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace Mod {
class LoadedMod;
}

namespace Tool {

// Where the game keeps its screens, as the start window lists them.
extern const char* const screens_folder;

// The .screen files (any letter case) of screens_folder, as full paths, in the order
// the listing gives them.
std::vector<std::string> list_screens(const Mod::FileSource& files);

// Whether `text` shows as "... No String!": '$' and only ASCII digits, and no table of
// `mod` holds that number.
bool is_missing_string(const Mod::LoadedMod& mod, const std::string& text);

// The closing line: "N screens checked, M problems found", singular for one.
std::string check_summary(std::size_t screens, std::size_t problems);

// One run of checks over one loaded mod. Textures and fonts are judged once each, and
// each style sheet problem is told once, however many screens meet them.
class ModCheck {
public:
    // `mod` has finished loading and outlives the check.
    explicit ModCheck(const Mod::LoadedMod& mod);

    // Loads the screen at `path` and returns its problem lines: the style sheet problems
    // not told before, then the widgets' depth first, then the tooltip widgets'.
    std::vector<std::string> check_screen(const std::string& path);

    // "Missing texture: KEY" or "Invalid texture: KEY (reason)", the words of the
    // editor's placeholder, or nothing when the texture decodes.
    std::optional<std::string> texture_problem(const std::string& path);
    // Why font `name` has no usable description, or nothing (also for an empty name).
    std::optional<std::string> font_problem(const std::string& name);

    std::size_t screens_checked() const { return m_screens; }
    std::size_t problems_found() const { return m_problems; }

private:
    class ScreenRun;

    const Mod::LoadedMod& m_mod;
    std::map<std::string, std::optional<std::string>> m_textures; // by folded texture key
    std::map<std::string, std::optional<std::string>> m_fonts;    // by font name
    std::set<std::string> m_sheet_lines_told; // and the colour table's
    std::optional<std::string> m_colours_problem; // why the colour table does not load
    std::size_t m_screens = 0;
    std::size_t m_problems = 0;
};

} // namespace Tool
