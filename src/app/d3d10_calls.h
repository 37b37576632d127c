#pragma once
// One-call wrappers of the Direct3D 10.1 methods the program uses.

#include "app/com_call.h"

#include <d3d10_1.h>
#include <wrl/client.h>

namespace App {

inline Microsoft::WRL::ComPtr<ID3D10RasterizerState> create_rasterizer_state(ID3D10Device* device,
                                                                            const D3D10_RASTERIZER_DESC& description)
{
    Microsoft::WRL::ComPtr<ID3D10RasterizerState> state;
    check(device->CreateRasterizerState(&description, &state), "ID3D10Device::CreateRasterizerState");
    return state;
}

inline Microsoft::WRL::ComPtr<ID3D10BlendState1> create_blend_state1(ID3D10Device1* device,
                                                                    const D3D10_BLEND_DESC1& description)
{
    Microsoft::WRL::ComPtr<ID3D10BlendState1> state;
    check(device->CreateBlendState1(&description, &state), "ID3D10Device1::CreateBlendState1");
    return state;
}

inline Microsoft::WRL::ComPtr<ID3D10VertexShader> create_vertex_shader(ID3D10Device* device, const void* code,
                                                                      SIZE_T size)
{
    Microsoft::WRL::ComPtr<ID3D10VertexShader> shader;
    check(device->CreateVertexShader(code, size, &shader), "ID3D10Device::CreateVertexShader");
    return shader;
}

inline Microsoft::WRL::ComPtr<ID3D10PixelShader> create_pixel_shader(ID3D10Device* device, const void* code,
                                                                    SIZE_T size)
{
    Microsoft::WRL::ComPtr<ID3D10PixelShader> shader;
    check(device->CreatePixelShader(code, size, &shader), "ID3D10Device::CreatePixelShader");
    return shader;
}

inline Microsoft::WRL::ComPtr<ID3D10Buffer> create_buffer(ID3D10Device* device, const D3D10_BUFFER_DESC& description)
{
    Microsoft::WRL::ComPtr<ID3D10Buffer> buffer;
    check(device->CreateBuffer(&description, nullptr, &buffer), "ID3D10Device::CreateBuffer");
    return buffer;
}

inline Microsoft::WRL::ComPtr<ID3D10Texture2D> create_texture_2d(ID3D10Device* device,
                                                                const D3D10_TEXTURE2D_DESC& description,
                                                                const D3D10_SUBRESOURCE_DATA* initial)
{
    Microsoft::WRL::ComPtr<ID3D10Texture2D> texture;
    check(device->CreateTexture2D(&description, initial, &texture), "ID3D10Device::CreateTexture2D");
    return texture;
}

inline Microsoft::WRL::ComPtr<ID3D10ShaderResourceView> create_shader_resource_view(ID3D10Device* device,
                                                                                   ID3D10Resource* resource)
{
    Microsoft::WRL::ComPtr<ID3D10ShaderResourceView> view;
    check(device->CreateShaderResourceView(resource, nullptr, &view), "ID3D10Device::CreateShaderResourceView");
    return view;
}

inline Microsoft::WRL::ComPtr<ID3D10RenderTargetView> create_render_target_view(ID3D10Device* device,
                                                                               ID3D10Resource* resource)
{
    Microsoft::WRL::ComPtr<ID3D10RenderTargetView> view;
    check(device->CreateRenderTargetView(resource, nullptr, &view), "ID3D10Device::CreateRenderTargetView");
    return view;
}

inline void* map_buffer(ID3D10Buffer* buffer, D3D10_MAP kind)
{
    void* data = nullptr;
    check(buffer->Map(kind, 0, &data), "ID3D10Buffer::Map");
    return data;
}

inline D3D10_MAPPED_TEXTURE2D map_texture(ID3D10Texture2D* texture, D3D10_MAP kind)
{
    D3D10_MAPPED_TEXTURE2D mapped = {};
    check(texture->Map(0, kind, 0, &mapped), "ID3D10Texture2D::Map");
    return mapped;
}

} // namespace App
