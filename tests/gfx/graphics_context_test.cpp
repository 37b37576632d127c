#include "gfx/graphics_context.h"

#include "app/com_exception.h"
#include "support/win/test_graphics.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using Gfx::GraphicsContext;
using Microsoft::WRL::ComPtr;

namespace {

// Logs its release; stands in for any interface, since only Release is called.
class ReleaseLog final : public IUnknown {
public:
    ReleaseLog(int index, std::vector<int>* log) : m_index(index), m_log(log) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** out) override
    {
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override
    {
        m_log->push_back(m_index);
        delete this;
        return 0;
    }

private:
    int m_index;
    std::vector<int>* m_log;
};

template <typename T>
void plant(ComPtr<T>& member, int index, std::vector<int>* log)
{
    member.Attach(reinterpret_cast<T*>(static_cast<IUnknown*>(new ReleaseLog(index, log))));
}

// What the injected creation functions saw and should do; plain functions cannot
// capture, so they share this.
struct Script {
    std::vector<std::string> calls;
    std::vector<D3D10_FEATURE_LEVEL1> levels;
    std::vector<UINT> device_flags;
    bool adapter_given = true;
    std::string failing; // name of the call that fails
    HRESULT failure = E_FAIL;
    size_t device_failures = 0; // the first N device attempts fail
    std::vector<HRESULT> device_results;
    std::vector<int>* release_log = nullptr; // the factories are stand-ins that log their release
};
Script g_script;

const Gfx::GraphicsFactories& real()
{
    return Gfx::system_graphics_factories();
}

HRESULT WINAPI fake_d2d(D2D1_FACTORY_TYPE type, REFIID iid, const D2D1_FACTORY_OPTIONS* options, void** out)
{
    g_script.calls.push_back("d2d");
    if (g_script.failing == "d2d")
        return g_script.failure;
    if (g_script.release_log) {
        *out = static_cast<IUnknown*>(new ReleaseLog(0, g_script.release_log));
        return S_OK;
    }
    return real().d2d1_create_factory(type, iid, options, out);
}

HRESULT WINAPI fake_dwrite(DWRITE_FACTORY_TYPE type, REFIID iid, IUnknown** out)
{
    g_script.calls.push_back("dwrite");
    if (g_script.failing == "dwrite")
        return g_script.failure;
    if (g_script.release_log) {
        *out = new ReleaseLog(2, g_script.release_log);
        return S_OK;
    }
    return real().dwrite_create_factory(type, iid, out);
}

HRESULT WINAPI fake_wic(REFCLSID clsid, LPUNKNOWN outer, DWORD context, REFIID iid, LPVOID* out)
{
    g_script.calls.push_back("wic");
    if (g_script.failing == "wic")
        return g_script.failure;
    return real().co_create_instance(clsid, outer, context, iid, out);
}

HRESULT WINAPI fake_dxgi(REFIID iid, void** out)
{
    g_script.calls.push_back("dxgi");
    if (g_script.failing == "dxgi")
        return g_script.failure;
    return real().create_dxgi_factory1(iid, out);
}

HRESULT WINAPI fake_device(IDXGIAdapter* adapter, D3D10_DRIVER_TYPE driver, HMODULE software, UINT flags,
                           D3D10_FEATURE_LEVEL1 level, UINT sdk, ID3D10Device1** out)
{
    g_script.calls.push_back("device");
    g_script.levels.push_back(level);
    g_script.device_flags.push_back(flags);
    g_script.adapter_given = g_script.adapter_given && adapter && driver == D3D10_DRIVER_TYPE_HARDWARE &&
                             !software && sdk == D3D10_1_SDK_VERSION;
    if (g_script.levels.size() <= g_script.device_failures) {
        *out = nullptr;
        return g_script.device_results.empty() ? g_script.failure
                                               : g_script.device_results[g_script.levels.size() - 1];
    }
    // Whatever level was asked for, the software device here offers 10.1.
    return real().d3d10_create_device1(adapter, driver, software, flags, D3D10_FEATURE_LEVEL_10_1, sdk, out);
}

const Gfx::GraphicsFactories fakes = {fake_d2d, fake_dwrite, fake_wic, fake_dxgi, fake_device};

class GraphicsContextTest : public testing::Test {
protected:
    void SetUp() override
    {
        CoInitialize(nullptr);
        g_script = Script();
    }
    void TearDown() override { CoUninitialize(); }

    // Runs the creation and returns the failure's call name and result ("" when none).
    std::string create(GraphicsContext& context, HRESULT* hr = nullptr)
    {
        try {
            Gfx::create_graphics_context(context, fakes);
        } catch (const App::COMException& failure) {
            if (hr)
                *hr = failure.hr();
            return failure.call_name();
        }
        return "";
    }
};

} // namespace

TEST_F(GraphicsContextTest, SystemFunctionsMakeEveryMember)
{
    GraphicsContext context;
    Gfx::create_graphics_context(context);
    EXPECT_TRUE(context.d2d_factory && context.device && context.dwrite_factory && context.wic_factory &&
                context.dxgi_factory);
    // (Wine's device does not report its creation flags; the window tests draw with
    // Direct2D on its swap chains, which is what BGRA support is for.)
    EXPECT_GE(context.device->GetFeatureLevel(), D3D10_FEATURE_LEVEL_9_1);
}

TEST_F(GraphicsContextTest, DeviceFallsBackThroughTheFeatureLevelsSilently)
{
    g_script.device_failures = 2;
    g_script.failure = DXGI_ERROR_UNSUPPORTED;
    GraphicsContext context;
    EXPECT_EQ(create(context), "");
    EXPECT_TRUE(context.device);
    EXPECT_EQ(g_script.levels, (std::vector<D3D10_FEATURE_LEVEL1>{D3D10_FEATURE_LEVEL_10_1, D3D10_FEATURE_LEVEL_10_0,
                                                                  D3D10_FEATURE_LEVEL_9_3}));
    EXPECT_TRUE(g_script.adapter_given);
    for (UINT flags : g_script.device_flags)
        EXPECT_EQ(flags, UINT(D3D10_CREATE_DEVICE_BGRA_SUPPORT));
}

TEST_F(GraphicsContextTest, NoDeviceAtAnyLevelReportsTheLastAttempt)
{
    g_script.device_failures = 5;
    g_script.device_results = {E_FAIL, E_FAIL, E_FAIL, E_FAIL, DXGI_ERROR_UNSUPPORTED};
    GraphicsContext context;
    HRESULT hr = S_OK;
    EXPECT_EQ(create(context, &hr), "D3D10CreateDevice1");
    EXPECT_EQ(hr, DXGI_ERROR_UNSUPPORTED);
    EXPECT_EQ(g_script.levels.size(), 5u);
    EXPECT_EQ(g_script.levels.back(), D3D10_FEATURE_LEVEL_9_1);
    EXPECT_FALSE(context.device);
    // The factories stay for the caller to release.
    EXPECT_TRUE(context.d2d_factory && context.dwrite_factory && context.wic_factory && context.dxgi_factory);
}

TEST_F(GraphicsContextTest, AFailedStepStopsTheCreationAndNamesTheCall)
{
    struct Case {
        const char* failing;
        const char* name;
        std::vector<std::string> calls;
    };
    const Case cases[] = {
        {"d2d", "D2D1CreateFactory", {"d2d"}},
        {"dwrite", "DWriteCreateFactory", {"d2d", "dwrite"}},
        {"wic", "CoCreateInstance(CLSID_WICImagingFactory)", {"d2d", "dwrite", "wic"}},
        {"dxgi", "CreateDXGIFactory1", {"d2d", "dwrite", "wic", "dxgi"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.failing);
        g_script = Script();
        g_script.failing = c.failing;
        g_script.failure = REGDB_E_CLASSNOTREG;
        GraphicsContext context;
        HRESULT hr = S_OK;
        EXPECT_EQ(create(context, &hr), c.name);
        EXPECT_EQ(hr, REGDB_E_CLASSNOTREG);
        EXPECT_EQ(g_script.calls, c.calls);
        EXPECT_EQ(bool(context.d2d_factory), c.calls.size() > 1);
        EXPECT_EQ(bool(context.dwrite_factory), c.calls.size() > 2);
        EXPECT_EQ(bool(context.wic_factory), c.calls.size() > 3);
        EXPECT_FALSE(context.dxgi_factory);
        EXPECT_FALSE(context.device);
    }
}

TEST_F(GraphicsContextTest, FactoriesMadeBeforeAFailureAreReleasedWithTheContext)
{
    std::vector<int> log;
    g_script.release_log = &log;
    g_script.failing = "wic";
    auto context = std::make_unique<GraphicsContext>();
    EXPECT_EQ(create(*context), "CoCreateInstance(CLSID_WICImagingFactory)");
    EXPECT_TRUE(log.empty());
    context.reset();
    EXPECT_EQ(log, (std::vector<int>{2, 0}));
}

TEST_F(GraphicsContextTest, MembersAreReleasedInReverseOrder)
{
    std::vector<int> log;
    {
        GraphicsContext context;
        plant(context.d2d_factory, 0, &log);
        plant(context.device, 1, &log);
        plant(context.dwrite_factory, 2, &log);
        plant(context.wic_factory, 3, &log);
        plant(context.dxgi_factory, 4, &log);
    }
    EXPECT_EQ(log, (std::vector<int>{4, 3, 2, 1, 0}));
}
