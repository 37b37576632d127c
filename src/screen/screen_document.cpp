#include "screen/screen_document.h"

#include "mod/loaded_mod.h"
#include "mod/mod_change.h"
#include "render/resource_set.h"
#include "render/texture_path.h"
#include "platform/text_encoding.h"
#include "screen/lua_writer.h"
#include "screen/presentation_item.h"
#include "screen/script_state.h"
#include "screen/widget.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace Screen {

const ColourTable* colours_of(const Mod::LoadedMod& mod)
{
    const auto* resources = dynamic_cast<const Render::ResourceSet*>(mod.resources());
    return resources ? resources->colours() : nullptr;
}

ScreenDocument::ScreenDocument(Gfx::GraphicsContext* graphics, const Mod::LoadedMod& mod, const std::string& path)
    : ScreenDocument(graphics,
                     ScreenSources{mod.files(), colours_of(mod), &mod, dynamic_cast<Render::ResourceSet*>(mod.resources())},
                     path)
{
}

ScreenDocument::ScreenDocument(Gfx::GraphicsContext* graphics, ScreenSources sources, const std::string& path,
                               const ScriptLimits& limits)
    : m_graphics(graphics), m_sources(std::move(sources)), m_path(path), m_limits(limits)
{
    try {
        build(path);
    } catch (...) {
        release_contents();
        throw;
    }
}

ScreenDocument::~ScreenDocument()
{
    release_contents();
}

void ScreenDocument::release_contents()
{
    // Widgets release their registry entries while the state is still open.
    m_closing = true;
    m_history.set_listener(nullptr);
    m_history.clear();
    m_emphasized = nullptr;
    m_shown_tooltip = nullptr;
    m_path_marked.clear();
    clear_children();
    m_widgets = nullptr;
    m_tooltip_widgets = nullptr;
    m_lua.reset();
    m_draw_cache.reset();
}

std::u16string ScreenDocument::resolve_text(const std::string& text) const
{
    return m_sources.mod ? m_sources.mod->resolve_text(text) : Platform::ansi_to_utf16(text);
}

void ScreenDocument::build(const std::string& path)
{
    Mod::BlobPtr file = m_sources.files ? m_sources.files->read(path) : nullptr;
    if (!file)
        throw std::runtime_error("Cannot open screen file " + path);

    m_lua = create_script_state(m_limits);
    lua_State* L = m_lua.get();
    open_string_methods(L);

    const char* step = "load";
    int status = load_chunk(L, std::move(file));
    if (status == LUA_OK)
        status = run(L, 0);
    if (status == LUA_OK) {
        lua_pushcfunction(L, load_style_sheets);
        lua_pushlightuserdata(L, this);
        if (run(L, 1) != LUA_OK)
            lua_pop(L, 1); // a broken sheet never stops the screen (style_problems() tells)
        step = "instantiate";
        lua_pushcfunction(L, instantiate);
        lua_pushlightuserdata(L, this);
        status = run(L, 1);
    }
    if (status != LUA_OK) {
        std::string message = std::string("Cannot ") + step + " screen file " + path + ": " + error_text(L);
        throw std::runtime_error(message);
    }
    lua_settop(L, 0);
}

int ScreenDocument::load_style_sheets(lua_State* state)
{
    return host_function_guard(state, [](lua_State* L) {
        auto* document = static_cast<ScreenDocument*>(lua_touserdata(L, 1));
        if (document->m_sources.files)
            document->m_styles.load(L, *document->m_sources.files);
        return 0;
    });
}

int ScreenDocument::instantiate(lua_State* state)
{
    return host_function_guard(state, [](lua_State* L) {
        auto* document = static_cast<ScreenDocument*>(lua_touserdata(L, 1));
        lua_getglobal(L, "Screen");
        if (!lua_istable(L, -1))
            return 0;
        const int screen = lua_gettop(L);
        lua_getfield(L, screen, "TooltipWidgets");
        if (std::unique_ptr<Widget> tooltips = create_widget(document, L))
            document->m_tooltip_widgets = document->insert(std::move(tooltips), nullptr);
        lua_settop(L, screen);
        lua_getfield(L, screen, "Widgets");
        // Behind the tooltip widgets, which show over the screen they explain.
        if (std::unique_ptr<Widget> widgets = create_widget(document, L))
            document->m_widgets = document->insert(std::move(widgets), document->last_child());
        lua_settop(L, screen);
        return 0;
    });
}

D2D1_MATRIX_3X2_F ScreenDocument::transform() const
{
    D2D1_MATRIX_3X2_F m = m_transform;
    m.m11 = m_width;
    m.m12 = 0.0f;
    m.m21 = 0.0f;
    m.m22 = m_height;
    return m;
}

void ScreenDocument::set_design_size(float width, float height)
{
    const bool valid = width > 0.0f && height > 0.0f && std::isfinite(width) && std::isfinite(height);
    m_design_width = valid ? width : 0.0f;
    m_design_height = valid ? height : 0.0f;
    invalidate();
}

float ScreenDocument::text_area_width() const
{
    const float width = m_design_width > 0.0f ? m_design_width : m_width;
    const float height = m_design_height > 0.0f ? m_design_height : m_height;
    return std::sqrt(width * height * 4.0f / 3.0f);
}

float ScreenDocument::text_zoom() const
{
    if (!(m_design_width > 0.0f && m_design_height > 0.0f))
        return 1.0f;
    // Uniform: the workspace keeps the design size's proportions.
    return std::sqrt(m_width * m_height / (m_design_width * m_design_height));
}

Ui::HitResult ScreenDocument::hit_test(float x, float y)
{
    // Local coordinates are document units: the screen is the unit square.
    return x >= 0.0f && x < 1.0f && y >= 0.0f && y < 1.0f ? Ui::HitResult::yes : Ui::HitResult::no;
}

namespace {

// Whether the change touches a file the texture may be read from: the one it reads, or
// one that now stands before it.
bool texture_changed(const std::string& texture, const Mod::ModChange& change)
{
    const std::vector<std::string> candidates = Render::texture_candidates(Render::texture_key(texture));
    return std::any_of(candidates.begin(), candidates.end(),
                       [&](const std::string& candidate) { return change.has(candidate); });
}

void tell_resources_changed(Ui::Element& element)
{
    if (auto* item = dynamic_cast<PresentationItem*>(&element))
        item->on_resources_changed();
    if (auto* container = dynamic_cast<Ui::ContainerElement*>(&element))
        for (std::size_t i = 0; i < container->child_count(); ++i)
            tell_resources_changed(*container->child(i));
}

} // namespace

void ScreenDocument::on_files_changed(const Mod::ModChange& change)
{
    // Brushes and bitmaps stay: the target is the same, and a changed texture is read
    // again by the cache at its next request.
    if (change.everything() || change.font_files() || !change.font_descriptions().empty() || change.ucs_tables()) {
        tell_resources_changed(*this); // the tooltip widgets too: they are children
        invalidate();
        return;
    }
    // Only textures: drawn again where their images show.
    if (!m_redraw_all) {
        for (const Widget* widget : m_live_widgets) {
            for (const PresentationItem* item : widget->art()) {
                const auto* image = dynamic_cast<const ImageItem*>(item);
                if (image && texture_changed(image->texture(), change))
                    m_dirty.add(image->device_box());
            }
        }
    }
    ContainerElement::invalidate();
}

void ScreenDocument::add_observer(std::weak_ptr<EditorObserver> observer)
{
    m_observers.push_back(std::move(observer));
}

void ScreenDocument::notify(Widget* widget, int property)
{
    // By index: an observer may register another while it is told.
    for (std::size_t i = 0; i < m_observers.size();) {
        if (std::shared_ptr<EditorObserver> observer = m_observers[i].lock()) {
            observer->property_changed(widget, property);
            ++i;
        } else {
            m_observers.erase(m_observers.begin() + static_cast<std::ptrdiff_t>(i));
        }
    }
}

void ScreenDocument::set_path_mark(Widget* widget, bool shown)
{
    for (std::size_t i = 0; i < widget->child_count(); ++i) {
        if (auto* child = dynamic_cast<Widget*>(widget->child(i))) {
            child->set_force_shown(shown);
            m_path_marked.push_back(child);
        }
    }
    for (Ui::Element* up = widget; up && up != this; up = up->parent()) {
        if (auto* ancestor = dynamic_cast<Widget*>(up)) {
            ancestor->set_force_shown(shown);
            m_path_marked.push_back(ancestor);
        }
    }
}

void ScreenDocument::set_emphasized(Widget* widget)
{
    for (Widget* marked : m_path_marked)
        marked->set_force_shown(false);
    m_path_marked.clear();
    m_emphasized = live_widget(widget);
    if (m_emphasized)
        set_path_mark(m_emphasized, true);
    invalidate();
}

void ScreenDocument::set_dim(float factor)
{
    m_dim = factor;
    invalidate();
}

bool ScreenDocument::push_style(lua_State* state, const std::optional<std::string>& sheet,
                                const std::optional<std::string>& style) const
{
    return m_styles.push_style(state, sheet ? sheet->c_str() : nullptr, style ? style->c_str() : nullptr);
}

const std::vector<StyleName>& ScreenDocument::styles_for_type(std::string_view widget_type) const
{
    return m_styles.styles_for_type(widget_type);
}

void ScreenDocument::show_tooltip(Widget* tooltip, const std::string& text)
{
    if (m_shown_tooltip && m_shown_tooltip != tooltip)
        hide_shown_tooltip();
    m_shown_tooltip = tooltip;
    if (tooltip) {
        // The game's own doing while the pointer hovers, not an edit to undo.
        const HoverEffect effect(*this);
        tooltip->set_text(text);
    }
}

void ScreenDocument::hide_shown_tooltip()
{
    Widget* shown = m_shown_tooltip;
    m_shown_tooltip = nullptr;
    if (shown) {
        const HoverEffect effect(*this);
        shown->set_text(std::string());
    }
}

void ScreenDocument::widget_created(Widget* widget)
{
    m_live_widgets.insert(widget);
}

void ScreenDocument::widget_destroyed(Widget* widget)
{
    m_live_widgets.erase(widget);
    if (m_closing)
        return;
    m_changed.erase(widget);
    if (!m_redraw_all)
        m_dirty.add(widget->m_subtree_box);
    if (m_shown_tooltip == widget)
        m_shown_tooltip = nullptr;
    for (std::size_t i = 0; i < m_path_marked.size();) {
        if (m_path_marked[i] == widget)
            m_path_marked.erase(m_path_marked.begin() + static_cast<std::ptrdiff_t>(i));
        else
            ++i;
    }
    if (m_emphasized == widget) {
        // Its ancestors live on: they must not stay shown for it.
        for (Widget* marked : m_path_marked)
            marked->set_force_shown(false);
        m_path_marked.clear();
        m_emphasized = nullptr;
    }
    // Rare (a rebuilt part that was some widget's tooltip), so a walk is fine.
    if (widget->is_tooltip_target()) {
        for (const Widget* live : m_live_widgets)
            const_cast<Widget*>(live)->forget_tooltip_widget(widget);
    }
}

Widget* ScreenDocument::live_widget(void* candidate) const
{
    auto* widget = static_cast<Widget*>(candidate);
    return widget && m_live_widgets.count(widget) ? widget : nullptr;
}

std::vector<Widget*> ScreenDocument::live_widgets() const
{
    std::vector<Widget*> widgets;
    widgets.reserve(m_live_widgets.size());
    for (const Widget* widget : m_live_widgets)
        widgets.push_back(const_cast<Widget*>(widget));
    std::sort(widgets.begin(), widgets.end(),
              [](const Widget* a, const Widget* b) { return a->serial() < b->serial(); });
    return widgets;
}

std::string ScreenDocument::lua_text(const Widget* widget) const
{
    lua_State* L = m_lua.get();
    LuaWriteOptions options;
    protected_call(L, [&](lua_State* state) {
        for (const Widget* live : m_live_widgets) {
            if (live->attached() && live->size_from_style()) {
                lua_rawgeti(state, LUA_REGISTRYINDEX, live->ref());
                options.style_sized.insert(lua_topointer(state, -1));
                lua_pop(state, 1);
            }
        }
    });
    if (!widget || !widget->attached())
        return write_screen_table(L, options);
    std::string text;
    protected_call(L, [&](lua_State* state) {
        lua_rawgeti(state, LUA_REGISTRYINDEX, widget->ref());
        text = write_lua_value(state, -1, 0, options) + "\n";
    });
    return text;
}

bool ScreenDocument::name_taken(const std::string& name, const Widget* widget) const
{
    bool taken = false;
    protected_call(m_lua.get(), [&](lua_State* L) {
        lua_pushlstring(L, name.data(), name.size());
        lua_rawget(L, LUA_REGISTRYINDEX);
        if (lua_islightuserdata(L, -1)) {
            Widget* named = live_widget(lua_touserdata(L, -1));
            taken = named && named != widget;
        } else {
            taken = !lua_isnil(L, -1);
        }
        lua_pop(L, 1);
    });
    return taken;
}

ScreenDocument::BuildLevel::BuildLevel(ScreenDocument& document, lua_State* state) : m_document(document)
{
    if (document.m_build_depth >= max_nesting)
        luaL_error(state, "widget tables are nested more than %d deep", max_nesting);
    if (document.m_live_widgets.size() + document.m_live_items >= max_elements)
        luaL_error(state, "the screen has more than %d widgets and items", static_cast<int>(max_elements));
    luaL_checkstack(state, 16, "widget tables");
    ++document.m_build_depth;
}

} // namespace Screen
