#pragma once
// What a burst of changed files means for an opened mod: which of its loaded pieces are
// stale. Paths are the mod's own (relative to the root of the folder that holds them),
// with either separator and in any letter case, as the system reports them.

#include "mod/mod_composition.h"

#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace Mod {

class ModChange {
public:
    // One changed file (or folder). An empty path means "anything may have changed", as
    // when the system's record of changes overflowed.
    void add(std::string_view path);
    // One changed path in a locale folder, relative to it: the tables are read from the
    // folder's own .ucs files, so only those count (and an empty path, as above). Such
    // paths are not the mod's files: files() and has() do not list them.
    void add_localisation(std::string_view path);

    bool empty() const { return !m_everything && m_files.empty() && !m_ucs_tables; }
    bool everything() const { return m_everything; }
    // Every path added, with backslashes, once each (letter case ignored).
    const std::vector<std::string>& files() const { return m_files; }

    // Whether `path` itself is among the changed files.
    bool has(std::string_view path) const;
    // A style sheet, or the colour table: every screen reads them when it loads.
    bool style_sheets() const { return m_everything || m_style_sheets; }
    bool colours() const { return m_everything || m_colours; }
    // A screen file anywhere (added, removed, renamed or written).
    bool screens() const { return m_everything || m_screens; }
    // TrueType files of the "font\" folder, and the names of the .fnt descriptions.
    bool font_files() const { return m_everything || m_font_files; }
    const std::vector<std::string>& font_descriptions() const { return m_font_descriptions; }
    // A localisation table written, added, removed or renamed: every text may read
    // differently. The open screen only draws again (texts are resolved as they draw).
    bool ucs_tables() const { return m_everything || m_ucs_tables; }

    // Whether the open screen at `screen_path` must be loaded again.
    bool reloads(std::string_view screen_path) const { return style_sheets() || colours() || has(screen_path); }

private:
    std::vector<std::string> m_files;
    std::unordered_set<std::string> m_keys; // the files upper-cased, for has()
    std::vector<std::string> m_font_descriptions;
    bool m_everything = false;
    bool m_style_sheets = false;
    bool m_colours = false;
    bool m_screens = false;
    bool m_font_files = false;
    bool m_ucs_tables = false;
};

// `path` with every "/" made "\".
std::string backslashed(std::string_view path);

// The full paths of the loose folders that joined the mod, in precedence order: the
// folders worth watching (archives do not change while the game's tools are closed).
std::vector<std::string> loose_folders(const ModComposition& composition);

// The full paths of the folders the mod reads its .ucs tables from, each once (letter
// case and separators ignored), in the order they are read.
std::vector<std::string> locale_folders(const ModComposition& composition);

} // namespace Mod
