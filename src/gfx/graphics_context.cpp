#include "gfx/graphics_context.h"

#include "app/com_call.h"
#include "app/dxgi_calls.h"

#include <objbase.h>

namespace Gfx {

using Microsoft::WRL::ComPtr;

void GraphicsContext::release() noexcept
{
    dxgi_factory.Reset();
    wic_factory.Reset();
    dwrite_factory.Reset();
    device.Reset();
    d2d_factory.Reset();
}

const GraphicsFactories& system_graphics_factories()
{
    static const GraphicsFactories factories = {
        // d2d1.h also declares template forms of the name: pick the plain function.
        static_cast<HRESULT(WINAPI*)(D2D1_FACTORY_TYPE, REFIID, const D2D1_FACTORY_OPTIONS*, void**)>(
            D2D1CreateFactory),
        DWriteCreateFactory,
        CoCreateInstance,
        CreateDXGIFactory1,
        D3D10CreateDevice1,
    };
    return factories;
}

void create_graphics_context(GraphicsContext& context, const GraphicsFactories& factories)
{
    // Each result is stored before it is tested: a failure leaves the rest for release().
    App::check(factories.d2d1_create_factory(D2D1_FACTORY_TYPE_SINGLE_THREADED, __uuidof(ID2D1Factory), nullptr,
                                             reinterpret_cast<void**>(context.d2d_factory.ReleaseAndGetAddressOf())),
               "D2D1CreateFactory");
    App::check(factories.dwrite_create_factory(
                   DWRITE_FACTORY_TYPE_SHARED, __uuidof(IDWriteFactory),
                   reinterpret_cast<IUnknown**>(context.dwrite_factory.ReleaseAndGetAddressOf())),
               "DWriteCreateFactory");
    App::check(factories.co_create_instance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                            __uuidof(IWICImagingFactory),
                                            reinterpret_cast<void**>(context.wic_factory.ReleaseAndGetAddressOf())),
               "CoCreateInstance(CLSID_WICImagingFactory)");
    App::check(factories.create_dxgi_factory1(__uuidof(IDXGIFactory1),
                                              reinterpret_cast<void**>(context.dxgi_factory.ReleaseAndGetAddressOf())),
               "CreateDXGIFactory1");

    ComPtr<IDXGIAdapter1> adapter = App::enum_adapters1(context.dxgi_factory.Get(), 0);
    HRESULT hr = E_FAIL;
    for (D3D10_FEATURE_LEVEL1 level : device_feature_levels) {
        // Direct2D draws into this device's surfaces: BGRA support is not optional.
        hr = factories.d3d10_create_device1(adapter.Get(), D3D10_DRIVER_TYPE_HARDWARE, nullptr,
                                            D3D10_CREATE_DEVICE_BGRA_SUPPORT, level, D3D10_1_SDK_VERSION,
                                            context.device.ReleaseAndGetAddressOf());
        if (SUCCEEDED(hr))
            return;
    }
    context.device.Reset();
    App::check(hr, "D3D10CreateDevice1");
}

} // namespace Gfx
