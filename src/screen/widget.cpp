#include "screen/widget.h"

#include "screen/edit_history.h"
#include "screen/presentation_item.h"
#include "screen/screen_document.h"
#include "screen/script_state.h"
#include "screen/value_readers.h"
#include "screen/widget_types.h"

#include <atomic>
#include <charconv>
#include <stdexcept>

namespace Screen {

const char* const Widget::default_name = "Untitled";

namespace {

std::uint64_t next_serial()
{
    static std::atomic<std::uint64_t> counter{0};
    return ++counter;
}

} // namespace

Widget::Widget(ScreenDocument* screen) : m_screen(screen), m_serial(next_serial())
{
    m_width = 1.0f;
    m_height = 1.0f;
    m_screen->widget_created(this);
}

Widget::~Widget()
{
    // Children first, while the name entries and the document are still there for them.
    clear_children();
    m_art.clear();
    release_reference();
    m_screen->widget_destroyed(this);
}

void Widget::set_force_shown(bool shown)
{
    if (shown == m_force_shown)
        return;
    m_force_shown = shown;
    invalidate();
}

void Widget::invalidate()
{
    m_screen->widget_changed(this, true);
}

void Widget::on_chain_changed()
{
    // Most widgets look the same hovered or not: only a state the art shows counts.
    if (visual_state() != m_drawn_state)
        m_screen->widget_changed(this, false);
}

void Widget::release_reference()
{
    if (!m_lua)
        return;
    lua_State* lua = m_lua;
    const int ref = m_ref;
    m_lua = nullptr;
    m_ref = LUA_NOREF;
    try {
        protected_call(lua, [&](lua_State* L) {
            drop_name_entry(L);
            luaL_unref(L, LUA_REGISTRYINDEX, ref);
        });
    } catch (const std::exception&) {
        // Only a failing allocation gets here; the state is then closed with the document,
        // and the document no longer knows this widget whatever the registry says.
    }
}

bool Widget::type_is(Keyword keyword) const
{
    return m_type && is_keyword(*m_type, keyword);
}

void Widget::notify(int property)
{
    m_screen->notify(this, property);
}

void Widget::push_table(lua_State* state) const
{
    if (m_lua)
        lua_rawgeti(state, LUA_REGISTRYINDEX, m_ref);
    else
        lua_pushnil(state);
}

void Widget::write_field(const char* key, const std::function<void(lua_State*)>& push_value)
{
    protected_call(m_lua, [&](lua_State* state) {
        push_table(state);
        lua_pushstring(state, key);
        push_value(state);
        lua_settable(state, -3);
    });
}

namespace {

// The number a script writes for `value`: the double of the shortest text that gives the
// float back, so that 0.35 is written as 0.35 and not as the float's exact 0.349999994.
lua_Number script_number(float value)
{
    char text[32];
    const std::to_chars_result written = std::to_chars(text, text + sizeof(text), value);
    double number = value;
    std::from_chars(text, written.ptr, number);
    return number;
}

} // namespace

void Widget::push_pair(lua_State* state, float first, float second)
{
    lua_createtable(state, 2, 0);
    lua_pushnumber(state, script_number(first));
    lua_rawseti(state, -2, 1);
    lua_pushnumber(state, script_number(second));
    lua_rawseti(state, -2, 2);
}

void Widget::require_attached(const char* field) const
{
    if (!m_lua)
        throw std::runtime_error(std::string("Cannot set Widget::") + field + " until attached to Lua.");
}

void Widget::load(lua_State* state)
{
    if (!reference_top_table(state, m_lua, m_ref))
        return;
    const int table = lua_gettop(state);

    lua_getfield(state, table, "type");
    m_type = text_at(state, -1);
    lua_getfield(state, table, "name");
    std::optional<std::string> name = read_text(state, -1);
    m_name = name ? *name : default_name;
    enter_name(state);

    read_style_and_position(state, table);
    notify(Property::rectangle);

    read_size(state, table);
    read_art(state, table);

    read_shown_texts(state, table);
    read_tooltip_name(state, table);
    lua_settop(state, table);
    load_parts(state, table, false);
}

void Widget::enter_name(lua_State* state)
{
    lua_pushlstring(state, m_name.data(), m_name.size());
    lua_pushlightuserdata(state, this);
    lua_rawset(state, LUA_REGISTRYINDEX);
}

void Widget::drop_name_entry(lua_State* state)
{
    // Another widget may have taken the name since; its entry stays.
    lua_pushlstring(state, m_name.data(), m_name.size());
    lua_rawget(state, LUA_REGISTRYINDEX);
    const bool names_this = lua_touserdata(state, -1) == this;
    lua_pop(state, 1);
    if (names_this) {
        lua_pushlstring(state, m_name.data(), m_name.size());
        lua_pushnil(state);
        lua_rawset(state, LUA_REGISTRYINDEX);
    }
}

void Widget::take_name(lua_State* state, const std::optional<std::string>& name)
{
    const std::string taken = name ? *name : default_name;
    if (taken == m_name)
        return;
    drop_name_entry(state);
    m_name = taken;
    enter_name(state);
}

void Widget::read_tooltip_name(lua_State* state, int table)
{
    lua_getfield(state, table, "tooltip_name");
    m_tooltip_name = text_at(state, -1);
    lua_rawget(state, LUA_REGISTRYINDEX);
    m_tooltip_widget = m_screen->live_widget(lua_islightuserdata(state, -1) ? lua_touserdata(state, -1) : nullptr);
    if (m_tooltip_widget)
        m_tooltip_widget->m_is_tooltip_target = true;
    lua_pop(state, 1);
}

void Widget::read_style_and_position(lua_State* state, int table)
{
    lua_getfield(state, table, "style");
    auto style = read_style(state, -1);
    m_style_sheet = std::move(style.first);
    m_style_name = std::move(style.second);
    lua_getfield(state, table, "position");
    const Vector2 position = read_point(state, -1);
    m_transform.dx = position.x;
    m_transform.dy = position.y;
    lua_settop(state, table);
}

void Widget::read_shown_texts(lua_State* state, int table)
{
    lua_getfield(state, table, "visible");
    m_is_visible = read_switch(state, -1);
    lua_getfield(state, table, "text");
    m_text = read_text(state, -1);
    lua_getfield(state, table, "tooltip_text");
    std::optional<std::string> tooltip = read_text(state, -1);
    m_tooltip = tooltip ? *tooltip : std::string();
    lua_settop(state, table);
}

void Widget::push_own_or_styled(lua_State* state, int table, const char* key, bool& from_style)
{
    luaL_checkstack(state, 4, "widget");
    lua_getfield(state, table, key);
    from_style = lua_isnil(state, -1);
    if (!from_style)
        return;
    lua_pop(state, 1);
    if (m_screen->push_style(state, m_style_sheet, m_style_name)) {
        lua_getfield(state, -1, key);
        lua_remove(state, -2);
    } else {
        lua_pushnil(state);
    }
}

void Widget::read_size(lua_State* state, int table)
{
    push_own_or_styled(state, table, "size", m_size_from_style);
    Vector2 size = Screen::read_size(state, -1);
    lua_pop(state, 1);
    m_width = size.x > 0.0f ? size.x : 0.0f; // and NaN becomes 0
    m_height = size.y > 0.0f ? size.y : 0.0f;
    on_resized();
    notify(Property::rectangle);
}

void Widget::read_art(lua_State* state, int table)
{
    push_own_or_styled(state, table, "Presentation", m_art_from_style);
    if (lua_istable(state, -1))
        lua_getfield(state, -1, "Art");
    else
        lua_pushnil(state);
    const int art = lua_gettop(state);

    for (PresentationItem* item : m_art)
        remove_child(item).reset();
    m_art.clear();
    if (lua_istable(state, art)) {
        std::vector<std::unique_ptr<PresentationItem>> items;
        for (std::size_t n = lua_rawlen(state, art); n >= 1; --n) {
            lua_rawgeti(state, art, static_cast<lua_Integer>(n));
            if (std::unique_ptr<PresentationItem> item = create_item(m_screen, state))
                items.push_back(std::move(item));
            lua_pop(state, 1);
        }
        // Every item behind every child widget; a later Art entry over an earlier one.
        for (const auto& item : items)
            m_art.push_back(item.get());
        for (std::size_t i = items.size(); i-- > 0;)
            insert(std::move(items[i]), m_first_child_widget);
    }
    lua_pop(state, 2);
}

Widget* Widget::replace_part(lua_State* state, Widget* part)
{
    std::unique_ptr<Widget> replacement = create_widget(m_screen, state);
    if (part) {
        if (m_first_child_widget == part)
            m_first_child_widget = nullptr;
        remove_child(part).reset();
    }
    if (!replacement)
        return nullptr;
    Widget* inserted = insert(std::move(replacement), nullptr);
    if (!m_first_child_widget)
        m_first_child_widget = inserted;
    return inserted;
}

void Widget::load_part(lua_State* state, int table, const char* key, WidgetPart& part, bool restyle)
{
    if (restyle && !part.from_style)
        return;
    push_own_or_styled(state, table, key, part.from_style);
    part.widget = replace_part(state, part.widget);
    lua_pop(state, 1);
}

void Widget::reload_styled()
{
    if (!m_lua)
        return;
    protected_call(m_lua, [this](lua_State* state) {
        push_table(state);
        const int table = lua_gettop(state);
        if (m_size_from_style)
            read_size(state, table);
        if (m_art_from_style)
            read_art(state, table);
        load_parts(state, table, true);
    });
    invalidate();
}

void Widget::set_bounds(float x, float y, float width, float height)
{
    record_edit([&] {
        if (m_lua) {
            write_field("position", [&](lua_State* state) { push_pair(state, x, y); });
            // Another size than the style's is the widget's own from now on: shown and
            // written alike.
            const bool same_size = width == m_width && height == m_height;
            if (m_size_from_style && !same_size)
                m_size_from_style = false;
            if (!m_size_from_style)
                write_field("size", [&](lua_State* state) { push_pair(state, width, height); });
        }
        ContainerElement::set_bounds(x, y, width, height);
    });
    // Told once the new rectangle stands, so that whoever listens reads it.
    notify(Property::rectangle);
}

void Widget::record_edit(const std::function<void()>& change)
{
    EditHistory* history = m_lua ? m_screen->recording_history() : nullptr;
    if (!history) {
        change();
        return;
    }
    PartOwnership owned = PartOwnership::take(*this);
    try {
        FieldSnapshot before(*this);
        change();
        FieldSnapshot after(*this);
        history->record(*this, std::move(before), std::move(after), EditRun::current(), std::move(owned));
    } catch (...) {
        owned.detach();
        throw;
    }
}

void Widget::restore_fields(const FieldSnapshot& values)
{
    require_attached("fields");
    m_screen->hide_shown_tooltip();
    const FieldSnapshot::Summary& summary = values.summary();
    const bool restyle = summary.style_sheet != m_style_sheet || summary.style_name != m_style_name;
    protected_call(m_lua, [&](lua_State* state) {
        push_table(state);
        const int table = lua_gettop(state);
        for (std::size_t i = 0; i < FieldSnapshot::field_count; ++i) {
            lua_pushstring(state, FieldSnapshot::keys[i]);
            values.push(state, i);
            lua_settable(state, table);
        }
        // Read back as loading reads them.
        read_style_and_position(state, table);
        read_shown_texts(state, table);
        lua_getfield(state, table, "name");
        take_name(state, read_text(state, -1));
        lua_pop(state, 1);
        read_tooltip_name(state, table);
        read_size(state, table);
        if (restyle) {
            if (m_art_from_style)
                read_art(state, table);
            load_parts(state, table, true);
        }
    });
    // A size the style gave may stand in the table: the flag recorded says which it was.
    m_size_from_style = summary.size_from_style;
    for (int property : {Property::style, Property::rectangle, Property::visible, Property::text,
                         Property::tooltip_text, Property::name, Property::tooltip_widget})
        notify(property);
    invalidate();
}

void Widget::rebind(lua_State* state)
{
    if (!m_lua)
        return;
    // The registry slot takes the other table: every holder of the reference follows.
    lua_pushvalue(state, -1);
    lua_rawseti(state, LUA_REGISTRYINDEX, m_ref);
}

Ui::Element* Widget::element_at(float x, float y)
{
    if (!shown())
        return nullptr;
    Ui::Element* found = ContainerElement::element_at(x, y);
    return found ? found : this;
}

Ui::HitResult Widget::hit_test(float x, float y)
{
    if (!shown())
        return Ui::HitResult::no;
    return ContainerElement::hit_test(x, y);
}

int Widget::visual_state() const
{
    return (m_hover_state & Ui::chain_inside) ? state_hover : state_normal;
}

void Widget::set_visible(bool visible)
{
    require_attached("m_is_visible");
    record_edit([&] {
        write_field("visible", [&](lua_State* state) { lua_pushboolean(state, visible); });
        m_is_visible = visible;
    });
    notify(Property::visible);
    invalidate();
}

void Widget::set_text(const std::string& text)
{
    require_attached("m_text");
    record_edit([&] {
        write_field("text", [&](lua_State* state) { lua_pushlstring(state, text.data(), text.size()); });
        m_text = text;
    });
    notify(Property::text);
    invalidate();
}

void Widget::set_tooltip(const std::string& text)
{
    m_screen->hide_shown_tooltip();
    require_attached("m_tooltip");
    record_edit([&] {
        write_field("tooltip_text", [&](lua_State* state) { lua_pushlstring(state, text.data(), text.size()); });
        m_tooltip = text;
    });
    notify(Property::tooltip_text);
    invalidate();
}

void Widget::set_name(const std::string& name)
{
    require_attached("m_name");
    record_edit([&] {
        protected_call(m_lua, [&](lua_State* state) {
            push_table(state);
            lua_pushliteral(state, "name");
            lua_pushlstring(state, name.data(), name.size());
            lua_settable(state, -3);
            take_name(state, name);
        });
    });
    notify(Property::name);
}

void Widget::set_tooltip_name(const std::optional<std::string>& name)
{
    require_attached("m_tooltip_widget");
    record_edit([&] {
        protected_call(m_lua, [&](lua_State* state) {
            push_table(state);
            const int table = lua_gettop(state);
            lua_pushliteral(state, "tooltip_name");
            if (name)
                lua_pushlstring(state, name->data(), name->size());
            else
                lua_pushnil(state);
            lua_settable(state, table);
            read_tooltip_name(state, table);
        });
    });
    notify(Property::tooltip_widget);
}

void Widget::set_size_from_style(bool from_style)
{
    if (!m_lua) {
        m_size_from_style = from_style;
        return;
    }
    record_edit([&] {
        protected_call(m_lua, [&](lua_State* state) {
            push_table(state);
            const int table = lua_gettop(state);
            lua_pushliteral(state, "size");
            if (from_style) {
                if (m_screen->push_style(state, m_style_sheet, m_style_name)) {
                    lua_getfield(state, -1, "size");
                    lua_remove(state, -2);
                } else {
                    lua_pushnil(state);
                }
            } else {
                push_pair(state, m_width, m_height);
            }
            lua_settable(state, table);
            read_size(state, table);
        });
        // The style's size now stands in the table too; the choice made here is what
        // counts, and listeners told while reading the size saw the flag the table implies.
        m_size_from_style = from_style;
    });
    notify(Property::rectangle);
    invalidate();
}

void Widget::set_style(const std::string& sheet, const std::string& style)
{
    require_attached("m_style_name");
    record_edit([&] {
        write_field("style", [&](lua_State* state) {
            lua_createtable(state, 2, 0);
            lua_pushlstring(state, sheet.data(), sheet.size());
            lua_rawseti(state, -2, 1);
            lua_pushlstring(state, style.data(), style.size());
            lua_rawseti(state, -2, 2);
        });
        // A size taken from the old style may stand in the table (set_size_from_style
        // puts it there); it must not hide the new style's.
        if (m_size_from_style)
            write_field("size", [](lua_State* state) { lua_pushnil(state); });
        m_style_sheet = sheet;
        m_style_name = style;
        reload_styled();
    });
    notify(Property::style);
}

void Widget::forget_tooltip_widget(const Widget* destroyed)
{
    if (m_tooltip_widget == destroyed)
        m_tooltip_widget = nullptr;
}

std::unique_ptr<Widget> create_widget(ScreenDocument* screen, lua_State* state)
{
    if (!lua_istable(state, -1))
        return nullptr;
    ScreenDocument::BuildLevel level(*screen, state);
    lua_getfield(state, -1, "type");
    std::optional<std::string> type = text_at(state, -1);
    lua_pop(state, 1);
    std::unique_ptr<Widget> widget = make_widget_of_type(screen, type ? std::string_view(*type) : std::string_view());
    widget->load(state);
    return widget;
}

} // namespace Screen
