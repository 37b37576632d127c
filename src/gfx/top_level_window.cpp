#include "gfx/top_level_window.h"

#include "app/com_call.h"
#include "app/d2d_calls.h"
#include "app/dwrite_calls.h"
#include "app/dxgi_calls.h"
#include "gfx/dip_conversion.h"

#include <d2d1helper.h>
#include <windowsx.h>

#include <stdexcept>

namespace Gfx {

using Microsoft::WRL::ComPtr;

namespace {

volatile LONG g_open_windows = 0;

constexpr DXGI_FORMAT back_buffer_format = DXGI_FORMAT_B8G8R8A8_UNORM;
constexpr HRESULT render_target_lost = static_cast<HRESULT>(D2DERR_RECREATE_TARGET);

DWORD key_for(Ui::MouseButton button)
{
    switch (button) {
    case Ui::MouseButton::left:
        return MK_LBUTTON;
    case Ui::MouseButton::middle:
        return MK_MBUTTON;
    case Ui::MouseButton::right:
        return MK_RBUTTON;
    }
    return 0;
}

float wheel_delta(WPARAM wparam)
{
    return static_cast<float>(static_cast<short>(HIWORD(wparam)));
}

} // namespace

TopLevelWindow::TopLevelWindow(GraphicsContext* graphics)
    : m_hovered(Ui::ElementChain::Kind::hover, this),
      m_pressed(Ui::ElementChain::Kind::press, this),
      m_drag_transform(D2D1::Matrix3x2F::Identity()),
      m_graphics(graphics)
{
}

TopLevelWindow::~TopLevelWindow()
{
    m_drag.reset();
    // The children leave while this window still keeps the hover and press chains.
    clear_children();
    m_render_target.Reset();
    m_swap_chain.Reset();
    // Deleted while the handle still exists: WM_NCDESTROY will not reach this object.
    stop_counting();
}

long TopLevelWindow::open_window_count()
{
    return g_open_windows;
}

void TopLevelWindow::stop_counting()
{
    if (!m_counted)
        return;
    m_counted = false;
    if (InterlockedDecrement(&g_open_windows) == 0)
        PostQuitMessage(0);
}

void TopLevelWindow::describe_class(WNDCLASSEXW& description)
{
    description.style = CS_HREDRAW | CS_VREDRAW;
    description.lpszClassName = L"TarvokDirect2DUITopLevel";
    // The program's icon (resource 1); an executable without one gets the default.
    description.hIcon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1));
}

D2D1_SIZE_F TopLevelWindow::desktop_dpi() const
{
    D2D1_SIZE_F dpi{dips_per_inch, dips_per_inch};
    if (m_graphics && m_graphics->d2d_factory)
        m_graphics->d2d_factory->GetDesktopDpi(&dpi.width, &dpi.height);
    return dpi;
}

void TopLevelWindow::open(const std::wstring& title, float width_dips, float height_dips)
{
    if (m_hwnd)
        throw std::logic_error("The window is already open");
    D2D1_SIZE_F dpi = desktop_dpi();
    create(pixels_from_dips(width_dips, dpi.width), 0, title.c_str(), WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
           CW_USEDEFAULT, pixels_from_dips(height_dips, dpi.height), nullptr);
    InterlockedIncrement(&g_open_windows);
    m_counted = true;
    m_width = width_dips > 0.0f ? width_dips : 0.0f;
    m_height = height_dips > 0.0f ? height_dips : 0.0f;
    // Laid out before the first paint, which showing the window brings.
    on_resized();
    ShowWindow(m_hwnd, SW_SHOWNORMAL);
    UpdateWindow(m_hwnd);
}

void TopLevelWindow::invalidate()
{
    m_paint_pending_validate = false;
    // Never with a null handle: that would invalidate every window on the desktop.
    if (m_hwnd)
        InvalidateRect(m_hwnd, nullptr, FALSE);
}

void TopLevelWindow::set_bounds(float, float, float width, float height)
{
    if (!m_hwnd) {
        m_width = width > 0.0f ? width : 0.0f;
        m_height = height > 0.0f ? height : 0.0f;
        return;
    }
    D2D1_SIZE_F dpi = desktop_dpi();
    RECT rect{0, 0, pixels_from_dips(width, dpi.width), pixels_from_dips(height, dpi.height)};
    AdjustWindowRect(&rect, static_cast<DWORD>(GetWindowLongPtrW(m_hwnd, GWL_STYLE)), FALSE);
    SetWindowPos(m_hwnd, nullptr, 0, 0, rect.right - rect.left, rect.bottom - rect.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOCOPYBITS | SWP_NOOWNERZORDER);
}

Ui::Element* TopLevelWindow::element_at(float x, float y)
{
    Ui::Element* found = ContainerElement::element_at(x, y);
    return found ? found : this;
}

Ui::HitResult TopLevelWindow::hit_test(float, float)
{
    return Ui::HitResult::yes;
}

void TopLevelWindow::draw(ID2D1RenderTarget* target)
{
    target->Clear(D2D1::ColorF(1.0f, 1.0f, 1.0f, 1.0f));
    ContainerElement::draw(target);
}

void TopLevelWindow::set_hovered(Ui::Element* element)
{
    if (m_hovered.move_to(element ? element : this))
        invalidate();
}

void TopLevelWindow::set_pressed(Ui::Element* element)
{
    if (m_pressed.move_to(element ? element : this))
        invalidate();
}

void TopLevelWindow::on_subtree_removed(Ui::Element* subtree)
{
    // The element may be half destroyed: drop the tracker without end_drag.
    if (m_drag && subtree->contains(m_drag->element()))
        m_drag.reset();
}

LRESULT TopLevelWindow::handle_message(UINT message, WPARAM wparam, LPARAM lparam)
{
    switch (message) {
    case WM_PAINT:
        paint();
        return 0;
    case WM_WINDOWPOSCHANGED: {
        const auto* position = reinterpret_cast<const WINDOWPOS*>(lparam);
        if (!(position->flags & SWP_NOSIZE))
            resize();
        else if (!(position->flags & SWP_NOMOVE))
            check_monitor();
        return 0;
    }
    case WM_DISPLAYCHANGE:
        resize();
        return 0;
    case WM_NCDESTROY:
        stop_counting();
        return DefWindowProcW(m_hwnd, message, wparam, lparam);
    case WM_MOUSEMOVE:
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
    case WM_LBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_RBUTTONDOWN: {
        D2D1_SIZE_F dpi = desktop_dpi();
        float x = dips_from_pixels(LOWORD(lparam), dpi.width);
        float y = dips_from_pixels(HIWORD(lparam), dpi.height);
        if (message == WM_LBUTTONDOWN)
            button_press(Ui::MouseButton::left, x, y);
        else if (message == WM_MBUTTONDOWN)
            button_press(Ui::MouseButton::middle, x, y);
        else if (message == WM_RBUTTONDOWN)
            button_press(Ui::MouseButton::right, x, y);
        else
            pointer_move(wparam, x, y);
        return 0;
    }
    case WM_MOUSEWHEEL:
        hovered()->scroll_by(0.0f, wheel_delta(wparam) * -0.5f);
        return 0;
    case WM_MOUSEHWHEEL:
        hovered()->scroll_by(wheel_delta(wparam) * -0.5f, 0.0f);
        return 0;
    default:
        return DefWindowProcW(m_hwnd, message, wparam, lparam);
    }
}

namespace {

LPCWSTR system_cursor(Ui::CursorKind kind)
{
    switch (kind) {
    case Ui::CursorKind::hand:
        return IDC_HAND;
    case Ui::CursorKind::move:
        return IDC_SIZEALL;
    case Ui::CursorKind::size_we:
        return IDC_SIZEWE;
    case Ui::CursorKind::size_ns:
        return IDC_SIZENS;
    case Ui::CursorKind::size_nwse:
        return IDC_SIZENWSE;
    case Ui::CursorKind::size_nesw:
        return IDC_SIZENESW;
    default:
        return IDC_ARROW;
    }
}

} // namespace

void TopLevelWindow::pointer_move(WPARAM keys, float x, float y)
{
    set_hovered(element_at(x, y));
    if (m_drag && !(keys & m_drag_buttons)) {
        // Its button was released, here or outside the window.
        std::unique_ptr<Ui::DragTracker> ended = std::move(m_drag);
        ended->end_drag();
    }
    Ui::CursorKind kind;
    if (m_drag) {
        D2D1_POINT_2F local = D2D1::Matrix3x2F::ReinterpretBaseType(&m_drag_transform)->TransformPoint({x, y});
        kind = m_drag->drag_to(local.x, local.y);
    } else {
        kind = cursor_at(x, y);
    }
    SetCursor(LoadCursorW(nullptr, system_cursor(kind)));
}

void TopLevelWindow::button_press(Ui::MouseButton button, float x, float y)
{
    if (!m_drag) {
        if (std::unique_ptr<Ui::DragTracker> tracker = begin_drag(x, y, button)) {
            // Window DIPs into the element's local axes, with the press point at (0, 0).
            D2D1::Matrix3x2F product = D2D1::Matrix3x2F::Identity();
            for (Ui::Element* e = tracker->element(); e; e = e->parent()) {
                D2D1_MATRIX_3X2_F step = e->transform();
                product = product * *D2D1::Matrix3x2F::ReinterpretBaseType(&step);
            }
            product.Invert();
            product.dx = -(product.m11 * x + product.m21 * y);
            product.dy = -(product.m12 * x + product.m22 * y);
            m_drag_transform = product;
            m_drag_buttons = key_for(button);
            m_drag = std::move(tracker);
            pointer_move(m_drag_buttons, x, y);
        }
    }
    set_pressed(element_at(x, y));
}

void TopLevelWindow::paint()
{
    if (!m_graphics || !m_graphics->d2d_factory) {
        // Nothing can ever be drawn: do not leave a paint request that comes back forever.
        ValidateRect(m_hwnd, nullptr);
        return;
    }
    if (!m_swap_chain)
        create_swap_chain();
    if (!m_render_target) {
        create_render_target();
        refresh_text_rendering();
    }
    m_paint_pending_validate = true;
    ID2D1RenderTarget* target = m_render_target.Get();
    target->BeginDraw();
    target->SetTransform(D2D1::Matrix3x2F::Identity());
    try {
        draw(target);
    } catch (...) {
        if (target->EndDraw() == render_target_lost)
            drop_render_target();
        throw;
    }
    HRESULT hr = target->EndDraw();
    if (hr == render_target_lost) {
        drop_render_target();
        invalidate(); // the frame is lost: draw it again on a new target at once
        return;
    }
    App::check(hr, "ID2D1RenderTarget::EndDraw");
    App::present(m_swap_chain.Get(), 0, 0);
    // An invalidation during the paint (animation) leaves the window invalid.
    if (m_paint_pending_validate)
        ValidateRect(m_hwnd, nullptr);
}

void TopLevelWindow::drop_render_target()
{
    m_render_target.Reset();
    on_target_dropped();
}

void TopLevelWindow::create_swap_chain()
{
    RECT client{};
    GetClientRect(m_hwnd, &client);
    DXGI_SWAP_CHAIN_DESC description{};
    description.BufferDesc.Width = static_cast<UINT>(client.right);
    description.BufferDesc.Height = static_cast<UINT>(client.bottom);
    description.BufferDesc.RefreshRate = {60, 1};
    description.BufferDesc.Format = back_buffer_format;
    description.BufferDesc.ScanlineOrdering = DXGI_MODE_SCANLINE_ORDER_UNSPECIFIED;
    description.BufferDesc.Scaling = DXGI_MODE_SCALING_UNSPECIFIED;
    description.SampleDesc = {1, 0};
    description.BufferUsage = DXGI_USAGE_RENDER_TARGET_OUTPUT;
    description.BufferCount = 1;
    description.OutputWindow = m_hwnd;
    description.Windowed = TRUE;
    description.SwapEffect = DXGI_SWAP_EFFECT_DISCARD;
    description.Flags = 0;
    m_swap_chain = App::create_swap_chain(m_graphics->dxgi_factory.Get(), m_graphics->device.Get(), description);
}

void TopLevelWindow::create_render_target()
{
    ComPtr<IDXGISurface> surface = App::get_buffer<IDXGISurface>(m_swap_chain.Get(), 0);
    D2D1_SIZE_F dpi = desktop_dpi();
    D2D1_RENDER_TARGET_PROPERTIES properties = D2D1::RenderTargetProperties(
        D2D1_RENDER_TARGET_TYPE_DEFAULT, D2D1::PixelFormat(DXGI_FORMAT_UNKNOWN, D2D1_ALPHA_MODE_IGNORE), dpi.width,
        dpi.height, D2D1_RENDER_TARGET_USAGE_NONE, D2D1_FEATURE_LEVEL_DEFAULT);
    m_render_target =
        App::create_dxgi_surface_render_target(m_graphics->d2d_factory.Get(), surface.Get(), properties);
    m_render_target->SetAntialiasMode(D2D1_ANTIALIAS_MODE_PER_PRIMITIVE);
}

void TopLevelWindow::refresh_text_rendering()
{
    IDWriteFactory* factory = m_graphics->dwrite_factory.Get();
    if (!factory || !m_render_target)
        return;
    // Before the first move or resize no monitor is known yet: use the primary one.
    HMONITOR monitor = m_monitor ? m_monitor : MonitorFromWindow(m_hwnd, MONITOR_DEFAULTTOPRIMARY);
    ComPtr<IDWriteRenderingParams> monitor_params = App::create_monitor_rendering_params(factory, monitor);
    ComPtr<IDWriteRenderingParams> params = App::create_custom_rendering_params(
        factory, monitor_params->GetGamma(), monitor_params->GetEnhancedContrast(), 1.0f,
        monitor_params->GetPixelGeometry(), DWRITE_RENDERING_MODE_CLEARTYPE_NATURAL);
    m_render_target->SetTextRenderingParams(params.Get());
    m_render_target->SetTextAntialiasMode(D2D1_TEXT_ANTIALIAS_MODE_CLEARTYPE);
}

void TopLevelWindow::resize()
{
    RECT client{};
    GetClientRect(m_hwnd, &client);
    D2D1_SIZE_F dpi = desktop_dpi();
    m_width = dips_from_pixels(client.right, dpi.width);
    m_height = dips_from_pixels(client.bottom, dpi.height);
    m_monitor = nullptr;
    // An empty client area (minimised, or shrunk to its frame) has nothing to present,
    // and buffers of zero size are refused: keep the old ones until it grows again.
    if (client.right > 0 && client.bottom > 0) {
        // The render target must not hold the back buffer while it is resized.
        bool had_target = m_render_target != nullptr;
        if (had_target)
            drop_render_target();
        if (m_swap_chain) {
            App::resize_buffers(m_swap_chain.Get(), 1, static_cast<UINT>(client.right),
                                static_cast<UINT>(client.bottom), back_buffer_format, 0);
        }
        if (had_target)
            create_render_target();
    }
    check_monitor();
}

void TopLevelWindow::check_monitor()
{
    HMONITOR monitor = MonitorFromWindow(m_hwnd, MONITOR_DEFAULTTONULL);
    if (monitor != m_monitor) {
        m_monitor = monitor;
        if (m_render_target) {
            refresh_text_rendering();
            invalidate();
        }
    }
    if (!(m_width > 0.0f))
        m_width = 0.0f;
    if (!(m_height > 0.0f))
        m_height = 0.0f;
    on_resized();
}

} // namespace Gfx
