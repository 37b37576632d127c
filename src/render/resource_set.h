#pragma once
// The rendering resources of one loaded mod, built by the mod's background load and
// used afterwards from the user-interface thread: for now its colour table; textures
// and fonts join it with the drawing.

#include "mod/mod_resources.h"
#include "screen/colour_table.h"

#include <memory>

namespace Mod {
class FileSource;
}

namespace Render {

class ResourceSet : public Mod::ModResources {
public:
    // Evaluates the mod's colour table; a missing or failing one leaves no colours.
    ResourceSet(Gfx::GraphicsContext* graphics, std::shared_ptr<const Mod::FileSource> files);
    ~ResourceSet() override;

    // Null when the mod has no usable colour table.
    const Screen::ColourTable* colours() const { return m_colours.get(); }
    const std::shared_ptr<const Mod::FileSource>& files() const { return m_files; }

private:
    std::shared_ptr<const Mod::FileSource> m_files;
    std::unique_ptr<Screen::ColourTable> m_colours;
    Gfx::GraphicsContext* m_graphics;
};

// The builder that LoadedMod runs in its background load.
Mod::ResourceBuilder resource_set_builder();

} // namespace Render
