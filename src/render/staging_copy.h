#pragma once
// A texture's contents copied on its device into a texture the processor can read, and
// mapped for reading while this object lives: how converted or drawn pixels come back
// from the graphics device.

#include <d3d10_1.h>
#include <wrl/client.h>

#include <cstdint>
#include <vector>

namespace Render {

class StagingCopy {
public:
    // Raises COMException.
    StagingCopy(ID3D10Device* device, ID3D10Texture2D* texture);
    ~StagingCopy();
    StagingCopy(const StagingCopy&) = delete;
    StagingCopy& operator=(const StagingCopy&) = delete;

    const D3D10_TEXTURE2D_DESC& description() const { return m_description; }
    const void* data() const { return m_mapped.pData; }
    UINT pitch() const { return m_mapped.RowPitch; }

    // The texels of a 32-bit format, row by row from the top.
    std::vector<std::uint32_t> pixels() const;

private:
    D3D10_TEXTURE2D_DESC m_description;
    Microsoft::WRL::ComPtr<ID3D10Texture2D> m_staging;
    D3D10_MAPPED_TEXTURE2D m_mapped;
};

} // namespace Render
