#include "screen/part_ownership.h"

#include "screen/presentation_item.h"
#include "screen/screen_document.h"
#include "screen/script_state.h"
#include "screen/widget.h"

#include <algorithm>

namespace Screen {
namespace {

WidgetPart* part_slot(Widget& owner, const std::string& key)
{
    for (const NamedPart& named : owner.named_parts())
        if (key == named.key)
            return named.part;
    return nullptr;
}

// Pushes the copy of the original table at `original`, made (and queued for its
// contents) when it has none yet.
void push_copy_of(lua_State* state, int original, int copy_of, int original_of, int queue, lua_Integer& queued)
{
    lua_pushvalue(state, original);
    lua_rawget(state, copy_of);
    if (!lua_isnil(state, -1))
        return;
    lua_pop(state, 1);
    lua_newtable(state);
    if (lua_getmetatable(state, original))
        lua_setmetatable(state, -2);
    lua_pushvalue(state, original);
    lua_pushvalue(state, -2);
    lua_rawset(state, copy_of);
    lua_pushvalue(state, -1);
    lua_pushvalue(state, original);
    lua_rawset(state, original_of);
    lua_pushvalue(state, original);
    lua_rawseti(state, queue, ++queued);
}

} // namespace

void push_deep_copy(lua_State* state, int copy_of, int original_of)
{
    luaL_checkstack(state, 12, "copy");
    const int root = lua_gettop(state);
    lua_newtable(state); // tables whose contents are still to copy
    const int queue = lua_gettop(state);
    lua_Integer queued = 0;
    push_copy_of(state, root, copy_of, original_of, queue, queued);
    // Breadth first, through a queue rather than recursion: a table may nest as deep as
    // memory allows, far past the C stack.
    for (lua_Integer next = 1; next <= queued; ++next) {
        lua_rawgeti(state, queue, next);
        lua_pushnil(state);
        lua_rawseti(state, queue, next);
        const int original = lua_gettop(state);
        lua_pushvalue(state, original);
        lua_rawget(state, copy_of);
        const int copy = lua_gettop(state);
        lua_pushnil(state);
        while (lua_next(state, original)) {
            if (lua_istable(state, -1)) {
                const int value = lua_gettop(state);
                push_copy_of(state, value, copy_of, original_of, queue, queued);
                lua_remove(state, value);
            }
            lua_pushvalue(state, -2);
            lua_insert(state, -2);
            lua_rawset(state, copy);
        }
        lua_settop(state, original - 1);
    }
    lua_remove(state, queue);
}

PartOwnership::PartOwnership(PartOwnership&& other) noexcept
    : m_document(other.m_document), m_lua(other.m_lua), m_boundaries(std::move(other.m_boundaries))
{
    other.m_lua = nullptr;
    other.m_boundaries.clear();
}

PartOwnership& PartOwnership::operator=(PartOwnership&& other) noexcept
{
    if (this != &other) {
        release();
        m_document = other.m_document;
        m_lua = other.m_lua;
        m_boundaries = std::move(other.m_boundaries);
        other.m_lua = nullptr;
        other.m_boundaries.clear();
    }
    return *this;
}

PartOwnership::~PartOwnership()
{
    release();
}

void PartOwnership::release() noexcept
{
    if (!m_lua || m_boundaries.empty())
        return;
    try {
        protected_call(m_lua, [this](lua_State* state) {
            for (const Boundary& boundary : m_boundaries)
                for (int ref : {boundary.copy, boundary.copy_of, boundary.original_of})
                    luaL_unref(state, LUA_REGISTRYINDEX, ref);
        });
    } catch (...) {
        // Only memory at the cap gets here: the references go with the state.
    }
    m_boundaries.clear();
    m_lua = nullptr;
}

PartOwnership PartOwnership::take(Widget& widget)
{
    PartOwnership ownership;
    if (!widget.attached())
        return ownership;
    // Innermost first while walking up; the copies are made outermost first, since an
    // inner part's owner reads an outer copy once that is taken.
    std::vector<std::pair<Widget*, const char*>> found;
    Ui::Element* node = &widget;
    while (Ui::Element* parent = node->parent()) {
        if (auto* owner = dynamic_cast<Widget*>(parent)) {
            for (const NamedPart& named : owner->named_parts())
                if (named.part->widget == node && named.part->from_style)
                    found.emplace_back(owner, named.key);
        }
        node = parent;
    }
    if (found.empty())
        return ownership;
    ownership.m_document = widget.screen();
    ownership.m_lua = widget.lua();
    try {
        for (auto it = found.rbegin(); it != found.rend(); ++it) {
            Widget* owner = it->first;
            Boundary boundary{owner, owner->serial(), it->second};
            protected_call(ownership.m_lua, [&](lua_State* state) {
                luaL_checkstack(state, 8, "part");
                lua_newtable(state);
                const int copy_of = lua_gettop(state);
                lua_newtable(state);
                const int original_of = lua_gettop(state);
                // The part's widget reads the style's table: that is what to copy.
                WidgetPart* slot = part_slot(*owner, boundary.key);
                lua_rawgeti(state, LUA_REGISTRYINDEX, slot->widget->ref());
                push_deep_copy(state, copy_of, original_of);
                boundary.copy = luaL_ref(state, LUA_REGISTRYINDEX);
                lua_pop(state, 1);
                boundary.original_of = luaL_ref(state, LUA_REGISTRYINDEX);
                boundary.copy_of = luaL_ref(state, LUA_REGISTRYINDEX);
            });
            ownership.m_boundaries.push_back(boundary);
            ownership.move(ownership.m_boundaries.back(), true);
        }
    } catch (...) {
        try {
            ownership.detach();
        } catch (...) {
        }
        throw;
    }
    return ownership;
}

void PartOwnership::attach()
{
    for (const Boundary& boundary : m_boundaries)
        move(boundary, true);
}

void PartOwnership::detach()
{
    for (auto it = m_boundaries.rbegin(); it != m_boundaries.rend(); ++it)
        move(*it, false);
}

void PartOwnership::move(const Boundary& boundary, bool own)
{
    Widget* owner = m_document ? m_document->live_widget(boundary.owner) : nullptr;
    if (!owner || owner->serial() != boundary.owner_serial || !owner->attached())
        return;
    WidgetPart* slot = part_slot(*owner, boundary.key);
    if (!slot || boundary.copy == LUA_NOREF)
        return;
    protected_call(m_lua, [&](lua_State* state) {
        luaL_checkstack(state, 6, "part");
        lua_rawgeti(state, LUA_REGISTRYINDEX, owner->ref());
        if (own)
            lua_rawgeti(state, LUA_REGISTRYINDEX, boundary.copy);
        else
            lua_pushnil(state);
        lua_setfield(state, -2, boundary.key.c_str());
        lua_pop(state, 1);
        slot->from_style = !own;
        if (slot->widget) {
            lua_rawgeti(state, LUA_REGISTRYINDEX, own ? boundary.copy_of : boundary.original_of);
            rebind(state, *slot->widget, lua_gettop(state));
            lua_pop(state, 1);
        }
    });
}

void PartOwnership::rebind(lua_State* state, Ui::Element& element, int map)
{
    luaL_checkstack(state, 4, "part");
    auto follow = [&](auto& built) {
        if (!built.attached())
            return;
        lua_rawgeti(state, LUA_REGISTRYINDEX, built.ref());
        lua_rawget(state, map);
        if (lua_istable(state, -1))
            built.rebind(state);
        lua_pop(state, 1);
    };
    if (auto* widget = dynamic_cast<Widget*>(&element))
        follow(*widget);
    else if (auto* item = dynamic_cast<PresentationItem*>(&element))
        follow(*item);
    if (auto* container = dynamic_cast<Ui::ContainerElement*>(&element))
        for (std::size_t i = 0; i < container->child_count(); ++i)
            rebind(state, *container->child(i), map);
}

} // namespace Screen
