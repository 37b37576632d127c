#include "editor/editor_session.h"

#include "platform/text_encoding.h"
#include "screen/edit_history.h"
#include "screen/screen_document.h"
#include "screen/widget.h"
#include "screen/widget_path.h"

#include <algorithm>

namespace Editor {
namespace {

bool g_emphasize_selection = true; // user-interface thread only

void collect_names(const Screen::Widget* widget, std::vector<std::string>& names)
{
    if (!widget)
        return;
    if (std::find(names.begin(), names.end(), widget->name()) == names.end())
        names.push_back(widget->name());
    if (const std::vector<Screen::Widget*>* children = widget->child_widgets()) {
        // Kept backwards; listed as the script lists them.
        for (auto child = children->rbegin(); child != children->rend(); ++child)
            collect_names(*child, names);
    }
}

std::u16string quoted(const std::string& name)
{
    return u"\u201C" + Platform::ansi_to_utf16(name) + u"\u201D";
}

} // namespace

EditorSession::Subscription::Subscription(Subscription&& other) noexcept
    : m_listeners(std::move(other.m_listeners)), m_listener(other.m_listener)
{
    other.m_listener = nullptr;
}

EditorSession::Subscription& EditorSession::Subscription::operator=(Subscription&& other) noexcept
{
    if (this != &other) {
        reset();
        m_listeners = std::move(other.m_listeners);
        m_listener = other.m_listener;
        other.m_listener = nullptr;
    }
    return *this;
}

void EditorSession::Subscription::reset()
{
    // Only the entry goes null here: the session may be telling the list right now.
    if (std::shared_ptr<std::vector<EditorListener*>> listeners = m_listeners.lock())
        std::replace(listeners->begin(), listeners->end(), m_listener, static_cast<EditorListener*>(nullptr));
    m_listeners.reset();
    m_listener = nullptr;
}

std::shared_ptr<EditorSession> EditorSession::create(Screen::ScreenDocument& document)
{
    std::shared_ptr<EditorSession> session(new EditorSession(document));
    session->attach(document);
    return session;
}

EditorSession::EditorSession(Screen::ScreenDocument& document)
    : m_document(&document), m_listeners(std::make_shared<std::vector<EditorListener*>>()),
      m_nudge_run(Screen::EditRun::next_id())
{
}

EditorSession::~EditorSession()
{
    detach();
}

void EditorSession::attach(Screen::ScreenDocument& document)
{
    m_document = &document;
    m_attached = true;
    document.add_observer(weak_from_this());
    document.history().set_listener([this] { tell([](EditorListener& listener) { listener.history_changed(); }); });
}

void EditorSession::detach()
{
    if (m_attached)
        m_document->history().set_listener(nullptr);
    m_attached = false;
}

void EditorSession::replace_document(Screen::ScreenDocument& fresh)
{
    const Screen::WidgetPath selected = selection() ? Screen::path_of(*selection()) : Screen::WidgetPath();
    select(nullptr);
    detach();
    attach(fresh);
    m_notice.clear();
    m_load_problem.clear();
    tell([](EditorListener& listener) {
        listener.document_replaced();
        listener.history_changed();
        listener.status_changed();
    });
    if (!selected.empty())
        select(Screen::find_widget(fresh, selected));
}

EditorSession::Subscription EditorSession::subscribe(EditorListener& listener)
{
    m_listeners->push_back(&listener);
    Subscription subscription;
    subscription.m_listeners = m_listeners;
    subscription.m_listener = &listener;
    return subscription;
}

void EditorSession::tell(const std::function<void(EditorListener&)>& call)
{
    // The list may grow while it is told (a window opened by a listener), and entries
    // go null when a listener's window closes; it is compacted once nobody walks it.
    const std::shared_ptr<std::vector<EditorListener*>> listeners = m_listeners;
    ++m_telling;
    try {
        for (std::size_t i = 0; i < listeners->size(); ++i) {
            if (EditorListener* listener = (*listeners)[i])
                call(*listener);
        }
    } catch (...) {
        --m_telling;
        throw;
    }
    if (--m_telling == 0)
        listeners->erase(std::remove(listeners->begin(), listeners->end(), nullptr), listeners->end());
}

void EditorSession::property_changed(Screen::Widget* widget, int property)
{
    // An old document's widgets may still speak while it goes.
    if (widget && widget->screen() != m_document)
        return;
    tell([&](EditorListener& listener) { listener.property_changed(widget, property); });
}

Screen::Widget* EditorSession::selection() const
{
    return m_document->live_widget(m_selection);
}

void EditorSession::select(Screen::Widget* widget)
{
    widget = m_document->live_widget(widget);
    if (widget == selection())
        return;
    m_selection = widget;
    m_document->set_dim(selection_dim());
    if (m_document->emphasized() != widget)
        m_document->set_emphasized(widget);
    m_document->invalidate();
    clear_notice();
    tell([&](EditorListener& listener) { listener.selection_changed(widget); });
}

bool EditorSession::emphasize_selection()
{
    return g_emphasize_selection;
}

void EditorSession::set_emphasize_selection(bool emphasize)
{
    if (emphasize == g_emphasize_selection)
        return;
    g_emphasize_selection = emphasize;
    m_document->set_dim(selection_dim());
    Screen::Widget* selected = selection();
    if (m_document->emphasized() != selected)
        m_document->set_emphasized(selected);
    m_document->invalidate();
}

float EditorSession::selection_dim()
{
    return g_emphasize_selection ? 0.25f : 1.0f;
}

bool EditorSession::can_undo() const
{
    return m_document->history().can_undo();
}

bool EditorSession::can_redo() const
{
    return m_document->history().can_redo();
}

bool EditorSession::undo()
{
    return step_history(false);
}

bool EditorSession::redo()
{
    return step_history(true);
}

bool EditorSession::step_history(bool forward)
{
    Screen::EditHistory& history = m_document->history();
    if (!(forward ? history.can_redo() : history.can_undo()))
        return false;
    Screen::Widget* widget = nullptr;
    if (attempt([&] { widget = forward ? history.redo(*m_document) : history.undo(*m_document); })) {
        // The selection goes to what changed, so that the grid shows it.
        if (widget)
            select(widget);
    }
    m_document->invalidate();
    return true;
}

bool EditorSession::revert_run(std::uint64_t run)
{
    bool reverted = false;
    attempt([&] { reverted = m_document->history().revert_run(*m_document, run); });
    m_document->invalidate();
    return reverted;
}

std::string EditorSession::copy_as_lua() const
{
    return m_document->lua_text(selection());
}

void EditorSession::nudge_selection(float dx, float dy)
{
    Screen::Widget* widget = selection();
    if (!widget)
        return;
    // One run for every nudge: the history joins them while they follow each other on
    // one widget, so a held arrow key is one step.
    const Screen::EditRun run(m_nudge_run);
    attempt([&] { widget->set_bounds(widget->x() + dx, widget->y() + dy, widget->width(), widget->height()); });
    widget->invalidate();
}

bool EditorSession::rename(Screen::Widget& widget, const std::string& name)
{
    const std::string old = widget.name();
    if (name == old)
        return true;
    if (name.empty()) {
        report(u"Cannot rename " + quoted(old) + u": a widget needs a name");
        return false;
    }
    bool taken = false;
    bool reached = false;
    if (!attempt([&] {
            taken = m_document->name_taken(name, &widget);
            reached = !m_document->name_taken(old, &widget);
        }))
        return false;
    if (taken) {
        report(u"Cannot rename " + quoted(old) + u" to " + quoted(name) + u": another widget has that name");
        return false;
    }
    // Only references that reached this widget: a name two widgets share reaches one.
    std::vector<Screen::Widget*> referring;
    if (reached) {
        for (Screen::Widget* other : m_document->live_widgets()) {
            if (other->attached() && other->tooltip_name() == old)
                referring.push_back(other);
        }
    }
    const bool renamed = attempt([&] {
        const Screen::EditGroup group(m_document->recording_history());
        widget.set_name(name);
        for (Screen::Widget* other : referring)
            other->set_tooltip_name(name);
    });
    if (renamed)
        clear_notice();
    return renamed;
}

bool EditorSession::set_tooltip_widget(Screen::Widget& widget, const std::string& name)
{
    const bool set = attempt([&] {
        widget.set_tooltip_name(name.empty() ? std::nullopt : std::optional<std::string>(name));
        widget.invalidate();
    });
    if (set)
        clear_notice();
    return set;
}

std::vector<std::string> EditorSession::tooltip_widget_names() const
{
    std::vector<std::string> names;
    collect_names(m_document->tooltip_widgets(), names);
    return names;
}

bool EditorSession::attempt(const std::function<void()>& edit)
{
    try {
        edit();
        return true;
    } catch (const std::exception& failure) {
        report(Platform::ansi_to_utf16(failure.what()));
        return false;
    }
}

void EditorSession::report(std::u16string notice)
{
    if (notice == m_notice)
        return;
    m_notice = std::move(notice);
    tell([](EditorListener& listener) { listener.status_changed(); });
}

void EditorSession::set_load_problem(std::u16string problem)
{
    m_notice.clear();
    m_load_problem = std::move(problem);
    tell([](EditorListener& listener) { listener.status_changed(); });
}

void EditorSession::texts_changed()
{
    tell([](EditorListener& listener) { listener.texts_changed(); });
}

void EditorSession::clear_notice()
{
    if (!m_notice.empty())
        report(std::u16string());
}

} // namespace Editor
