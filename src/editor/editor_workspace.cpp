#include "editor/editor_workspace.h"

#include "app/clipboard.h"
#include "app/d2d_calls.h"
#include "editor/canvas_press.h"
#include "editor/editor_keys.h"
#include "editor/editor_tool_windows.h"
#include "editor/tool_atlas.h"
#include "editor/tool_strip.h"
#include "editor/widget_drag.h"
#include "gfx/graphics_context.h"
#include "gfx/native_window.h"
#include "platform/text_encoding.h"
#include "screen/screen_document.h"
#include "screen/widget.h"
#include "ui/text_tool_button.h"
#include "ui/transform.h"

#include <algorithm>
#include <cmath>

namespace Editor {
namespace {

bool g_tool_windows_enabled = false; // user-interface thread only
std::size_t g_preview_resolution = 0; // the last chosen, for the next screen opened

} // namespace

void EditorWorkspace::set_tool_windows_enabled(bool enabled)
{
    g_tool_windows_enabled = enabled;
}

EditorWorkspace::EditorWorkspace(Gfx::GraphicsContext* graphics, const Mod::LoadedMod& mod,
                                 const std::string& screen_path)
    : m_graphics(graphics), m_mod(&mod)
{
    m_tool_strip = insert(std::make_unique<ToolStrip>(graphics->dwrite_factory.Get(), m_atlas), last_child());
    m_document = insert(std::make_unique<Screen::ScreenDocument>(graphics, mod, screen_path), last_child());
    m_session = EditorSession::create(*m_document);
    m_subscription = m_session->subscribe(*this);
    m_window_name = name_from_path(screen_path);
    m_tool_strip->set_actions({[this] { m_session->undo(); }, [this] { m_session->redo(); },
                               [this] { copy_to_clipboard(); }, [this] { choose_preview_resolution(); },
                               [this] { show_tool_windows(); }});
    history_changed();
    set_preview_resolution(g_preview_resolution);
}

EditorWorkspace::~EditorWorkspace()
{
    m_tool_windows.reset();
    m_subscription.reset();
    m_session->detach();
    // The children go while the atlas they point at still exists.
    clear_children();
}

std::string EditorWorkspace::name_from_path(const std::string& path)
{
    const std::size_t separator = path.find_last_of("\\/");
    return separator == std::string::npos ? path : path.substr(separator + 1);
}

Screen::Widget* EditorWorkspace::selection() const
{
    return m_session->selection();
}

Tool EditorWorkspace::current_tool() const
{
    return m_tool_strip->current_tool();
}

void EditorWorkspace::draw(ID2D1RenderTarget* target)
{
    if (!m_atlas)
        m_atlas = compose_tool_atlas(target, m_graphics->wic_factory.Get());
    float dpi_x = 96.0f, dpi_y = 96.0f;
    target->GetDpi(&dpi_x, &dpi_y);
    m_pixel_scale = dpi_x > 0.0f ? dpi_x / 96.0f : 1.0f;
    ContainerElement::draw(target);
    if (m_resolution != 0) {
        // The view around a previewed resolution is not the screen: dimmed.
        if (!m_margin_shade)
            m_margin_shade = App::create_solid_color_brush(target, D2D1::ColorF(0.0f, 0.0f, 0.0f, 0.55f));
        const D2D1_RECT_F screen = screen_rectangle();
        const float top = m_tool_strip->height();
        const D2D1_RECT_F parts[] = {
            {0.0f, top, m_width, screen.top},
            {0.0f, screen.bottom, m_width, m_height},
            {0.0f, screen.top, screen.left, screen.bottom},
            {screen.right, screen.top, m_width, screen.bottom},
        };
        for (const D2D1_RECT_F& part : parts) {
            if (part.right > part.left && part.bottom > part.top)
                target->FillRectangle(part, m_margin_shade.Get());
        }
    }
    if (handles_shown())
        draw_handles(target);
}

bool EditorWorkspace::handles_shown() const
{
    return current_tool() == Tool::edit && m_editing_allowed() && selection();
}

void EditorWorkspace::draw_handles(ID2D1RenderTarget* target)
{
    const std::optional<PixelBox> frame = selection_frame();
    if (!frame)
        return;
    if (!m_handle_fill)
        m_handle_fill = App::create_solid_color_brush(target, D2D1::ColorF(1.0f, 1.0f, 1.0f, 1.0f));
    if (!m_handle_ink)
        m_handle_ink = App::create_solid_color_brush(target, D2D1::ColorF(0.0f, 0.0f, 0.0f, 1.0f));
    // Over the screen and its margins alike: handles reach out of the screen.
    const float s = m_pixel_scale;
    for (int edges : handle_edges) {
        const PixelBox box = handle_box(*frame, edges);
        target->FillRectangle(D2D1::RectF(box.left / s, box.top / s, box.right / s, box.bottom / s),
                              m_handle_fill.Get());
        // A one-pixel line just inside, on pixel centres.
        target->DrawRectangle(D2D1::RectF((box.left + 0.5f) / s, (box.top + 0.5f) / s, (box.right - 0.5f) / s,
                                          (box.bottom - 0.5f) / s),
                              m_handle_ink.Get(), 1.0f / s);
    }
}

const std::vector<EditorWorkspace::PreviewResolution>& EditorWorkspace::preview_resolutions()
{
    static const std::vector<PreviewResolution> resolutions = {
        {L"Fit window", 0.0f, 0.0f},      {L"1024 x 768", 1024.0f, 768.0f},   {L"1280 x 720", 1280.0f, 720.0f},
        {L"1366 x 768", 1366.0f, 768.0f}, {L"1920 x 1080", 1920.0f, 1080.0f}, {L"1920 x 1200", 1920.0f, 1200.0f},
    };
    return resolutions;
}

void EditorWorkspace::set_preview_resolution(std::size_t index)
{
    if (index >= preview_resolutions().size())
        return;
    m_resolution = index;
    g_preview_resolution = index;
    const PreviewResolution& resolution = preview_resolutions()[index];
    m_tool_strip->set_resolution_text(resolution.label);
    m_document->set_design_size(resolution.width, resolution.height);
    on_resized();
}

D2D1_RECT_F EditorWorkspace::screen_rectangle() const
{
    const float top = m_tool_strip->height();
    const float width = m_width;
    const float height = std::max(0.0f, m_height - top);
    const PreviewResolution& resolution = preview_resolutions()[m_resolution];
    if (resolution.width <= 0.0f || resolution.height <= 0.0f)
        return D2D1::RectF(0.0f, top, width, top + height);
    const float scale = std::min(width / resolution.width, height / resolution.height);
    const float w = resolution.width * scale;
    const float h = resolution.height * scale;
    // Its top-left corner on a whole DIP, where the checkerboard and frames line up.
    const float left = std::floor((width - w) / 2.0f);
    const float y = top + std::floor((height - h) / 2.0f);
    return D2D1::RectF(left, y, left + w, y + h);
}

void EditorWorkspace::on_resized()
{
    const float strip_height = m_tool_strip->height();
    m_tool_strip->set_bounds(0.0f, 0.0f, m_width, strip_height);
    const D2D1_RECT_F screen = screen_rectangle();
    m_document->set_bounds(screen.left, screen.top, screen.right - screen.left, screen.bottom - screen.top);
    invalidate();
    // Laid out in a window for the first time: the tool windows open beside it, owned
    // by that window, so that they minimise and close with it.
    if (g_tool_windows_enabled && !m_tool_windows) {
        if (HWND owner = host_window())
            m_tool_windows = std::make_unique<EditorToolWindows>(*this, owner);
    }
}

Ui::Element* EditorWorkspace::element_at(float x, float y)
{
    if (m_editing_allowed())
        return ContainerElement::element_at(x, y);
    const Ui::Point local = Ui::to_local(m_tool_strip->transform(), x, y);
    if (m_tool_strip->hit_test(local.x, local.y) == Ui::HitResult::yes)
        return m_tool_strip->element_at(local.x, local.y);
    return this;
}

std::unique_ptr<Ui::DragTracker> EditorWorkspace::drag_widget(Screen::Widget& widget, int edges)
{
    // The system's drag distance is in device pixels, each way from the press.
    const float slop_x = static_cast<float>(GetSystemMetrics(SM_CXDRAG)) / m_pixel_scale;
    const float slop_y = static_cast<float>(GetSystemMetrics(SM_CYDRAG)) / m_pixel_scale;
    return std::make_unique<WidgetDrag>(*this, *m_session, widget, edges, slop_x, slop_y);
}

std::unique_ptr<Ui::DragTracker> EditorWorkspace::begin_drag(float x, float y, Ui::MouseButton button)
{
    if (!m_editing_allowed()) {
        const Ui::Point local = Ui::to_local(m_tool_strip->transform(), x, y);
        if (m_tool_strip->hit_test(local.x, local.y) == Ui::HitResult::yes)
            return m_tool_strip->begin_drag(local.x, local.y, button);
        return nullptr;
    }
    m_alt_drag = false;
    const Ui::Point local = Ui::to_local(m_document->transform(), x, y);
    const bool in_screen = m_document->hit_test(local.x, local.y) == Ui::HitResult::yes;
    const bool in_view = y >= m_tool_strip->height();
    // Handles reach a little outside the screen, and Alt drags from anywhere in the view.
    const int part = current_tool() == Tool::edit ? selection_part_at(x, y) : outside_selection;
    const bool alt = current_tool() == Tool::edit && selection() && in_view && GetKeyState(VK_MENU) < 0;
    if (button != Ui::MouseButton::left || !(in_screen || part > 0 || alt))
        return ContainerElement::begin_drag(x, y, button);
    Screen::Widget* picked = in_screen ? widget_at(*m_document, local.x, local.y) : nullptr;
    const CanvasPress press = plan_press(current_tool(), alt, selection(), part, picked);
    if (press.action == CanvasPress::Action::drag_selection) {
        m_alt_drag = alt;
        return drag_widget(*selection(), press.edges);
    }
    m_session->select(press.widget);
    if (press.drag && selection())
        return drag_widget(*selection(), 0);
    return nullptr;
}

Ui::CursorKind EditorWorkspace::cursor_at(float x, float y)
{
    if (m_editing_allowed() && current_tool() == Tool::edit && selection()) {
        const int part = selection_part_at(x, y);
        const Ui::Point local = Ui::to_local(m_document->transform(), x, y);
        const bool in_screen = m_document->hit_test(local.x, local.y) == Ui::HitResult::yes;
        if (part > 0 || (part == inside_selection && in_screen)) {
            Screen::Widget* picked = in_screen ? widget_at(*m_document, local.x, local.y) : nullptr;
            const CanvasPress press = plan_press(Tool::edit, false, selection(), part, picked);
            if (press.action == CanvasPress::Action::drag_selection)
                return WidgetDrag::cursor_for(press.edges);
        }
    }
    return ContainerElement::cursor_at(x, y);
}

bool EditorWorkspace::take_alt_drag()
{
    const bool was = m_alt_drag;
    m_alt_drag = false;
    return was;
}

std::optional<PixelBox> EditorWorkspace::selection_frame() const
{
    Screen::Widget* widget = selection();
    if (!widget)
        return std::nullopt;
    D2D1_MATRIX_3X2_F to_workspace = widget->transform();
    for (Ui::Element* up = widget->parent(); up && up != m_document; up = up->parent())
        to_workspace = Ui::multiply(to_workspace, up->transform());
    to_workspace = Ui::multiply(to_workspace, m_document->transform());
    // As the screen frames its emphasized widget.
    const Ui::Point a = Ui::to_parent(to_workspace, 0.0f, 0.0f);
    const Ui::Point b = Ui::to_parent(to_workspace, widget->width(), widget->height());
    return Ui::outward_pixel_box(a.x * m_pixel_scale, a.y * m_pixel_scale, b.x * m_pixel_scale, b.y * m_pixel_scale);
}

int EditorWorkspace::selection_part_at(float x, float y) const
{
    const std::optional<PixelBox> frame = selection_frame();
    if (!frame)
        return outside_selection;
    const float px = x * m_pixel_scale, py = y * m_pixel_scale;
    if (const int edges = handle_at(*frame, px, py))
        return edges;
    const bool inside = px >= frame->left && px < frame->right && py >= frame->top && py < frame->bottom;
    return inside ? inside_selection : outside_selection;
}

void EditorWorkspace::nudge_selection(int dx, int dy)
{
    if (!(m_document->width() > 0.0f) || !(m_document->height() > 0.0f))
        return;
    m_session->nudge_selection(static_cast<float>(dx) / m_pixel_scale / m_document->width(),
                               static_cast<float>(dy) / m_pixel_scale / m_document->height());
}

bool EditorWorkspace::handle_key(unsigned virtual_key, bool control, bool shift, bool alt)
{
    const EditorKeyCommand command = editor_key_command(virtual_key, control, shift, alt);
    switch (command.command) {
    case EditorCommand::copy:
        copy_to_clipboard();
        return true;
    case EditorCommand::undo:
        m_session->undo();
        return true;
    case EditorCommand::redo:
        m_session->redo();
        return true;
    case EditorCommand::nudge:
        if (current_tool() != Tool::edit || !selection() || !m_editing_allowed())
            return false;
        nudge_selection(command.dx, command.dy);
        return true;
    case EditorCommand::rename:
        begin_rename();
        return true;
    case EditorCommand::show_tool_windows:
        show_tool_windows();
        return true;
    default:
        return false;
    }
}

bool EditorWorkspace::handle_tool_window_key(unsigned virtual_key, bool control, bool shift)
{
    if (!tool_windows_pass_on(editor_key_command(virtual_key, control, shift, false).command))
        return false;
    return handle_key(virtual_key, control, shift, false);
}

void EditorWorkspace::show_tool_windows()
{
    if (m_tool_windows)
        m_tool_windows->show();
    else if (HWND owner = host_window())
        m_tool_windows = std::make_unique<EditorToolWindows>(*this, owner);
}

void EditorWorkspace::begin_rename()
{
    if (!selection())
        return;
    show_tool_windows();
    if (m_tool_windows)
        m_tool_windows->begin_rename();
}

HWND EditorWorkspace::host_window()
{
    auto* window = dynamic_cast<Gfx::NativeWindow*>(root());
    return window ? window->hwnd() : nullptr;
}

void EditorWorkspace::copy_to_clipboard()
{
    try {
        App::set_clipboard_text(host_window(), Platform::ansi_to_utf16(m_session->copy_as_lua()));
    } catch (const std::exception& failure) {
        m_session->report(u"Cannot copy: " + Platform::ansi_to_utf16(failure.what()));
    }
}

void EditorWorkspace::history_changed()
{
    m_tool_strip->set_history(m_session->can_undo(), m_session->can_redo());
}

void EditorWorkspace::status_changed()
{
    const std::u16string& status = m_session->status();
    m_tool_strip->set_status(std::wstring(status.begin(), status.end()));
}

void EditorWorkspace::choose_preview_resolution()
{
    HWND owner = host_window();
    if (!owner)
        return;
    HMENU menu = CreatePopupMenu();
    if (!menu)
        return;
    const std::vector<PreviewResolution>& resolutions = preview_resolutions();
    for (std::size_t i = 0; i < resolutions.size(); ++i) {
        AppendMenuW(menu, MF_STRING | (i == m_resolution ? MF_CHECKED : 0u), static_cast<UINT_PTR>(i + 1),
                    resolutions[i].label);
    }
    // Under the button: its lower-left corner in the window's device pixels.
    const Ui::TextToolButton* button = m_tool_strip->resolution_button();
    D2D1_MATRIX_3X2_F to_root = button->transform();
    for (const Ui::Element* up = button->parent(); up; up = up->parent())
        to_root = Ui::multiply(to_root, up->transform());
    const Ui::Point corner = Ui::to_parent(to_root, 0.0f, button->height());
    POINT point{static_cast<LONG>(std::lround(corner.x * m_pixel_scale)),
                static_cast<LONG>(std::lround(corner.y * m_pixel_scale))};
    ClientToScreen(owner, &point);
    // Else the menu may not close when the user clicks elsewhere.
    SetForegroundWindow(owner);
    const int chosen = static_cast<int>(TrackPopupMenuEx(menu, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RETURNCMD |
                                                                   TPM_NONOTIFY,
                                                         point.x, point.y, owner, nullptr));
    DestroyMenu(menu);
    if (chosen > 0)
        set_preview_resolution(static_cast<std::size_t>(chosen - 1));
}

bool EditorWorkspace::reload()
{
    std::unique_ptr<Screen::ScreenDocument> fresh;
    try {
        fresh = std::make_unique<Screen::ScreenDocument>(m_graphics, *m_mod, m_document->path());
    } catch (const std::exception& failure) {
        // The header above names the file: the strip's width goes to the reason.
        std::string message = failure.what();
        const std::string named = " " + m_document->path();
        const std::size_t at = message.find(named);
        if (at != std::string::npos)
            message.erase(at, named.size());
        m_session->set_load_problem(Platform::ansi_to_utf16(message) + u" \u2014 showing the last version that loaded");
        return false;
    }
    // The old document lives on until the session has told everyone: a new widget at a
    // freed address must not pass for one a tool window still lists.
    std::unique_ptr<Element> old = remove_child(m_document);
    m_document = insert(std::move(fresh), last_child());
    // The edits went with the old document; the preview stays.
    set_preview_resolution(m_resolution);
    m_session->replace_document(*m_document);
    old.reset();
    invalidate();
    return true;
}

void EditorWorkspace::redraw_resources(const Mod::ModChange& change)
{
    m_document->on_files_changed(change);
}

void EditorWorkspace::on_target_dropped()
{
    m_atlas.Reset();
    m_margin_shade.Reset();
    m_handle_fill.Reset();
    m_handle_ink.Reset();
    ContainerElement::on_target_dropped();
}

void EditorWorkspace::set_editing_allowed(std::function<bool()> predicate)
{
    m_editing_allowed = predicate ? std::move(predicate) : std::function<bool()>(always_allowed);
}

} // namespace Editor
