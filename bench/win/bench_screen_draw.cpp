// Drawing a screen in a real window's swap chain (under Wine: its software rasteriser).
//
// (a) One frame of the sample's stress screen (2,400 widgets, 4,900 items) at 1024 x 768,
//     beside a frame that only clears and presents, in the same run.
// (b) From choosing a screen to its first presented frame: the document built (script,
//     style sheets, widgets) and drawn once, its textures converted on the way; each run
//     on a freshly loaded mod, so no texture is cached yet (the load is not timed).
//
// Prints its figures; each is the median of several runs after a warm-up.

#include "bench_timing.h"

#include "app/com_call.h"
#include "app/d2d_calls.h"
#include "app/dxgi_calls.h"
#include "gfx/graphics_context.h"
#include "mod/loaded_mod.h"
#include "render/resource_set.h"
#include "screen/screen_document.h"

#include <objbase.h>

#include <cstdio>
#include <algorithm>
#include <exception>
#include <vector>
#include <memory>
#include <string>

namespace {

using Microsoft::WRL::ComPtr;
using BenchTiming::time_ms;

constexpr UINT width = 1024;
constexpr UINT height = 768;

const std::string sample_module = std::string(TVSE_SAMPLE_DIR) + "\\Bastion.module";

// A plain window with a swap chain and a Direct2D target, as the editor's window has.
class Frame {
public:
    explicit Frame(Gfx::GraphicsContext& graphics)
    {
        WNDCLASSEXW description{sizeof(description)};
        description.lpfnWndProc = DefWindowProcW;
        description.hInstance = GetModuleHandleW(nullptr);
        description.lpszClassName = L"BenchFrame";
        RegisterClassExW(&description);
        m_window = CreateWindowExW(0, L"BenchFrame", L"bench", WS_POPUP | WS_VISIBLE, 0, 0, width, height, nullptr,
                                   nullptr, description.hInstance, nullptr);
        if (!m_window)
            throw std::runtime_error("CreateWindowEx");
        DXGI_SWAP_CHAIN_DESC chain{};
        chain.BufferDesc.Width = width;
        chain.BufferDesc.Height = height;
        chain.BufferDesc.Format = DXGI_FORMAT_B8G8R8A8_UNORM;
        chain.SampleDesc = {1, 0};
        chain.BufferUsage = DXGI_USAGE_RENDER_TARGET_OUTPUT;
        chain.BufferCount = 1;
        chain.OutputWindow = m_window;
        chain.Windowed = TRUE;
        chain.SwapEffect = DXGI_SWAP_EFFECT_DISCARD;
        m_swap_chain = App::create_swap_chain(graphics.dxgi_factory.Get(), graphics.device.Get(), chain);
        ComPtr<IDXGISurface> surface = App::get_buffer<IDXGISurface>(m_swap_chain.Get(), 0);
        m_target = App::create_dxgi_surface_render_target(
            graphics.d2d_factory.Get(), surface.Get(),
            D2D1::RenderTargetProperties(D2D1_RENDER_TARGET_TYPE_DEFAULT,
                                         D2D1::PixelFormat(DXGI_FORMAT_UNKNOWN, D2D1_ALPHA_MODE_IGNORE)));
    }
    ~Frame()
    {
        m_target.Reset();
        m_swap_chain.Reset();
        DestroyWindow(m_window);
    }

    // Clears, draws `document` (if any), presents.
    void present(Screen::ScreenDocument* document)
    {
        m_target->BeginDraw();
        m_target->SetTransform(D2D1::Matrix3x2F::Identity());
        m_target->Clear(D2D1::ColorF(1.0f, 1.0f, 1.0f, 1.0f));
        if (document) {
            m_target->SetTransform(document->transform());
            document->draw(m_target.Get());
        }
        App::end_draw(m_target.Get());
        App::present(m_swap_chain.Get(), 0, 0);
    }

private:
    HWND m_window = nullptr;
    ComPtr<IDXGISwapChain> m_swap_chain;
    ComPtr<ID2D1RenderTarget> m_target;
};

std::unique_ptr<Mod::LoadedMod> loaded_mod(Gfx::GraphicsContext& graphics)
{
    auto mod = std::make_unique<Mod::LoadedMod>();
    mod->set_resource_builder(Render::resource_set_builder());
    mod->load(&graphics, sample_module);
    mod->wait_until_loaded(Platform::wait_forever);
    return mod;
}

void run()
{
    Gfx::GraphicsContext graphics;
    Gfx::create_graphics_context(graphics);
    {
        Frame frame(graphics);
        std::unique_ptr<Mod::LoadedMod> mod = loaded_mod(graphics);
        Screen::ScreenDocument stress(&graphics, *mod, "Art\\UI\\Screens\\stressscreen.screen");
        stress.set_bounds(0.0f, 0.0f, static_cast<float>(width), static_cast<float>(height));
        auto frames = time_ms(2, 15, {[&] { frame.present(&stress); }, [&] { frame.present(nullptr); }});
        std::printf("stress screen frame at %ux%u (%zu widgets): %.2f ms (best %.2f)\n", width, height,
                    stress.widget_count(), frames[0].median, frames[0].best);
        std::printf("clear and present only:               %.2f ms (best %.2f)\n", frames[1].median, frames[1].best);
        std::printf("drawing the screen costs %.1f ms a frame over an empty one\n",
                    frames[0].median - frames[1].median);

        const char* screens[] = {"mainmenuscreen", "lobby2", "loadingscreen", "stressscreen"};
        for (const char* name : screens) {
            const std::string path = std::string("Art\\UI\\Screens\\") + name + ".screen";
            std::vector<double> times;
            for (int i = 0; i < 5; ++i) {
                std::unique_ptr<Mod::LoadedMod> fresh = loaded_mod(graphics);
                const double start = BenchTiming::now_ms();
                Screen::ScreenDocument document(&graphics, *fresh, path);
                document.set_bounds(0.0f, 0.0f, static_cast<float>(width), static_cast<float>(height));
                frame.present(&document);
                times.push_back(BenchTiming::now_ms() - start);
            }
            std::sort(times.begin(), times.end());
            std::printf("choosing %-16s to its first frame: %.1f ms (best %.1f)\n", name, times[times.size() / 2],
                        times.front());
        }
    }
    graphics.release();
}

} // namespace

int main()
{
    if (FAILED(CoInitialize(nullptr)))
        return 1;
    int status = 0;
    try {
        run();
    } catch (const std::exception& failure) {
        std::fprintf(stderr, "bench_screen_draw: %s\n", failure.what());
        status = 1;
    }
    CoUninitialize();
    return status;
}
