// Drawing screens in a real window's swap chain (under Wine: its software rasteriser),
// as the editor draws them: the screen kept in an image, drawn again where it changed.
// Prints one line per figure, `NAME: MEDIAN ms`, each the median of several rounds after
// a warm-up, all in the same run on the same device, in rounds that run every piece once
// so that they share the machine's conditions:
//
//   clear_present          clearing and presenting only, 1024 x 768
//   stress_full            the stress screen (2,400 widgets) drawn whole
//   stress_hover           the pointer moving onto a button of the stress screen
//   (stress_hover_tooltip  the same onto a button with a tooltip, which shows over cells)
//   (loading_still         the loading screen presented with nothing changed)
//   loading_drag           one pointer move of a widget drag on the loading screen
//   loading_edit           one text edit of a loading-screen widget through its setter
//   loading_full           the loading screen drawn whole, its textures converted
//   loading_resize         one resize step of the view
//   loading_texture_saved  a texture of the loading screen written anew (as the editor
//                          learns it: the mod's change, then the screen's)
//   choose_loading         choosing the loading screen, to its first frame, on a freshly
//   choose_stress          loaded mod (the load itself is not timed)
//
// Each of the others ends with the frame presented. Then the targets, as ratios.

#include "bench_timing.h"

#include "app/com_call.h"
#include "app/d2d_calls.h"
#include "app/dxgi_calls.h"
#include "gfx/graphics_context.h"
#include "mod/loaded_mod.h"
#include "mod/mod_change.h"
#include "render/resource_set.h"
#include "render/texture_path.h"
#include "screen/presentation_item.h"
#include "screen/screen_document.h"
#include "screen/widget.h"
#include "ui/element_chain.h"

#include <objbase.h>

#include <algorithm>
#include <cstdio>
#include <exception>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using Microsoft::WRL::ComPtr;
using BenchTiming::time_ms;

constexpr UINT width = 1024;
constexpr UINT height = 768;

const std::string sample_module = std::string(TVSE_SAMPLE_DIR) + "\\Bastion.module";

std::string screen_path(const char* name)
{
    return std::string("Art\\UI\\Screens\\") + name + ".screen";
}

// A plain window with a swap chain and a Direct2D target, as the editor's window has,
// which can be resized as the editor's is: target dropped, buffers resized, new target.
class Frame {
public:
    explicit Frame(Gfx::GraphicsContext& graphics) : m_graphics(graphics)
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
        create_target();
    }
    ~Frame()
    {
        m_target.Reset();
        m_swap_chain.Reset();
        DestroyWindow(m_window);
    }

    // Clears, draws `document` (if any) at its own transform, presents.
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
        finish();
    }

    // The buffers at a new size, the document told and laid out to fill them.
    void resize(Screen::ScreenDocument& document, UINT new_width, UINT new_height)
    {
        m_target.Reset();
        document.on_target_dropped();
        App::resize_buffers(m_swap_chain.Get(), 1, new_width, new_height, DXGI_FORMAT_B8G8R8A8_UNORM, 0);
        create_target();
        document.set_bounds(0.0f, 0.0f, static_cast<float>(new_width), static_cast<float>(new_height));
    }

private:
    // Waits until the device has done the work queued so far: a present returns before the
    // frame is drawn, and the next piece timed must not pay for this one.
    void finish()
    {
        if (!m_finished) {
            const D3D10_QUERY_DESC description{D3D10_QUERY_EVENT, 0};
            App::check(m_graphics.device->CreateQuery(&description, &m_finished), "ID3D10Device::CreateQuery");
        }
        m_finished->End();
        BOOL done = FALSE;
        while (m_finished->GetData(&done, sizeof(done), 0) == S_FALSE)
            SwitchToThread();
    }

    void create_target()
    {
        ComPtr<IDXGISurface> surface = App::get_buffer<IDXGISurface>(m_swap_chain.Get(), 0);
        m_target = App::create_dxgi_surface_render_target(
            m_graphics.d2d_factory.Get(), surface.Get(),
            D2D1::RenderTargetProperties(D2D1_RENDER_TARGET_TYPE_DEFAULT,
                                         D2D1::PixelFormat(DXGI_FORMAT_UNKNOWN, D2D1_ALPHA_MODE_IGNORE)));
    }

    Gfx::GraphicsContext& m_graphics;
    HWND m_window = nullptr;
    ComPtr<IDXGISwapChain> m_swap_chain;
    ComPtr<ID2D1RenderTarget> m_target;
    ComPtr<ID3D10Query> m_finished;
};

std::unique_ptr<Mod::LoadedMod> loaded_mod(Gfx::GraphicsContext& graphics)
{
    auto mod = std::make_unique<Mod::LoadedMod>();
    mod->set_resource_builder(Render::resource_set_builder());
    mod->load(&graphics, sample_module);
    mod->wait_until_loaded(Platform::wait_forever);
    return mod;
}

std::unique_ptr<Screen::ScreenDocument> open_screen(Gfx::GraphicsContext& graphics, const Mod::LoadedMod& mod,
                                                    const char* name)
{
    auto document = std::make_unique<Screen::ScreenDocument>(&graphics, mod, screen_path(name));
    document->set_bounds(0.0f, 0.0f, static_cast<float>(width), static_cast<float>(height));
    return document;
}

// The first shown widget, in building order, that `wanted` accepts.
template <typename Predicate>
Screen::Widget* find_widget(const Screen::ScreenDocument& document, Predicate wanted)
{
    for (Screen::Widget* widget : document.live_widgets()) {
        if (widget->shown() && wanted(*widget))
            return widget;
    }
    throw std::runtime_error("no widget for the benchmark on " + document.path());
}

// The file a texture item of the screen reads: the first of its candidates there is.
std::string texture_file(const Screen::ScreenDocument& document, const Mod::LoadedMod& mod)
{
    for (Screen::Widget* widget : document.live_widgets()) {
        for (Screen::PresentationItem* item : widget->art()) {
            if (auto* image = dynamic_cast<Screen::ImageItem*>(item)) {
                for (const std::string& candidate : Render::texture_candidates(image->texture())) {
                    if (mod.files()->read(candidate))
                        return candidate;
                }
            }
        }
    }
    throw std::runtime_error("no texture file on " + document.path());
}

// Choosing the screen `name` to its first frame, each time on a freshly loaded mod.
BenchTiming::Timing time_choosing(Gfx::GraphicsContext& graphics, Frame& frame, const char* name, int runs)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        std::unique_ptr<Mod::LoadedMod> fresh = loaded_mod(graphics);
        const double start = BenchTiming::now_ms();
        std::unique_ptr<Screen::ScreenDocument> document = open_screen(graphics, *fresh, name);
        frame.present(document.get());
        times.push_back(BenchTiming::now_ms() - start);
    }
    std::sort(times.begin(), times.end());
    return {times[times.size() / 2], times.front()};
}

void print(const char* name, double median)
{
    std::printf("%s: %.2f ms\n", name, median);
}

void target(const char* what, double ratio, double limit)
{
    std::printf("target %-44s %6.2f (at most %.2f) %s\n", what, ratio, limit, ratio <= limit ? "met" : "MISSED");
}

void run()
{
    Gfx::GraphicsContext graphics;
    Gfx::create_graphics_context(graphics);
    {
        Frame frame(graphics);
        std::unique_ptr<Mod::LoadedMod> mod = loaded_mod(graphics);
        std::unique_ptr<Screen::ScreenDocument> stress = open_screen(graphics, *mod, "stressscreen");
        std::unique_ptr<Screen::ScreenDocument> loading = open_screen(graphics, *mod, "loadingscreen");
        // Another one for the tooltips, so that the plain hovers never hide one; and a
        // window of its own for the resizes, whose new targets the others never see.
        std::unique_ptr<Screen::ScreenDocument> stress_tips = open_screen(graphics, *mod, "stressscreen");
        std::unique_ptr<Screen::ScreenDocument> resized = open_screen(graphics, *mod, "loadingscreen");
        Frame resizing(graphics);

        // Hovers alternate between two buttons of the stress screen, from one to the other:
        // two without a tooltip, and two with one (its text changes over the cells below).
        Ui::ElementChain hover(Ui::ElementChain::Kind::hover, nullptr);
        Ui::ElementChain tip_hover(Ui::ElementChain::Kind::hover, nullptr);
        auto button = [&](bool tooltip, const Screen::Widget* other) {
            return find_widget(tooltip ? *stress_tips : *stress, [=](const Screen::Widget& w) {
                return std::string(w.class_name()) == "ButtonWidget" && &w != other &&
                       (w.tooltip_widget() != nullptr) == tooltip;
            });
        };
        Screen::Widget* plain = button(false, nullptr);
        Screen::Widget* plain_too = button(false, plain);
        Screen::Widget* explained = button(true, nullptr);
        Screen::Widget* explained_too = button(true, explained);
        bool on_first = false;
        // A drag step goes one way, the next back: the widget stays where it was. The
        // widget dragged and the one edited are the first that show a text.
        auto shows_text = [](const Screen::Widget& w) {
            for (Screen::PresentationItem* item : w.art()) {
                if (dynamic_cast<Screen::TextItem*>(item) && item->shows_in_current_state())
                    return w.text().has_value() && !w.text()->empty();
            }
            return false;
        };
        Screen::Widget* dragged = find_widget(*loading, shows_text);
        float drag_step = 0.004f;
        Screen::Widget* edited = dragged;
        int edits = 0;
        bool small = false;
        const std::string saved_texture = texture_file(*loading, *mod);
        auto* resources = dynamic_cast<Render::ResourceSet*>(mod->resources());

        const std::vector<BenchTiming::Timing> timings = time_ms(
            2, 9,
            {
                [&] { frame.present(nullptr); },
                [&] {
                    stress->invalidate();
                    frame.present(stress.get());
                },
                [&] {
                    on_first = !on_first;
                    hover.move_to(on_first ? plain : plain_too);
                    frame.present(stress.get());
                },
                [&] {
                    tip_hover.move_to(on_first ? explained : explained_too);
                    frame.present(stress_tips.get());
                },
                [&] { frame.present(loading.get()); },
                [&] {
                    drag_step = -drag_step;
                    dragged->set_bounds(dragged->x() + drag_step, dragged->y() + drag_step, dragged->width(),
                                        dragged->height());
                    frame.present(loading.get());
                },
                [&] {
                    edited->set_text("Loading " + std::to_string(++edits));
                    frame.present(loading.get());
                },
                [&] {
                    loading->invalidate();
                    frame.present(loading.get());
                },
                [&] {
                    small = !small;
                    resizing.resize(*resized, small ? width - 24 : width, small ? height - 18 : height);
                    resizing.present(resized.get());
                },
                [&] {
                    Mod::ModChange change;
                    change.add(saved_texture);
                    resources->apply_change(change);
                    loading->on_files_changed(change);
                    frame.present(loading.get());
                },
            });
        const BenchTiming::Timing choose_loading = time_choosing(graphics, frame, "loadingscreen", 5);
        const BenchTiming::Timing choose_stress = time_choosing(graphics, frame, "stressscreen", 3);

        // Two figures beyond the required ones: a hover that shows a tooltip, and a frame in
        // which nothing changed (the kept image shown, and the presenting).
        const char* names[] = {"clear_present", "stress_full",  "stress_hover",   "stress_hover_tooltip",
                               "loading_still", "loading_drag", "loading_edit",   "loading_full",
                               "loading_resize", "loading_texture_saved"};
        for (std::size_t i = 0; i < timings.size(); ++i)
            print(names[i], timings[i].median);
        print("choose_loading", choose_loading.median);
        print("choose_stress", choose_stress.median);

        const double clear = timings[0].median;
        const double full = timings[7].median;
        target("stress_hover / clear_present", timings[2].median / clear, 3.0);
        target("loading_drag / clear_present", timings[5].median / clear, 3.0);
        target("loading_edit / clear_present", timings[6].median / clear, 3.0);
        target("loading_resize / loading_full", timings[8].median / full, 1.0);
        target("loading_texture_saved / loading_full", timings[9].median / full, 1.0);
        std::printf("(stress screen: %zu widgets; texture written anew: %s)\n", stress->widget_count(),
                    saved_texture.c_str());
        hover.move_to(plain);
        frame.present(stress.get());
        hover.move_to(plain_too);
        frame.present(stress.get());
        std::printf("(a hover draws %.0f of %u pixels again", stress->pixels_drawn_again(), width * height);
        tip_hover.move_to(on_first ? explained_too : explained);
        frame.present(stress_tips.get());
        std::printf("; one that shows a tooltip %.0f)\n", stress_tips->pixels_drawn_again());
        dragged->set_bounds(dragged->x() + drag_step, dragged->y() + drag_step, dragged->width(), dragged->height());
        frame.present(loading.get());
        std::printf("(a drag step of %s draws %.0f pixels again)\n", dragged->name().c_str(),
                    loading->pixels_drawn_again());
        stress.reset();
        stress_tips.reset();
        resized.reset();
        loading.reset();
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
