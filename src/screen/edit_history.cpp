#include "screen/edit_history.h"

#include "screen/screen_document.h"
#include "screen/script_state.h"
#include "screen/widget.h"

#include <atomic>
#include <cmath>

namespace Screen {

const std::array<const char*, FieldSnapshot::field_count> FieldSnapshot::keys = {
    "position", "size", "visible", "text", "tooltip_text", "style"};

namespace {

bool same_number(float a, float b)
{
    return a == b || (std::isnan(a) && std::isnan(b));
}

thread_local std::uint64_t t_current_run = 0;

} // namespace

bool FieldSnapshot::Summary::operator==(const Summary& other) const
{
    return same_number(x, other.x) && same_number(y, other.y) && same_number(width, other.width) &&
           same_number(height, other.height) && size_from_style == other.size_from_style && visible == other.visible &&
           text == other.text && tooltip == other.tooltip && style_sheet == other.style_sheet &&
           style_name == other.style_name;
}

FieldSnapshot::FieldSnapshot(const Widget& widget)
{
    m_refs.fill(LUA_NOREF);
    m_summary = {widget.x(),          widget.y(),          widget.width(),
                 widget.height(),     widget.size_from_style(), widget.is_visible(),
                 widget.text(),       widget.tooltip(),    widget.style_sheet(),
                 widget.style_name()};
    if (!widget.attached())
        return;
    m_lua = widget.lua();
    try {
        protected_call(m_lua, [&](lua_State* L) {
            lua_rawgeti(L, LUA_REGISTRYINDEX, widget.ref());
            const int table = lua_gettop(L);
            for (std::size_t i = 0; i < field_count; ++i) {
                lua_getfield(L, table, keys[i]);
                m_refs[i] = luaL_ref(L, LUA_REGISTRYINDEX);
            }
        });
    } catch (...) {
        release();
        throw;
    }
}

FieldSnapshot::FieldSnapshot(FieldSnapshot&& other) noexcept
    : m_lua(other.m_lua), m_refs(other.m_refs), m_summary(std::move(other.m_summary))
{
    other.m_lua = nullptr;
}

FieldSnapshot& FieldSnapshot::operator=(FieldSnapshot&& other) noexcept
{
    if (this != &other) {
        release();
        m_lua = other.m_lua;
        m_refs = other.m_refs;
        m_summary = std::move(other.m_summary);
        other.m_lua = nullptr;
    }
    return *this;
}

FieldSnapshot::~FieldSnapshot()
{
    release();
}

void FieldSnapshot::release() noexcept
{
    if (!m_lua)
        return;
    // Freeing a reference only rewrites slots the registry already has: nothing allocates.
    for (int ref : m_refs)
        luaL_unref(m_lua, LUA_REGISTRYINDEX, ref);
    m_lua = nullptr;
}

void FieldSnapshot::push(lua_State* state, std::size_t i) const
{
    if (m_lua && i < field_count)
        lua_rawgeti(state, LUA_REGISTRYINDEX, m_refs[i]);
    else
        lua_pushnil(state);
}

std::uint64_t EditRun::next_id()
{
    static std::atomic<std::uint64_t> counter{0};
    return ++counter;
}

std::uint64_t EditRun::current()
{
    return t_current_run;
}

EditRun::EditRun(std::uint64_t id) : m_previous(t_current_run)
{
    t_current_run = id;
}

EditRun::~EditRun()
{
    t_current_run = m_previous;
}

void EditHistory::record(const Widget& widget, FieldSnapshot before, FieldSnapshot after, std::uint64_t run)
{
    if (m_done < m_steps.size()) {
        m_steps.erase(m_steps.begin() + static_cast<std::ptrdiff_t>(m_done), m_steps.end());
        m_joinable = false;
    }
    if (m_joinable && run != 0 && !m_steps.empty()) {
        Step& last = m_steps.back();
        if (last.run == run && last.widget == &widget && last.serial == widget.serial()) {
            if (last.before.summary() == after.summary()) {
                // Typed and taken back: the run leaves nothing to undo.
                m_steps.pop_back();
                m_done = m_steps.size();
                m_joinable = false;
            } else {
                last.after = std::move(after);
            }
            changed();
            return;
        }
    }
    if (before.summary() == after.summary())
        return;
    if (m_steps.size() >= max_steps)
        m_steps.erase(m_steps.begin());
    m_steps.push_back(Step{&widget, widget.serial(), std::move(before), std::move(after), run});
    m_done = m_steps.size();
    m_joinable = run != 0;
    changed();
}

Widget* EditHistory::undo(ScreenDocument& document)
{
    if (!can_undo())
        return nullptr;
    Step& step = m_steps[--m_done];
    return apply(document, step, step.before);
}

Widget* EditHistory::redo(ScreenDocument& document)
{
    if (!can_redo())
        return nullptr;
    Step& step = m_steps[m_done++];
    return apply(document, step, step.after);
}

Widget* EditHistory::apply(ScreenDocument& document, Step& step, const FieldSnapshot& values)
{
    m_joinable = false;
    Widget* widget = document.live_widget(const_cast<Widget*>(step.widget));
    // A composite part rebuilt since may sit at the same address: the serial tells.
    if (widget && widget->serial() != step.serial)
        widget = nullptr;
    struct Applying {
        EditHistory& history;
        ~Applying()
        {
            history.m_applying = false;
            history.changed();
        }
    } applying{*this};
    m_applying = true;
    if (widget)
        widget->restore_fields(values);
    return widget;
}

void EditHistory::clear()
{
    m_steps.clear();
    m_done = 0;
    m_joinable = false;
    changed();
}

void EditHistory::changed() const
{
    if (m_listener)
        m_listener();
}

} // namespace Screen
