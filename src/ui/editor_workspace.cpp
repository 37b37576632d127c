#include "ui/editor_workspace.h"

#include "gfx/graphics_context.h"
#include "screen/editor_observer.h"
#include "screen/lua_writer.h"
#include "screen/screen_document.h"
#include "screen/widget.h"
#include "screen/widget_path.h"
#include "ui/ansi_text.h"
#include "ui/tool_atlas.h"
#include "ui/transform.h"

#include <algorithm>

namespace Ui {
namespace {

EditorWorkspace::ToolWindowFactory& tool_window_factory()
{
    static EditorWorkspace::ToolWindowFactory factory;
    return factory;
}

bool g_emphasize_selection = true; // user-interface thread only

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
    on_resized();
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
    ContainerElement::draw(target);
}

void EditorWorkspace::on_resized()
{
    const float strip_height = m_tool_strip->height();
    m_tool_strip->set_bounds(0.0f, 0.0f, m_width, strip_height);
    m_document->set_bounds(0.0f, strip_height, m_width, m_height - strip_height);
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
        if (current_tool() == Tool::select && button == MouseButton::left &&
            m_document->hit_test(local.x, local.y) == HitResult::yes) {
            select(widget_at(*m_document, local.x, local.y));
            return nullptr;
        }
        return ContainerElement::begin_drag(x, y, button);
    }
    const Point local = to_local(m_tool_strip->transform(), x, y);
    if (m_tool_strip->hit_test(local.x, local.y) == HitResult::yes)
        return m_tool_strip->begin_drag(local.x, local.y, button);
    return nullptr;
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
    on_resized();
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
