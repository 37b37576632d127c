#include "screen/edit_history.h"

#include "screen/screen_document.h"
#include "screen/script_state.h"
#include "screen/widget.h"

#include <algorithm>
#include <atomic>
#include <cmath>

namespace Screen {

const std::array<const char*, FieldSnapshot::field_count> FieldSnapshot::keys = {
    "position", "size", "visible", "text", "tooltip_text", "style", "name", "tooltip_name"};

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
           style_name == other.style_name && name == other.name && tooltip_name == other.tooltip_name;
}

FieldSnapshot::FieldSnapshot(const Widget& widget)
{
    m_refs.fill(LUA_NOREF);
    m_summary = {widget.x(),          widget.y(),          widget.width(),
                 widget.height(),     widget.size_from_style(), widget.is_visible(),
                 widget.text(),       widget.tooltip(),    widget.style_sheet(),
                 widget.style_name(), widget.name(),       widget.tooltip_name()};
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
    lua_State* lua = m_lua;
    m_lua = nullptr;
    // Freeing a reference can allocate (the registry's free list may need a new key),
    // so it runs protected like every other call into the state.
    try {
        protected_call(lua, [this](lua_State* L) {
            for (int ref : m_refs)
                luaL_unref(L, LUA_REGISTRYINDEX, ref);
        });
    } catch (...) {
        // Only memory at the cap gets here: the references stay until the state closes
        // with its document.
    }
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

EditGroup::EditGroup(EditHistory* history) : m_history(history)
{
    if (m_history && m_history->m_group_depth++ == 0)
        m_history->m_group_started = false;
}

EditGroup::~EditGroup()
{
    if (m_history && --m_history->m_group_depth == 0)
        m_history->end_group();
}

void EditHistory::start_step(std::uint64_t run)
{
    m_steps.erase(m_steps.begin() + static_cast<std::ptrdiff_t>(m_done), m_steps.end());
    if (m_steps.size() >= max_steps)
        m_steps.erase(m_steps.begin());
    m_steps.push_back(Step{{}, run});
    m_done = m_steps.size();
}

void EditHistory::record(const Widget& widget, FieldSnapshot before, FieldSnapshot after, std::uint64_t run,
                         PartOwnership owned)
{
    const bool visible = !(before.summary() == after.summary());
    if (m_group_depth > 0) {
        if (!m_group_started) {
            // Until something changes, the group has no step, and what was undone stays.
            if (!visible) {
                owned.detach();
                return;
            }
            start_step(0);
            m_group_started = true;
            m_joinable = false;
        }
        // One change per widget: its first `before`, its last `after`.
        std::vector<Change>& changes = m_steps.back().changes;
        for (Change& change : changes) {
            if (change.widget == &widget && change.serial == widget.serial()) {
                change.after = std::move(after);
                return;
            }
        }
        changes.push_back(Change{&widget, widget.serial(), std::move(before), std::move(after), std::move(owned)});
        return;
    }
    // Joinable only with nothing undone since the last step (undo and redo end a run).
    if (m_joinable && run != 0 && !m_steps.empty()) {
        Step& last = m_steps.back();
        Change& change = last.changes.front();
        if (last.run == run && last.changes.size() == 1 && change.widget == &widget &&
            change.serial == widget.serial()) {
            if (change.before.summary() == after.summary()) {
                // Typed and taken back: the run leaves nothing to undo.
                PartOwnership taken = std::move(change.owned);
                m_steps.pop_back();
                m_done = m_steps.size();
                m_joinable = false;
                changed();
                taken.detach();
            } else {
                change.after = std::move(after);
                changed();
            }
            return;
        }
    }
    // Nothing visible changed: no step, and what was undone can still be redone.
    if (!visible) {
        owned.detach();
        return;
    }
    start_step(run);
    m_steps.back().changes.push_back(Change{&widget, widget.serial(), std::move(before), std::move(after), std::move(owned)});
    m_joinable = run != 0;
    changed();
}

void EditHistory::end_group()
{
    if (!m_group_started)
        return;
    m_group_started = false;
    const std::vector<Change>& changes = m_steps.back().changes;
    const bool visible = std::any_of(changes.begin(), changes.end(), [](const Change& change) {
        return !(change.before.summary() == change.after.summary());
    });
    if (!visible) {
        std::vector<PartOwnership> taken;
        for (Change& change : m_steps.back().changes)
            taken.push_back(std::move(change.owned));
        m_steps.pop_back();
        m_done = m_steps.size();
        for (auto it = taken.rbegin(); it != taken.rend(); ++it)
            it->detach();
    }
    changed();
}

Widget* EditHistory::undo(ScreenDocument& document)
{
    if (!can_undo())
        return nullptr;
    return apply(document, m_steps[--m_done], false);
}

Widget* EditHistory::redo(ScreenDocument& document)
{
    if (!can_redo())
        return nullptr;
    return apply(document, m_steps[m_done++], true);
}

bool EditHistory::revert_run(ScreenDocument& document, std::uint64_t run)
{
    if (run == 0 || !m_joinable || m_steps.empty() || m_done != m_steps.size() || m_steps.back().run != run)
        return false;
    struct Dropping {
        EditHistory& history;
        ~Dropping()
        {
            history.m_steps.pop_back();
            history.m_done = history.m_steps.size();
            history.changed();
        }
    } dropping{*this};
    apply(document, m_steps.back(), false);
    return true;
}

Widget* EditHistory::apply(ScreenDocument& document, Step& step, bool forward)
{
    m_joinable = false;
    struct Applying {
        EditHistory& history;
        ~Applying()
        {
            history.m_applying = false;
            history.changed();
        }
    } applying{*this};
    m_applying = true;
    // In the order they were made, both ways: a renamed widget takes its name back
    // before the references to that name look it up again.
    // Parts are owned before their values go in, and given back once theirs are out:
    // the style sheet's tables are never written.
    if (forward)
        for (Change& change : step.changes)
            change.owned.attach();
    Widget* first = nullptr;
    for (const Change& change : step.changes) {
        Widget* widget = document.live_widget(const_cast<Widget*>(change.widget));
        // A composite part rebuilt since may sit at the same address: the serial tells.
        if (!widget || widget->serial() != change.serial)
            continue;
        widget->restore_fields(forward ? change.after : change.before);
        if (!first)
            first = widget;
    }
    if (!forward)
        for (auto it = step.changes.rbegin(); it != step.changes.rend(); ++it)
            it->owned.detach();
    return first;
}

void EditHistory::clear()
{
    m_steps.clear();
    m_done = 0;
    m_joinable = false;
    m_group_started = false;
    changed();
}

void EditHistory::changed() const
{
    if (m_listener)
        m_listener();
}

} // namespace Screen
