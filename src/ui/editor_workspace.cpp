#include "ui/editor_workspace.h"

#include "app/clipboard.h"
#include "app/d2d_calls.h"
#include "gfx/graphics_context.h"
#include "gfx/native_window.h"
#include "platform/text_encoding.h"
#include "screen/editor_observer.h"
#include "screen/lua_writer.h"
#include "screen/screen_document.h"
#include "screen/widget.h"
#include "screen/widget_path.h"
#include "ui/ansi_text.h"
#include "ui/editor_keys.h"
#include "ui/text_tool_button.h"
#include "ui/tool_atlas.h"
#include "ui/transform.h"
#include "ui/widget_drag.h"

#include <algorithm>
#include <cmath>

namespace Ui {
namespace {

EditorWorkspace::ToolWindowFactory& tool_window_factory()
{
    static EditorWorkspace::ToolWindowFactory factory;
    return factory;
}

bool g_emphasize_selection = true; // user-interface thread only
std::size_t g_preview_resolution = 0; // the last chosen, for the next screen opened

bool lists_as_child(const Screen::Widget& parent, const Screen::Widget* widget)
{
    const std::vector<Screen::Widget*>* children = parent.child_widgets();
    return children && std::find(children->begin(), children->end(), widget) != children->end();
}

// By rectangles, not by what the game would let the pointer hit: a label takes no input
// in the game, but is picked here all the same. Children are searched first, front to
// back, also where they reach outside their parent. A group that draws nothing of its
// own is taken only with `groups`: screens lay full-screen groups over everything.
Screen::Widget* deepest_shown_widget(Screen::Widget& widget, float x, float y, bool groups)
{
    if (!widget.shown())
        return nullptr;
    const Point local = to_local(widget.transform(), x, y);
    for (std::size_t i = 0; i < widget.child_count(); ++i) {
        if (auto* child = dynamic_cast<Screen::Widget*>(widget.child(i))) {
            if (Screen::Widget* found = deepest_shown_widget(*child, local.x, local.y, groups))
                return found;
        }
    }
    const bool bare_group = widget.child_widgets() && widget.art().empty();
    return (groups || !bare_group) && widget.covers(local.x, local.y) ? &widget : nullptr;
}

} // namespace

void EditorWorkspace::set_tool_window_factory(ToolWindowFactory factory)
{
    tool_window_factory() = std::move(factory);
}

EditorWorkspace::EditorWorkspace(Gfx::GraphicsContext* graphics, const Mod::LoadedMod& mod,
                                 const std::string& screen_path)
    : m_graphics(graphics), m_mod(&mod)
{
    m_tool_strip = insert(std::make_unique<ToolStrip>(graphics->dwrite_factory.Get(), m_atlas), last_child());
    m_document = insert(std::make_unique<Screen::ScreenDocument>(graphics, mod, screen_path), last_child());
    // The screen view has nothing to take them yet; they stay listed here meanwhile.
    m_window_name = name_from_path(screen_path);
    m_tool_strip->set_actions({[this] { undo(); }, [this] { redo(); }, [this] { copy_to_clipboard(); },
                               [this] { choose_preview_resolution(); }});
    attach_history();
    set_preview_resolution(g_preview_resolution);
    if (tool_window_factory())
        m_tool_windows = tool_window_factory()(*this);
}

EditorWorkspace::~EditorWorkspace()
{
    m_tool_windows.reset();
    // The children go while the atlas they point at still exists.
    clear_children();
}

std::string EditorWorkspace::name_from_path(const std::string& path)
{
    const std::size_t separator = path.find_last_of("\\/");
    return separator == std::string::npos ? path : path.substr(separator + 1);
}

void EditorWorkspace::draw(ID2D1RenderTarget* target)
{
    if (!m_atlas)
        m_atlas = compose_tool_atlas(target, m_graphics->wic_factory.Get());
    float dpi_x = 96.0f, dpi_y = 96.0f;
    target->GetDpi(&dpi_x, &dpi_y);
    m_pixel_scale = dpi_x > 0.0f ? dpi_x / 96.0f : 1.0f;
    m_document->set_handles_shown(current_tool() == Tool::edit && m_editing_allowed());
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
}

Element* EditorWorkspace::element_at(float x, float y)
{
    if (m_editing_allowed())
        return ContainerElement::element_at(x, y);
    const Point local = to_local(m_tool_strip->transform(), x, y);
    if (m_tool_strip->hit_test(local.x, local.y) == HitResult::yes)
        return m_tool_strip->element_at(local.x, local.y);
    return this;
}

std::unique_ptr<DragTracker> EditorWorkspace::begin_drag(float x, float y, MouseButton button)
{
    if (m_editing_allowed()) {
        const Point local = to_local(m_document->transform(), x, y);
        const bool in_screen = m_document->hit_test(local.x, local.y) == HitResult::yes;
        if (current_tool() == Tool::select && button == MouseButton::left && in_screen) {
            select(widget_at(*m_document, local.x, local.y));
            return nullptr;
        }
        if (current_tool() == Tool::edit && button == MouseButton::left) {
            // Handles reach a little outside the screen.
            const int part = selection_part_at(x, y);
            if (part != 0 && selection())
                return std::make_unique<WidgetDrag>(*this, *selection(), part < 0 ? 0 : part);
            if (!in_screen)
                return ContainerElement::begin_drag(x, y, button);
            select(widget_at(*m_document, local.x, local.y));
            if (Screen::Widget* widget = selection())
                return std::make_unique<WidgetDrag>(*this, *widget, 0);
            return nullptr;
        }
        return ContainerElement::begin_drag(x, y, button);
    }
    const Point local = to_local(m_tool_strip->transform(), x, y);
    if (m_tool_strip->hit_test(local.x, local.y) == HitResult::yes)
        return m_tool_strip->begin_drag(local.x, local.y, button);
    return nullptr;
}

CursorKind EditorWorkspace::cursor_at(float x, float y)
{
    if (m_editing_allowed() && current_tool() == Tool::edit) {
        const int part = selection_part_at(x, y);
        if (part != 0)
            return WidgetDrag::cursor_for(part < 0 ? 0 : part);
        const Point local = to_local(m_document->transform(), x, y);
        if (m_document->hit_test(local.x, local.y) == HitResult::yes)
            return CursorKind::arrow;
    }
    return ContainerElement::cursor_at(x, y);
}

std::optional<PixelBox> EditorWorkspace::selection_frame() const
{
    Screen::Widget* widget = selection();
    if (!widget)
        return std::nullopt;
    D2D1_MATRIX_3X2_F to_workspace = widget->transform();
    for (Element* up = widget->parent(); up && up != m_document; up = up->parent())
        to_workspace = multiply(to_workspace, up->transform());
    to_workspace = multiply(to_workspace, m_document->transform());
    // As the screen frames its emphasized widget.
    const Point a = to_parent(to_workspace, 0.0f, 0.0f);
    const Point b = to_parent(to_workspace, widget->width(), widget->height());
    return outward_pixel_box(a.x * m_pixel_scale, a.y * m_pixel_scale, b.x * m_pixel_scale, b.y * m_pixel_scale);
}

int EditorWorkspace::selection_part_at(float x, float y) const
{
    const std::optional<PixelBox> frame = selection_frame();
    if (!frame)
        return 0;
    const float px = x * m_pixel_scale, py = y * m_pixel_scale;
    if (const int edges = handle_at(*frame, px, py))
        return edges;
    return px >= frame->left && px < frame->right && py >= frame->top && py < frame->bottom ? -1 : 0;
}

void EditorWorkspace::nudge_selection(int dx, int dy)
{
    Screen::Widget* widget = selection();
    if (!widget || !(m_document->width() > 0.0f) || !(m_document->height() > 0.0f))
        return;
    const float step_x = static_cast<float>(dx) / m_pixel_scale / m_document->width();
    const float step_y = static_cast<float>(dy) / m_pixel_scale / m_document->height();
    try {
        widget->set_bounds(widget->x() + step_x, widget->y() + step_y, widget->width(), widget->height());
    } catch (const std::exception& failure) {
        m_tool_strip->set_status(ansi_to_wide(failure.what()));
    }
    widget->invalidate();
}

bool EditorWorkspace::handle_key(unsigned virtual_key, bool control, bool shift, bool alt)
{
    const EditorKeyCommand command = editor_key_command(virtual_key, control, shift, alt);
    switch (command.command) {
    case EditorCommand::copy:
        copy_to_clipboard();
        return true;
    case EditorCommand::undo:
        undo();
        return true;
    case EditorCommand::redo:
        redo();
        return true;
    case EditorCommand::nudge:
        if (current_tool() != Tool::edit || !selection() || !m_editing_allowed())
            return false;
        nudge_selection(command.dx, command.dy);
        return true;
    default:
        return false;
    }
}

bool EditorWorkspace::handle_tool_window_key(unsigned virtual_key, bool control, bool shift)
{
    const EditorCommand command = editor_key_command(virtual_key, control, shift, false).command;
    if (command != EditorCommand::undo && command != EditorCommand::redo && command != EditorCommand::copy)
        return false;
    return handle_key(virtual_key, control, shift, false);
}

HWND EditorWorkspace::host_window()
{
    auto* window = dynamic_cast<Gfx::NativeWindow*>(root());
    return window ? window->hwnd() : nullptr;
}

void EditorWorkspace::copy_to_clipboard()
{
    try {
        App::set_clipboard_text(host_window(), Platform::ansi_to_utf16(copy_as_lua()));
    } catch (const std::exception& failure) {
        m_tool_strip->set_status(L"Cannot copy: " + ansi_to_wide(failure.what()));
    }
}

bool EditorWorkspace::undo()
{
    return step_history(false);
}

bool EditorWorkspace::redo()
{
    return step_history(true);
}

bool EditorWorkspace::step_history(bool forward)
{
    Screen::EditHistory& history = m_document->history();
    if (!(forward ? history.can_redo() : history.can_undo()))
        return false;
    Screen::Widget* widget = nullptr;
    try {
        widget = forward ? history.redo(*m_document) : history.undo(*m_document);
    } catch (const std::exception& failure) {
        m_tool_strip->set_status(ansi_to_wide(failure.what()));
    }
    // The selection goes to what changed, so that the grid shows it.
    if (widget)
        select(widget);
    m_document->invalidate();
    return true;
}

void EditorWorkspace::attach_history()
{
    m_document->history().set_listener([this] { history_changed(); });
    history_changed();
}

void EditorWorkspace::history_changed()
{
    const Screen::EditHistory& history = m_document->history();
    m_tool_strip->set_history(history.can_undo(), history.can_redo());
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
    const TextToolButton* button = m_tool_strip->resolution_button();
    D2D1_MATRIX_3X2_F to_root = button->transform();
    for (const Element* up = button->parent(); up; up = up->parent())
        to_root = multiply(to_root, up->transform());
    const Point corner = to_parent(to_root, 0.0f, button->height());
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
        m_tool_strip->set_status(ansi_to_wide(message) + L" \u2014 showing the last version that loaded");
        return false;
    }
    const Screen::WidgetPath selected = selection() ? Screen::path_of(*selection()) : Screen::WidgetPath();
    select(nullptr);
    // The old document lives on until the tool windows have let go of its widgets: a new
    // widget at a freed address must not pass for one they still list.
    std::unique_ptr<Element> old = remove_child(m_document);
    m_document = insert(std::move(fresh), last_child());
    // The edits went with the old document; the preview stays.
    attach_history();
    set_preview_resolution(m_resolution);
    m_tool_strip->set_status(std::wstring());
    if (m_tool_windows)
        m_tool_windows->document_replaced();
    if (!selected.empty())
        select(Screen::find_widget(*m_document, selected));
    old.reset();
    invalidate();
    return true;
}

std::string EditorWorkspace::copy_as_lua() const
{
    lua_State* L = m_document->lua();
    Screen::Widget* widget = selection();
    if (!widget || !widget->attached())
        return Screen::write_screen_table(L);
    lua_rawgeti(L, LUA_REGISTRYINDEX, widget->ref());
    try {
        std::string text = Screen::write_lua_value(L, -1);
        lua_pop(L, 1);
        return text + "\n";
    } catch (...) {
        lua_pop(L, 1);
        throw;
    }
}

void EditorWorkspace::redraw_resources()
{
    m_document->on_target_dropped();
    m_document->invalidate();
}

void EditorWorkspace::on_target_dropped()
{
    m_atlas.Reset();
    m_margin_shade.Reset();
    ContainerElement::on_target_dropped();
}

void EditorWorkspace::set_editing_allowed(std::function<bool()> predicate)
{
    m_editing_allowed = predicate ? std::move(predicate) : std::function<bool()>(always_allowed);
}

Screen::Widget* EditorWorkspace::selection() const
{
    return m_document->live_widget(m_selection);
}

void EditorWorkspace::select(Screen::Widget* widget)
{
    widget = m_document->live_widget(widget);
    if (widget == selection())
        return;
    m_selection = widget;
    m_document->set_dim(selection_dim());
    if (m_document->emphasized() != widget)
        m_document->set_emphasized(widget);
    m_document->invalidate();
    // By index: an observer may register another while it is told.
    for (std::size_t i = 0; i < m_observers.size();) {
        if (std::shared_ptr<Screen::EditorObserver> observer = m_observers[i].lock()) {
            observer->selection_changed(widget);
            ++i;
        } else {
            m_observers.erase(m_observers.begin() + static_cast<std::ptrdiff_t>(i));
        }
    }
}

void EditorWorkspace::add_observer(std::weak_ptr<Screen::EditorObserver> observer)
{
    m_observers.push_back(std::move(observer));
}

bool EditorWorkspace::emphasize_selection()
{
    return g_emphasize_selection;
}

void EditorWorkspace::set_emphasize_selection(bool emphasize)
{
    g_emphasize_selection = emphasize;
}

float EditorWorkspace::selection_dim()
{
    return g_emphasize_selection ? 0.25f : 1.0f;
}

Screen::Widget* EditorWorkspace::widget_at(Screen::ScreenDocument& document, float x, float y)
{
    Screen::Widget* widget = nullptr;
    for (bool groups : {false, true}) {
        for (std::size_t i = 0; i < document.child_count() && !widget; ++i) {
            if (auto* child = dynamic_cast<Screen::Widget*>(document.child(i)))
                widget = deepest_shown_widget(*child, x, y, groups);
        }
    }
    // A composite's parts are not listed as children: the widget they belong to is.
    while (widget) {
        Screen::Widget* owner = nullptr;
        for (ContainerElement* e = widget->parent(); e && e != &document && !owner; e = e->parent())
            owner = dynamic_cast<Screen::Widget*>(e);
        if (!owner || lists_as_child(*owner, widget))
            break;
        widget = owner;
    }
    return widget;
}

} // namespace Ui
