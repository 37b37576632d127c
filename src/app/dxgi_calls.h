#pragma once
// One-call wrappers of the DXGI methods the program uses.

#include "app/com_call.h"

#include <dxgi.h>
#include <wrl/client.h>

namespace App {

inline Microsoft::WRL::ComPtr<IDXGISwapChain> create_swap_chain(IDXGIFactory* factory, IUnknown* device,
                                                                DXGI_SWAP_CHAIN_DESC& description)
{
    Microsoft::WRL::ComPtr<IDXGISwapChain> swap_chain;
    check(factory->CreateSwapChain(device, &description, &swap_chain), "IDXGIFactory::CreateSwapChain");
    return swap_chain;
}

inline Microsoft::WRL::ComPtr<IDXGIAdapter1> enum_adapters1(IDXGIFactory1* factory, UINT index)
{
    Microsoft::WRL::ComPtr<IDXGIAdapter1> adapter;
    check(factory->EnumAdapters1(index, &adapter), "IDXGIFactory1::EnumAdapters1");
    return adapter;
}

inline Microsoft::WRL::ComPtr<IDXGIAdapter> get_adapter(IDXGIDevice* device)
{
    Microsoft::WRL::ComPtr<IDXGIAdapter> adapter;
    check(device->GetAdapter(&adapter), "IDXGIDevice::GetAdapter");
    return adapter;
}

inline HANDLE get_shared_handle(IDXGIResource* resource)
{
    HANDLE handle = nullptr;
    check(resource->GetSharedHandle(&handle), "IDXGIResource::GetSharedHandle");
    return handle;
}

template <typename Buffer>
Microsoft::WRL::ComPtr<Buffer> get_buffer(IDXGISwapChain* swap_chain, UINT index)
{
    Microsoft::WRL::ComPtr<Buffer> buffer;
    check(swap_chain->GetBuffer(index, __uuidof(Buffer), reinterpret_cast<void**>(buffer.GetAddressOf())),
          "IDXGISwapChain::GetBuffer");
    return buffer;
}

inline void resize_buffers(IDXGISwapChain* swap_chain, UINT count, UINT width, UINT height, DXGI_FORMAT format,
                           UINT flags)
{
    check(swap_chain->ResizeBuffers(count, width, height, format, flags), "IDXGISwapChain::ResizeBuffers");
}

inline void present(IDXGISwapChain* swap_chain, UINT sync_interval, UINT flags)
{
    check(swap_chain->Present(sync_interval, flags), "IDXGISwapChain::Present");
}

} // namespace App
