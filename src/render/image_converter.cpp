#include "render/image_converter.h"

#include "app/com_call.h"
#include "app/d2d_calls.h"
#include "app/d3d10_calls.h"
#include "app/dxgi_calls.h"
#include "render/image_decoder.h"
#include "render/staging_copy.h"

#include <stdexcept>

namespace Render {

using Microsoft::WRL::ComPtr;

// A quad from the vertex index alone; texture row 0 lands at the bottom of the target.
// k is the part of the stored texture the image covers (less than all where block
// textures were padded to whole blocks). The system-value semantics work with every
// compiler; the legacy POSITION and COLOR names are not mapped by some.
const char vertex_shader_source[] =
    "float2 d;float2 k;struct t{float4 p:SV_Position;float2 u:TEXCOORD;};"
    "t m(uint i:SV_VertexID){t v;float2 q=float2(i&1,i/2);v.p=float4(q,1,1)*2-1;v.u=q*k;return v;}";
const char copy_shader_source[] =
    "Texture2D t;SamplerState s;float4 m(float4 x:SV_Position,float2 u:TEXCOORD):SV_Target{return t.Sample(s,u);}";
// Three single-byte texels B, G, R of a 24-bit row make one opaque pixel; d is one texel.
const char bgr_shader_source[] =
    "Texture2D t;SamplerState s;float2 d;float4 m(float4 x:SV_Position,float2 u:TEXCOORD):SV_Target"
    "{return float4(t.Sample(s,u+d).r,t.Sample(s,u).r,t.Sample(s,u-d).r,1);}";

namespace {

// Accepts the legacy semantics where the compiler knows them.
constexpr UINT compile_flags = D3DCOMPILE_ENABLE_BACKWARDS_COMPATIBILITY;

D3D10_BLEND_DESC1 blend_description(D3D10_BLEND source_colour)
{
    D3D10_BLEND_DESC1 description = {};
    description.AlphaToCoverageEnable = FALSE;
    description.IndependentBlendEnable = FALSE;
    D3D10_RENDER_TARGET_BLEND_DESC1& target = description.RenderTarget[0];
    target.BlendEnable = TRUE;
    target.SrcBlend = source_colour;
    target.DestBlend = D3D10_BLEND_ZERO;
    target.BlendOp = D3D10_BLEND_OP_ADD;
    target.SrcBlendAlpha = D3D10_BLEND_ONE;
    target.DestBlendAlpha = D3D10_BLEND_ZERO;
    target.BlendOpAlpha = D3D10_BLEND_OP_ADD;
    target.RenderTargetWriteMask = D3D10_COLOR_WRITE_ENABLE_ALL;
    return description;
}

void set_blend(ID3D10Device* device, ID3D10BlendState1* state)
{
    const float factor[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    device->OMSetBlendState(state, factor, 0xFFFFFFFFu);
}

D2D1_BITMAP_PROPERTIES bitmap_properties()
{
    return D2D1::BitmapProperties(D2D1::PixelFormat(DXGI_FORMAT_B8G8R8A8_UNORM, D2D1_ALPHA_MODE_PREMULTIPLIED), 96.0f,
                                  96.0f);
}

} // namespace

ImageConverter::ImageConverter(const Gfx::GraphicsContext& graphics) : m_graphics(graphics)
{
    ComPtr<IDXGIDevice> dxgi_device;
    App::check(graphics.device.As(&dxgi_device), "ID3D10Device1::QueryInterface");
    ComPtr<IDXGIAdapter> adapter = App::get_adapter(dxgi_device.Get());
    App::check(D3D10CreateDevice1(adapter.Get(), D3D10_DRIVER_TYPE_HARDWARE, nullptr, graphics.device->GetCreationFlags(),
                                  graphics.device->GetFeatureLevel(), D3D10_1_SDK_VERSION, &m_device),
               "D3D10CreateDevice1");
    adapter.Reset();

    m_device->IASetPrimitiveTopology(D3D10_PRIMITIVE_TOPOLOGY_TRIANGLESTRIP);
    D3D10_RASTERIZER_DESC rasterizer = {};
    rasterizer.FillMode = D3D10_FILL_SOLID;
    rasterizer.CullMode = D3D10_CULL_NONE;
    m_rasterizer = App::create_rasterizer_state(m_device.Get(), rasterizer);
    m_device->RSSetState(m_rasterizer.Get());

    m_straight_blend = App::create_blend_state1(m_device.Get(), blend_description(D3D10_BLEND_SRC_ALPHA));
    m_premultiplied_blend = App::create_blend_state1(m_device.Get(), blend_description(D3D10_BLEND_ONE));
    set_blend(m_device.Get(), m_straight_blend.Get());

    HLSL::ShaderCompiler compiler;
    ComPtr<ID3DBlob> code =
        HLSL::compile(compiler, vertex_shader_source, sizeof(vertex_shader_source), "m", "vs_4_0", compile_flags);
    m_vertex_shader = App::create_vertex_shader(m_device.Get(), code->GetBufferPointer(), code->GetBufferSize());
    m_device->VSSetShader(m_vertex_shader.Get());

    code = HLSL::compile(compiler, copy_shader_source, sizeof(copy_shader_source), "m", "ps_4_0", compile_flags);
    m_copy_shader = App::create_pixel_shader(m_device.Get(), code->GetBufferPointer(), code->GetBufferSize());

    D3D10_BUFFER_DESC constants = {};
    constants.ByteWidth = 16;
    constants.Usage = D3D10_USAGE_DYNAMIC;
    constants.BindFlags = D3D10_BIND_CONSTANT_BUFFER;
    constants.CPUAccessFlags = D3D10_CPU_ACCESS_WRITE;
    m_constants = App::create_buffer(m_device.Get(), constants);

    code = HLSL::compile(compiler, bgr_shader_source, sizeof(bgr_shader_source), "m", "ps_4_0", compile_flags);
    m_bgr_shader = App::create_pixel_shader(m_device.Get(), code->GetBufferPointer(), code->GetBufferSize());
    compiler.module.reset(); // the DLL stays loaded
}

ImageConverter::~ImageConverter()
{
    if (m_device)
        m_device->ClearState();
}

namespace {

bool is_block_compressed(PixelFormat format)
{
    return format == PixelFormat::bc1 || format == PixelFormat::bc2 || format == PixelFormat::bc3;
}

std::uint32_t whole_blocks(std::uint32_t side)
{
    return (side + 3) / 4 * 4;
}

} // namespace

ComPtr<ID3D10Texture2D> upload_as_stored(ID3D10Device* device, const PixelSource& source)
{
    D3D10_TEXTURE2D_DESC description = {};
    description.Width = source.format == PixelFormat::r8 ? 3 * source.width : source.width;
    description.Height = source.height;
    // Block textures are made of whole blocks, as the device requires; the data holds
    // them (block rows x pitch), and the conversion draws only the image's part.
    if (is_block_compressed(source.format)) {
        description.Width = whole_blocks(source.width);
        description.Height = whole_blocks(source.height);
    }
    description.MipLevels = 1;
    description.ArraySize = 1;
    description.Format = static_cast<DXGI_FORMAT>(source.format);
    description.SampleDesc.Count = 1;
    description.Usage = D3D10_USAGE_IMMUTABLE;
    description.BindFlags = D3D10_BIND_SHADER_RESOURCE;
    const D3D10_SUBRESOURCE_DATA initial = {source.data, source.pitch, 0};
    return App::create_texture_2d(device, description, &initial);
}

ComPtr<IDXGIResource> ImageConverter::convert(const PixelSource& source)
{
    const bool bytes_as_texels = source.format == PixelFormat::r8;
    ComPtr<ID3D10Texture2D> stored = upload_as_stored(m_device.Get(), source);

    D3D10_TEXTURE2D_DESC description = {};
    stored->GetDesc(&description);
    // The part of the stored texture the image covers: less than all where blocks were
    // padded; 24-bit rows cover their three texels a pixel whole.
    const bool padded = is_block_compressed(source.format);
    const float covered_x = padded ? static_cast<float>(source.width) / static_cast<float>(description.Width) : 1.0f;
    const float covered_y = padded ? static_cast<float>(source.height) / static_cast<float>(description.Height) : 1.0f;
    description.Width = source.width;
    description.Height = source.height;
    description.Format = DXGI_FORMAT_B8G8R8A8_UNORM;
    description.Usage = D3D10_USAGE_DEFAULT;
    description.BindFlags = D3D10_BIND_RENDER_TARGET | D3D10_BIND_SHADER_RESOURCE;
    description.MiscFlags = D3D10_RESOURCE_MISC_SHARED;
    ComPtr<ID3D10Texture2D> converted = App::create_texture_2d(m_device.Get(), description, nullptr);

    ComPtr<ID3D10ShaderResourceView> stored_view = App::create_shader_resource_view(m_device.Get(), stored.Get());
    ComPtr<ID3D10RenderTargetView> target_view = App::create_render_target_view(m_device.Get(), converted.Get());

    D3D10_VIEWPORT viewport = {0, 0, source.width, source.height, 0.0f, 0.0f};
    m_device->RSSetViewports(1, &viewport);
    auto* constants = static_cast<float*>(App::map_buffer(m_constants.Get(), D3D10_MAP_WRITE_DISCARD));
    constants[0] = bytes_as_texels ? 1.0f / (3.0f * static_cast<float>(source.width)) : 0.0f; // one texel
    constants[1] = 0.0f;
    constants[2] = covered_x;
    constants[3] = covered_y;
    m_constants->Unmap();
    ID3D10Buffer* buffers[] = {m_constants.Get()};
    m_device->VSSetConstantBuffers(0, 1, buffers);
    m_device->PSSetConstantBuffers(0, 1, buffers);
    m_device->PSSetShader(bytes_as_texels ? m_bgr_shader.Get() : m_copy_shader.Get());
    ID3D10ShaderResourceView* views[] = {stored_view.Get()};
    m_device->PSSetShaderResources(0, 1, views);
    ID3D10RenderTargetView* targets[] = {target_view.Get()};
    m_device->OMSetRenderTargets(1, targets, nullptr);
    set_blend(m_device.Get(), source.alpha_mode == AlphaMode::premultiplied ? m_premultiplied_blend.Get()
                                                                             : m_straight_blend.Get());
    m_device->Draw(4, 0);
    m_device->OMSetRenderTargets(0, nullptr, nullptr);
    ID3D10ShaderResourceView* none[] = {nullptr};
    m_device->PSSetShaderResources(0, 1, none);
    // The window's device opens the texture next: the drawing must have been handed to
    // the driver by then, or it may see the texture before it is drawn.
    m_device->Flush();

    ComPtr<IDXGIResource> resource;
    App::check(converted.As(&resource), "ID3D10Texture2D::QueryInterface");
    return resource;
}

ComPtr<IDXGIResource> ImageConverter::convert_file(Mod::BlobPtr blob)
{
    ComPtr<IDXGIResource> converted;
    decode_image_file(std::move(blob), [&](const PixelSource& source) { converted = convert(source); });
    if (!converted)
        throw std::runtime_error("Could not load image");
    return converted;
}

ComPtr<ID2D1Bitmap> ImageConverter::shared_bitmap(ID2D1RenderTarget* target, IDXGIResource* converted)
{
    HANDLE handle = nullptr;
    ComPtr<ID3D10Texture2D> opened;
    if (FAILED(converted->GetSharedHandle(&handle)) || !handle ||
        FAILED(m_graphics.device->OpenSharedResource(handle, __uuidof(ID3D10Texture2D),
                                                     reinterpret_cast<void**>(opened.GetAddressOf()))))
        return nullptr;
    ComPtr<IDXGISurface> surface;
    App::check(opened.As(&surface), "ID3D10Texture2D::QueryInterface");
    D2D1_BITMAP_PROPERTIES properties = bitmap_properties();
    return App::create_shared_bitmap(target, __uuidof(IDXGISurface), surface.Get(), properties);
}

void ImageConverter::read_back(IDXGIResource* converted, const ConvertedTexture& into)
{
    ComPtr<ID3D10Texture2D> texture;
    App::check(converted->QueryInterface(__uuidof(ID3D10Texture2D), reinterpret_cast<void**>(texture.GetAddressOf())),
               "IDXGIResource::QueryInterface");
    StagingCopy copy(m_device.Get(), texture.Get());
    const auto* bytes = static_cast<const std::uint8_t*>(copy.data());
    into.pixels.assign(bytes, bytes + static_cast<std::size_t>(copy.pitch()) * copy.description().Height);
    into.width = copy.description().Width;
    into.height = copy.description().Height;
    into.pitch = copy.pitch();
}

ComPtr<ID2D1Bitmap> ImageConverter::bitmap_for(ID2D1RenderTarget* target, IDXGIResource* converted)
{
    ConvertedTexture once;
    once.resource = converted;
    return bitmap_for(target, once);
}

ComPtr<ID2D1Bitmap> ImageConverter::bitmap_for(ID2D1RenderTarget* target, const ConvertedTexture& converted)
{
    if (converted.pixels.empty()) {
        if (ComPtr<ID2D1Bitmap> shared = shared_bitmap(target, converted.resource.Get()))
            return shared;
        read_back(converted.resource.Get(), converted);
    }
    return App::create_bitmap(target, D2D1::SizeU(converted.width, converted.height), converted.pixels.data(),
                              converted.pitch, bitmap_properties());
}

} // namespace Render
