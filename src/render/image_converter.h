#pragma once
// Turns decoded texture pixels into Direct2D bitmaps on the graphics device: the pixels
// are uploaded as stored (block-compressed, BGRA, or 24-bit rows as single bytes) and
// drawn by a small shader into a premultiplied BGRA texture, which is then shared with
// the device the windows draw with. The converter owns a device of its own, so its
// pipeline state never touches the windows' device.

#include "fs/file_blob.h"
#include "gfx/graphics_context.h"
#include "gfx/shader_compiler.h"
#include "render/pixel_source.h"

#include <d2d1.h>
#include <d3d10_1.h>
#include <dxgi.h>
#include <wrl/client.h>

#include <cstdint>
#include <vector>

namespace Render {

// The source's bytes as stored, in an immutable texture on `device` that shaders read
// (24-bit rows as three single-byte texels per pixel): the first step of a conversion.
Microsoft::WRL::ComPtr<ID3D10Texture2D> upload_as_stored(ID3D10Device* device, const PixelSource& source);

// A converted texture as a cache keeps it: the texture, and where the platform cannot
// share it between devices its pixels as read back the first time, so that a new target
// (after a resize or a lost target) wraps it again without reading the device.
struct ConvertedTexture {
    Microsoft::WRL::ComPtr<IDXGIResource> resource;
    mutable std::vector<std::uint8_t> pixels; // premultiplied B8G8R8A8 rows; empty until read back
    mutable UINT width = 0;
    mutable UINT height = 0;
    mutable UINT pitch = 0;
};

class ImageConverter {
public:
    // Raises COMException or the shader compiler's errors.
    explicit ImageConverter(const Gfx::GraphicsContext& graphics);
    ~ImageConverter();
    ImageConverter(const ImageConverter&) = delete;
    ImageConverter& operator=(const ImageConverter&) = delete;

    // A premultiplied B8G8R8A8 texture of the source's size, made on the converter's
    // device as a shared resource. Its top row is the source's last stored row.
    Microsoft::WRL::ComPtr<IDXGIResource> convert(const PixelSource& source);

    // The texture file `blob` decoded and converted (see convert). Raises the decoders'
    // errors, COMException, or "Could not load image".
    Microsoft::WRL::ComPtr<IDXGIResource> convert_file(Mod::BlobPtr blob);
    // A bitmap of `target` showing a converted texture: shared with the target's device
    // where the platform can, else copied through memory. Raises COMException.
    Microsoft::WRL::ComPtr<ID2D1Bitmap> bitmap_for(ID2D1RenderTarget* target, IDXGIResource* converted);
    // The same for a kept texture, reading it back at most once.
    Microsoft::WRL::ComPtr<ID2D1Bitmap> bitmap_for(ID2D1RenderTarget* target, const ConvertedTexture& converted);
    // Both steps at once.
    Microsoft::WRL::ComPtr<ID2D1Bitmap> load_bitmap(ID2D1RenderTarget* target, Mod::BlobPtr blob)
    {
        return bitmap_for(target, convert_file(std::move(blob)).Get());
    }

    ID3D10Device1* device() const { return m_device.Get(); }

private:
    // The texture shared with the target's device; null where the platform cannot.
    Microsoft::WRL::ComPtr<ID2D1Bitmap> shared_bitmap(ID2D1RenderTarget* target, IDXGIResource* converted);
    // Where it cannot: the texture's pixels read back into `pixels`, `width`, `height`
    // and `pitch`.
    void read_back(IDXGIResource* converted, const ConvertedTexture& into);

    const Gfx::GraphicsContext& m_graphics;
    Microsoft::WRL::ComPtr<ID3D10Device1> m_device;
    Microsoft::WRL::ComPtr<ID3D10VertexShader> m_vertex_shader;
    Microsoft::WRL::ComPtr<ID3D10RasterizerState> m_rasterizer;
    Microsoft::WRL::ComPtr<ID3D10PixelShader> m_copy_shader;
    Microsoft::WRL::ComPtr<ID3D10PixelShader> m_bgr_shader;
    Microsoft::WRL::ComPtr<ID3D10Buffer> m_constants;
    Microsoft::WRL::ComPtr<ID3D10BlendState1> m_straight_blend;
    Microsoft::WRL::ComPtr<ID3D10BlendState1> m_premultiplied_blend;
};

// The shaders' sources, as compiled (exposed for tests of the compiler).
extern const char vertex_shader_source[];
extern const char copy_shader_source[];
extern const char bgr_shader_source[];

} // namespace Render
