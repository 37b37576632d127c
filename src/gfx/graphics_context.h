#pragma once
// The graphics objects shared by every window: made once at start-up, released once at
// the end, never recreated. Windows and elements keep a pointer to the one context.

#include <d2d1.h>
#include <d3d10_1.h>
#include <dwrite.h>
#include <dxgi.h>
#include <wincodec.h>
#include <wrl/client.h>

namespace Gfx {

struct GraphicsContext {
    // Creation order; the device is created last all the same (it needs the adapter).
    Microsoft::WRL::ComPtr<ID2D1Factory> d2d_factory;
    Microsoft::WRL::ComPtr<ID3D10Device1> device;
    Microsoft::WRL::ComPtr<IDWriteFactory> dwrite_factory;
    Microsoft::WRL::ComPtr<IWICImagingFactory> wic_factory;
    Microsoft::WRL::ComPtr<IDXGIFactory1> dxgi_factory;

    GraphicsContext() = default;
    GraphicsContext(const GraphicsContext&) = delete;
    GraphicsContext& operator=(const GraphicsContext&) = delete;
    ~GraphicsContext() { release(); }

    // Releases the members backwards: DXGI, WIC, DirectWrite, device, Direct2D.
    void release() noexcept;
};

// The system functions that create the context's objects, replaceable for tests.
struct GraphicsFactories {
    HRESULT(WINAPI* d2d1_create_factory)(D2D1_FACTORY_TYPE, REFIID, const D2D1_FACTORY_OPTIONS*, void**);
    HRESULT(WINAPI* dwrite_create_factory)(DWRITE_FACTORY_TYPE, REFIID, IUnknown**);
    HRESULT(WINAPI* co_create_instance)(REFCLSID, LPUNKNOWN, DWORD, REFIID, LPVOID*);
    HRESULT(WINAPI* create_dxgi_factory1)(REFIID, void**);
    HRESULT(WINAPI* d3d10_create_device1)(IDXGIAdapter*, D3D10_DRIVER_TYPE, HMODULE, UINT, D3D10_FEATURE_LEVEL1, UINT,
                                          ID3D10Device1**);
};

const GraphicsFactories& system_graphics_factories();

// The feature levels tried for the device, best first.
constexpr D3D10_FEATURE_LEVEL1 device_feature_levels[] = {
    D3D10_FEATURE_LEVEL_10_1, D3D10_FEATURE_LEVEL_10_0, D3D10_FEATURE_LEVEL_9_3,
    D3D10_FEATURE_LEVEL_9_2,  D3D10_FEATURE_LEVEL_9_1,
};

// Fills every member or raises COMException naming the failed call. What was made
// before a failure stays in the context for its owner to release.
void create_graphics_context(GraphicsContext& context,
                             const GraphicsFactories& factories = system_graphics_factories());

} // namespace Gfx
