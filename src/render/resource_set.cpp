#include "render/resource_set.h"

#include "fs/union_source.h"

namespace Render {

ResourceSet::ResourceSet(Gfx::GraphicsContext* graphics, std::shared_ptr<const Mod::FileSource> files)
    : m_files(std::move(files)), m_graphics(graphics)
{
    if (m_files)
        m_colours = Screen::ColourTable::load(*m_files);
}

ResourceSet::~ResourceSet() = default;

Mod::ResourceBuilder resource_set_builder()
{
    return [](Gfx::GraphicsContext* graphics, std::shared_ptr<const Mod::UnionSource> files) {
        return std::make_unique<ResourceSet>(graphics, std::move(files));
    };
}

} // namespace Render
