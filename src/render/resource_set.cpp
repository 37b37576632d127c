#include "render/resource_set.h"

#include "fs/union_source.h"
#include "mod/mod_change.h"

#ifdef _WIN32
#include "render/device_resources.h"
#else
namespace Render {
// Without Windows there is no device half; the type only has to be complete.
class DeviceResources {};
} // namespace Render
#endif

namespace Render {

ResourceSet::ResourceSet(Gfx::GraphicsContext* graphics, std::shared_ptr<const Mod::FileSource> files,
                         const std::atomic<bool>* stopping)
    : m_files(std::move(files)), m_graphics(graphics)
{
    if (m_files) {
        Screen::ScriptLimits limits;
        limits.stop = stopping;
        m_colours = Screen::ColourTable::load(*m_files, limits);
    }
#ifdef _WIN32
    if (m_graphics)
        m_device = std::make_unique<DeviceResources>(*m_graphics, m_files);
#endif
}

ResourceSet::~ResourceSet() = default;

void ResourceSet::apply_change(const Mod::ModChange& change)
{
    if (change.colours() && m_files) {
        if (m_colours)
            m_replaced_colours.push_back(std::move(m_colours));
        m_colours = Screen::ColourTable::load(*m_files);
    }
#ifdef _WIN32
    if (m_device)
        m_device->apply_change(change);
#endif
}

Mod::ResourceBuilder resource_set_builder()
{
    return [](Gfx::GraphicsContext* graphics, std::shared_ptr<const Mod::UnionSource> files,
              const std::atomic<bool>& stopping) { return std::make_unique<ResourceSet>(graphics, std::move(files), &stopping); };
}

} // namespace Render
