#pragma once
// A Direct2D-drawn top-level window: a NativeWindow that is also the root container of
// an element tree. It paints the tree on a DXGI swap chain of the shared device,
// converts pixels to DIPs with the desktop DPI, routes the mouse to the elements
// (hover, press, drag, wheel, cursor) and counts itself among the open top-level
// windows: when the last one is gone, the message loop is told to end.

#include "gfx/graphics_context.h"
#include "gfx/native_window.h"
#include "ui/container_element.h"
#include "ui/element_chain.h"

#include <d2d1.h>
#include <dxgi.h>
#include <wrl/client.h>

#include <memory>
#include <string>

namespace Gfx {

class TopLevelWindow : public Ui::ContainerElement, public NativeWindow {
public:
    // Nothing is created yet; `graphics` must outlive the window.
    explicit TopLevelWindow(GraphicsContext* graphics);
    ~TopLevelWindow() override;

    // Creates, sizes (client area in DIPs) and shows the window, and paints it once.
    void open(const std::wstring& title, float width_dips, float height_dips);

    // Element slots. set_bounds resizes the window (x and y are ignored).
    void invalidate() override;
    void set_bounds(float x, float y, float width, float height) override;
    Ui::Element* element_at(float x, float y) override;
    Ui::HitResult hit_test(float x, float y) override;
    void draw(ID2D1RenderTarget* target) override;
    void set_hovered(Ui::Element* element) override;
    void set_pressed(Ui::Element* element) override;
    void on_subtree_removed(Ui::Element* subtree) override;

    Ui::Element* hovered() const { return m_hovered.current(); }
    Ui::Element* pressed() const { return m_pressed.current(); }
    bool is_dragging() const { return m_drag != nullptr; }
    GraphicsContext* graphics() const { return m_graphics; }

    // The process-wide number of opened top-level windows not yet destroyed.
    static long open_window_count();

protected:
    LRESULT handle_message(UINT message, WPARAM wparam, LPARAM lparam) override;
    void describe_class(WNDCLASSEXW& description) override;

    // Desktop DPI from the Direct2D factory (96 without one). Virtual so that the DIP
    // arithmetic can be tried at other densities.
    virtual D2D1_SIZE_F desktop_dpi() const;

private:
    void paint();
    void create_swap_chain();
    void create_render_target();
    // Releases the target and tells the elements, which drop what they made on it.
    void drop_render_target();
    void refresh_text_rendering();
    void resize();
    void check_monitor();
    void pointer_move(WPARAM keys, float x, float y);
    void button_press(Ui::MouseButton button, float x, float y);
    void stop_counting();

    Microsoft::WRL::ComPtr<IDXGISwapChain> m_swap_chain;
    Microsoft::WRL::ComPtr<ID2D1RenderTarget> m_render_target;
    HMONITOR m_monitor = nullptr;
    Ui::ElementChain m_hovered;
    Ui::ElementChain m_pressed;
    std::unique_ptr<Ui::DragTracker> m_drag;
    D2D1_MATRIX_3X2_F m_drag_transform;
    DWORD m_drag_buttons = 0;
    bool m_paint_pending_validate = false;
    GraphicsContext* m_graphics;
    bool m_counted = false; // counted in the open window count
};

} // namespace Gfx
