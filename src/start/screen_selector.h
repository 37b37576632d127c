#pragma once
// The screen list of one loaded module: the .screen files under Art\UI\Screens\ of the
// mod's file system, each with its display name, under a short about line. It owns
// the module while the localisation data loads in the background, and watches the
// mod's loose and locale folders while it is open: the list follows screens added and
// removed, and the open screen follows its files and the mod's tables as they are saved.

#include "gfx/graphics_context.h"
#include "mod/loaded_mod.h"
#include "mod/mod_change.h"
#include "ui/file_selector.h"

#include <memory>

namespace Start {

class ModWatcher;

// Where the game keeps its screens, inside the mod's file system.
constexpr const char* screens_folder = "Art\\UI\\Screens\\";

// How long opening a screen waits for the module's background load.
constexpr std::uint32_t screen_open_wait_ms = 5000;

class ScreenSelector : public Ui::FileSelector {
public:
    // `mod` has been loaded (its file system is complete); the selector takes it over.
    ScreenSelector(Gfx::GraphicsContext* graphics, std::unique_ptr<Mod::LoadedMod> mod);
    // The shown content goes first, then the module (which waits for its background
    // load): nothing that shows the module outlives it.
    ~ScreenSelector() override;

    Mod::LoadedMod& mod() const { return *m_mod; }

    // Column 0 the file name, column 1 its display name.
    std::wstring cell_text(std::size_t column, const std::string& path) override;
    // Waits up to 5000 ms for the background load; raises "The mod is still being
    // loaded." or the load's own failure, and then shows nothing.
    std::unique_ptr<Ui::Element> make_detail(const std::string& path) override;

    // What the program does with a burst of changed files: the mod's localisation
    // tables are read again when one changed, its resources drop what they made from
    // them, the list is made again when screens changed, and the open screen loads again
    // (or only draws again, for textures, fonts and texts).
    void apply_change(const Mod::ModChange& change);
    // Null when the system cannot watch folders.
    ModWatcher* watcher() const { return m_watcher.get(); }

private:
    std::unique_ptr<Mod::LoadedMod> m_mod;
    std::unique_ptr<ModWatcher> m_watcher;
};

// The about line shown at the top of every screen list.
extern const wchar_t* const screen_list_about_line;

} // namespace Start
