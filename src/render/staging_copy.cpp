#include "render/staging_copy.h"

#include "app/d3d10_calls.h"

#include <cstring>

namespace Render {

StagingCopy::StagingCopy(ID3D10Device* device, ID3D10Texture2D* texture)
{
    texture->GetDesc(&m_description);
    D3D10_TEXTURE2D_DESC staging = m_description;
    staging.Usage = D3D10_USAGE_STAGING;
    staging.BindFlags = 0;
    staging.CPUAccessFlags = D3D10_CPU_ACCESS_READ;
    staging.MiscFlags = 0;
    m_staging = App::create_texture_2d(device, staging, nullptr);
    device->CopyResource(m_staging.Get(), texture);
    m_mapped = App::map_texture(m_staging.Get(), D3D10_MAP_READ);
}

StagingCopy::~StagingCopy()
{
    m_staging->Unmap(0);
}

std::vector<std::uint32_t> StagingCopy::pixels() const
{
    const UINT width = m_description.Width;
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width) * m_description.Height);
    for (UINT y = 0; y < m_description.Height; ++y)
        std::memcpy(&pixels[static_cast<std::size_t>(y) * width],
                    static_cast<const std::uint8_t*>(m_mapped.pData) + static_cast<std::size_t>(y) * m_mapped.RowPitch,
                    width * 4u);
    return pixels;
}

} // namespace Render
