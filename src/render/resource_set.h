#pragma once
// The rendering resources of one loaded mod, built by the mod's background load and
// used afterwards from the user-interface thread: the colour table, and with a graphics
// context the device resources (textures, fonts, the image converter). The colour
// table is portable; the device half exists only in the Windows program.

#include "mod/mod_resources.h"
#include "screen/colour_table.h"

#include <memory>
#include <vector>

namespace Mod {
class FileSource;
class ModChange;
}

namespace Render {

class DeviceResources;

class ResourceSet : public Mod::ModResources {
public:
    // Evaluates the mod's colour table (a missing or failing one leaves no colours; one
    // that runs when `stopping` is set stops) and, given a graphics context, builds the
    // device resources, whose failures it raises.
    ResourceSet(Gfx::GraphicsContext* graphics, std::shared_ptr<const Mod::FileSource> files,
                const std::atomic<bool>* stopping = nullptr);
    ~ResourceSet() override;

    // Null when the mod has no usable colour table.
    const Screen::ColourTable* colours() const { return m_colours.get(); }
    const std::shared_ptr<const Mod::FileSource>& files() const { return m_files; }
    // Null without a graphics context.
    DeviceResources* device() const { return m_device.get(); }

    // Makes what changed files made stale anew: the colour table is evaluated again
    // when it changed, and the device drops the textures and fonts read from them.
    // Screens loaded before keep the colour table they were given.
    void apply_change(const Mod::ModChange& change);

private:
    std::shared_ptr<const Mod::FileSource> m_files;
    std::unique_ptr<Screen::ColourTable> m_colours;
    // Tables replaced by a change: a screen that failed to load again still shows (and
    // may restyle) with the table it was loaded with. Small, and rarely more than a few.
    std::vector<std::unique_ptr<Screen::ColourTable>> m_replaced_colours;
    Gfx::GraphicsContext* m_graphics;
    std::unique_ptr<DeviceResources> m_device;
};

// The builder that LoadedMod runs in its background load.
Mod::ResourceBuilder resource_set_builder();

} // namespace Render
